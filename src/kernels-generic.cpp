#include "kernels.h"

namespace {
bool always() { return true; }
const Kernel kernels[] = {{"scalar", translateScalar, nullptr, utf8ToPageWords, always}};
}  // namespace

std::span<const Kernel> compiledKernels() { return kernels; }
