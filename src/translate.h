#pragma once

#include <cstddef>

#include "codepages.h"

/// How far a translation got: input bytes consumed and output bytes written.
struct TranslateProgress {
  std::size_t consumed;
  std::size_t produced;
};

/// A translation kernel: translates in[0, size) through map into out,
/// dropping removed bytes, and keeps the order of the kept ones. out must
/// have room for size bytes: kernels may store scratch bytes past the last
/// kept one, never past out + size. out may be in: every store lands at or
/// before bytes already read. A vector kernel may stop up to one
/// vector short of the end; translateBlock finishes with the reference.
using TranslateKernel = TranslateProgress (*)(const TranslationMap& map,
                                              const unsigned char* in,
                                              std::size_t size,
                                              unsigned char* out);

/// Whether map removes any byte: maps a byte other than 0 to 0. Most page
/// pairs remove none, and kernels take a simpler path for them.
bool removesAnyByte(const TranslationMap& map);

/// The reference kernel, one table lookup per byte; always consumes all.
TranslateProgress translateScalar(const TranslationMap& map,
                                  const unsigned char* in, std::size_t size,
                                  unsigned char* out);

/// Runs kernel over in[0, size), then the reference on what it left.
/// Returns the number of bytes written to out.
std::size_t translateBlock(TranslateKernel kernel, const TranslationMap& map,
                           const unsigned char* in, std::size_t size,
                           unsigned char* out);
