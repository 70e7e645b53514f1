// libFuzzer target: the streaming conversion of every pair, utf included,
// driven through scripted reads and writes, against the model of the whole
// conversion (for utf, the transcoder given all of the input at once).
//
// Fuzz data: [pair] [kernel] [read sizes x4] [write sizes x4] [input...]
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "guess.h"
#include "test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t headerSize = 10;
  if (size < headerSize) return 0;
  const auto source = CodeId(data[0] % codAfterLast);
  const auto target = CodeId(data[0] / codAfterLast % codAfterLast);

  const std::vector<const Kernel*> kernels = supportedKernels();
  const Kernel& kernel = *kernels[data[1] % kernels.size()];

  ScriptedIo io;
  // Sizes from 1 byte to past a whole block, most of them small.
  auto splitSize = [](std::uint8_t b) -> std::size_t {
    return b < 250 ? b % 97 + 1 : conversionBlockSize + 1;
  };
  io.readSizes.assign({splitSize(data[2]), splitSize(data[3]),
                       splitSize(data[4]), splitSize(data[5])});
  io.writeSizes.assign({splitSize(data[6]), splitSize(data[7]),
                        splitSize(data[8]), splitSize(data[9])});
  io.interruptEveryOtherCall = data[2] & 1;
  io.input.assign(data + headerSize, data + size);

  // The guesser takes any bytes, a sequence cut at the end included.
  for (const bool complete : {false, true})
    if (guessPage(io.input.data(), io.input.size(), complete).page >= codAfterLast) std::abort();

  static ConversionBuffers buffers;
  const ConversionResult result = convertStream(io, source, target, kernel, buffers);
  if (result.status != ConversionStatus::done) std::abort();
  if (io.output != model(io.input, source, target)) std::abort();
  return 0;
}
