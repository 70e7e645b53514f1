#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "byte_io.h"
#include "codepages.h"
#include "converter.h"
#include "kernels.h"
#include "line_conversion.h"

using Bytes = std::vector<unsigned char>;

// A scripted stand-in for the platform: each read delivers the next of
// readSizes bytes (cycling), each write accepts at most the next of
// writeSizes bytes; one call of either kind can be made to fail once, and
// every other call can be interrupted first.
struct ScriptedIo final : ByteIo {
  Bytes input;
  std::vector<size_t> readSizes{conversionBlockSize};
  std::vector<size_t> writeSizes{conversionBlockSize};
  bool interruptEveryOtherCall = false;
  long failReadCall = -1, failWriteCall = -1;
  int failError = EIO;

  Bytes output;
  size_t inputTaken = 0;
  long readCalls = 0, writeCalls = 0, waits = 0;
  long takenAtFirstWrite = -1;  // input read when the first write came
  bool interruptedLast = false;

  bool interruptNow() {
    interruptedLast = interruptEveryOtherCall && !interruptedLast;
    return interruptedLast;
  }
  long read(unsigned char* buffer, size_t capacity) override {
    if (capacity == 0) std::abort();
    if (interruptNow()) return -EINTR;
    if (readCalls == failReadCall) return failReadCall = -1, -failError;
    const size_t want = readSizes[readCalls++ % readSizes.size()];
    const size_t count =
        std::min({want, capacity, input.size() - inputTaken});
    std::copy_n(input.begin() + inputTaken, count, buffer);
    inputTaken += count;
    return static_cast<long>(count);
  }
  long write(const unsigned char* data, size_t size) override {
    if (size == 0) std::abort();
    if (interruptNow()) return -EINTR;
    if (writeCalls == failWriteCall) return failWriteCall = -1, -failError;
    if (takenAtFirstWrite < 0) takenAtFirstWrite = static_cast<long>(inputTaken);
    const size_t count =
        std::min(size, writeSizes[writeCalls++ % writeSizes.size()]);
    output.insert(output.end(), data, data + count);
    return static_cast<long>(count);
  }
  int waitError = 0;  // what waiting for readiness returns
  bool waitedForWrite = false;
  int waitUntilReady(bool forWrite) override {
    waitedForWrite = forWrite;
    return ++waits, waitError;
  }
};

// The readable reference alone: the scalar map kernel and no UTF-8 kernels.
inline const Kernel& referenceKernel() {
  static const Kernel reference{"reference", translateScalar, nullptr, nullptr,
                                [] { return true; }};
  return reference;
}

// What translation means, byte by byte: map every byte, drop the removed
// ones (NUL is always kept).
inline Bytes modelTranslate(const TranslationMap& map, const unsigned char* in,
                            size_t size) {
  Bytes out;
  for (size_t i = 0; i < size; ++i)
    if (in[i] == 0 || map[in[i]] != 0) out.push_back(map[in[i]]);
  return out;
}

// Text from one page to another by the reference converter, given all of
// it at once, as it is: no newline added at the end.
inline Bytes convert(const Bytes& text, CodeId source, CodeId target) {
  Bytes out(maxConversionGrowth * text.size() + 1);
  out.resize(convertChunk(makeConverter(source, target, referenceKernel()), text.data(),
                          text.size(), out.data(), true, true)
                 .produced);
  return out;
}

// The whole conversion: between 8-bit pages the byte model, to or from utf
// the transcoder; then a newline after an unterminated last line.
inline Bytes model(const Bytes& input, CodeId source, CodeId target) {
  Bytes out = source != codUtf && target != codUtf
                  ? modelTranslate(buildTranslationMap(source, target), input.data(),
                                   input.size())
                  : convert(input, source, target);
  if (!input.empty() && input.back() != '\n') out.push_back('\n');
  return out;
}

// The kernels this machine can run, fastest first.
inline std::vector<const Kernel*> supportedKernels() {
  std::vector<const Kernel*> kernels;
  for (const Kernel& kernel : compiledKernels())
    if (kernel.supported()) kernels.push_back(&kernel);
  return kernels;
}
