#pragma once

#include <cstddef>

#include "codepages.h"
#include "kernels.h"
#include "utf8.h"

/// Everything a conversion run needs to turn one pair's input into output:
/// a byte map between 8-bit pages (utf to utf is the identity map), or a
/// transcoder from an 8-bit page to UTF-8 or back.
struct Converter {
  enum class Kind { byteMap, toUtf8, fromUtf8 } kind;
  const Kernel* kernel;
  TranslationMap map;
  Utf8Chart utf8Chart;
  PageEncoder encoder;
};

/// Most output bytes per input byte, for any pair.
constexpr std::size_t maxConversionGrowth = maxUtf8Growth;

/// Whether the output of a chunk may be longer than its input (into utf).
bool growsText(const Converter& converter);

/// Most input bytes a call of convertChunk leaves for the next one.
constexpr std::size_t maxConversionCarry = maxUtf8Carry;

/// Prepares the conversion from source to target, run by kernel's vector
/// code where it has some.
Converter makeConverter(CodeId source, CodeId target, const Kernel& kernel);

/// Converts in[0, size) into out, which has room for maxConversionGrowth *
/// size + 1 bytes; out may be in when growsText is false. startOfInput says
/// that in begins the input. Unless final, a transcoder may leave up to
/// maxConversionCarry bytes at the end unconsumed, to be handed in again in
/// front of what follows.
TranslateProgress convertChunk(const Converter& converter,
                               const unsigned char* in, std::size_t size,
                               unsigned char* out, bool startOfInput,
                               bool final);
