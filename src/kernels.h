#pragma once

#include <span>

#include "translate.h"

/// A translation kernel this build holds.
struct Kernel {
  const char* name;           ///< the value of BYTEMORPH_KERNEL that forces it
  TranslateKernel translate;
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
