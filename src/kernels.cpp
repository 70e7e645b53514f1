#include "kernels.h"

#include <cstring>

KernelChoice chooseKernel(const char* forcedName, const Kernel** kernel) {
  const bool forced = forcedName != nullptr && forcedName[0] != '\0';
  for (const Kernel& candidate : compiledKernels()) {
    if (forced && std::strcmp(candidate.name, forcedName) != 0) continue;
    if (!candidate.supported()) {
      if (forced) return KernelChoice::unsupported;
      continue;
    }
    *kernel = &candidate;
    return KernelChoice::chosen;
  }
  // Only a forced name gets here: "scalar" is always compiled and supported.
  return KernelChoice::unknownName;
}
