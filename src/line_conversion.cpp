#include "line_conversion.h"

#include <cerrno>

namespace {

// Finishes partial writes. A write that reports no progress would loop
// forever, so it counts as an I/O error.
int writeAll(ByteIo& io, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const long count = io.write(data, size);
    if (count == -EINTR) continue;
    if (count < 0) return static_cast<int>(-count);
    if (count == 0) return EIO;
    data += count;
    size -= static_cast<std::size_t>(count);
  }
  return 0;
}

}  // namespace

ConversionResult convertStream(ByteIo& io, CodeId source, CodeId target,
                               const Kernel& kernel) {
  const TranslationMap map = buildTranslationMap(source, target);
  unsigned char input[conversionBlockSize];
  unsigned char output[conversionBlockSize];
  // Empty input counts as ending with a newline, so it gets none added.
  unsigned char lastByteRead = '\n';
  for (;;) {
    const long count = io.read(input, sizeof input);
    if (count == -EINTR) continue;
    if (count < 0) return {ConversionStatus::readFailed, static_cast<int>(-count)};
    if (count == 0) break;
    const auto size = static_cast<std::size_t>(count);
    lastByteRead = input[size - 1];
    const std::size_t produced =
        translateBlock(kernel.translate, map, input, size, output);
    if (const int error = writeAll(io, output, produced))
      return {ConversionStatus::writeFailed, error};
  }
  if (lastByteRead != '\n') {
    static const unsigned char newline = '\n';
    if (const int error = writeAll(io, &newline, 1))
      return {ConversionStatus::writeFailed, error};
  }
  return {ConversionStatus::done, 0};
}
