#pragma once

#include <span>

#include "translate.h"
#include "utf8.h"

/// Converts in[0, size) into UTF-8 as far as it goes (room in out for
/// maxUtf8Growth * size + 1 bytes); pageToUtf8 finishes the rest.
using ToUtf8Kernel = TranslateProgress (*)(const Utf8Chart& chart,
                                           const unsigned char* in,
                                           std::size_t size, unsigned char* out);

/// Converts UTF-8 in[0, size) (not the start of the input) as far as it
/// goes, whole sequences only and never a letter a mark may still join;
/// utf8ToPage finishes the rest. out may be in: every store lands at or
/// before the bytes already read.
using FromUtf8Kernel = TranslateProgress (*)(const PageEncoder& encoder,
                                             const unsigned char* in,
                                             std::size_t size, unsigned char* out);

/// A set of kernels this build holds, for one instruction set.
struct Kernel {
  const char* name;           ///< the value of BYTEMORPH_KERNEL that forces it
  TranslateKernel translate;
  ToUtf8Kernel toUtf8;        ///< null where the reference is all there is
  FromUtf8Kernel fromUtf8;    ///< null where the reference is all there is
  bool (*supported)();        ///< whether this CPU and OS can run it
};

/// Every kernel compiled into this build, fastest first; "scalar" is last
/// and always supported.
std::span<const Kernel> compiledKernels();

enum class KernelChoice { chosen, unknownName, unsupported };

/// Picks the kernel to run: the one named forcedName, or, when forcedName is
/// null or empty, the fastest one this machine supports. Sets *kernel only
/// when it returns KernelChoice::chosen; never falls back from a forced name.
KernelChoice chooseKernel(const char* forcedName, const Kernel** kernel);
