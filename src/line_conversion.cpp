#include "line_conversion.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "converter.h"

namespace {

// Finishes partial writes. A write that reports no progress would loop
// forever, so it counts as an I/O error.
int writeAll(ByteIo& io, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const long count =
        callUntilDone(io, true, [&] { return io.write(data, size); });
    if (count < 0) return static_cast<int>(-count);
    if (count == 0) return EIO;
    data += count;
    size -= static_cast<std::size_t>(count);
  }
  return 0;
}

constexpr std::size_t page = 4096;
static_assert(maxConversionCarry <= page && conversionBlockSize % page == 0);
constexpr std::size_t outputSize =
    maxConversionGrowth * (maxConversionCarry + conversionBlockSize) + 1;
constexpr std::size_t conversionAreaSize =
    (page + conversionBlockSize + outputSize + page - 1) / page * page;

}  // namespace

ConversionBuffers::ConversionBuffers()
    : memory(new (std::align_val_t{page}) unsigned char[conversionAreaSize + maxGuessBytes]) {}

void ConversionBuffers::Release::operator()(unsigned char* memory) const {
  ::operator delete[](memory, std::align_val_t{page});
}

unsigned char* ConversionBuffers::heldArea() { return memory.get() + conversionAreaSize; }

ConversionResult convertStream(ByteIo& io, CodeId source, CodeId target,
                               const Kernel& kernel, ConversionBuffers& buffers) {
  const Converter converter = makeConverter(source, target, kernel);
  // A transcoder may leave the end of a block (a UTF-8 sequence cut by the
  // read) for the next one: it moves to just before where the next read
  // lands. Text that cannot grow is converted in place: one buffer stays in
  // cache. Reads land on a page boundary, carry or not: the system copies
  // into a page-aligned buffer twice as fast (measured).
  unsigned char* const readArea = buffers.conversionArea() + page;
  unsigned char* const separateOutput = readArea + conversionBlockSize;
  std::size_t carried = 0;
  bool startOfInput = true;
  // Empty input counts as ending with a newline, so it gets none added.
  unsigned char lastByteRead = '\n';
  ConversionResult result{ConversionStatus::done, 0};
  for (;;) {
    const long count = callUntilDone(
        io, false, [&] { return io.read(readArea, conversionBlockSize); });
    if (count < 0) result = {ConversionStatus::readFailed, static_cast<int>(-count)};
    const bool final = count <= 0;
    unsigned char* const chunk = readArea - carried;
    const std::size_t size = carried + (final ? 0 : static_cast<std::size_t>(count));
    if (size > 0) lastByteRead = chunk[size - 1];
    unsigned char* const output = growsText(converter) ? separateOutput : chunk;
    const TranslateProgress progress =
        convertChunk(converter, chunk, size, output, startOfInput, final);
    if (const int error = writeAll(io, output, progress.produced))
      return {ConversionStatus::writeFailed, error};
    if (final) break;
    startOfInput = startOfInput && progress.consumed == 0;
    carried = size - progress.consumed;
    std::memmove(readArea - carried, chunk + progress.consumed, carried);
  }
  if (result.status == ConversionStatus::done && lastByteRead != '\n') {
    static const unsigned char newline = '\n';
    if (const int error = writeAll(io, &newline, 1))
      return {ConversionStatus::writeFailed, error};
  }
  return result;
}

long HeldInput::read(unsigned char* buffer, std::size_t capacity) {
  if (given == start.size) return start.stopped ? start.stopResult : io.read(buffer, capacity);
  const std::size_t count = std::min(capacity, start.size - given);
  std::memcpy(buffer, held + given, count);
  given += count;
  return static_cast<long>(count);
}

HeldStart holdAndGuess(ByteIo& io, ConversionBuffers& buffers, const PassOn& passOn) {
  unsigned char* const held = buffers.heldArea();
  HeldStart start{{codUtf, false}, 0, false, 0};
  std::size_t& size = start.size;
  std::size_t judged = 0;
  // Reads that start small and double: most texts settle within their
  // first KiB, and judging costs in proportion to what is held, a tenth of
  // a 10 MB run's instructions at 4 KiB.
  constexpr std::size_t firstRead = 1024;
  // Past an ASCII start passed on, reads of ASCII alone can settle nothing
  // but binary data, which the judging of a full area tells: judging only
  // then keeps a long ASCII run near the speed of a named page.
  bool asciiSincePass = false;
  for (;;) {
    if (size == maxGuessBytes) {
      const std::size_t passing = asciiStartToPassOn(held, size);
      if (passing == 0) break;
      if ((start.passError = passOn(held, passing)) != 0) return start;
      start.passed += passing;
      size -= passing;
      std::memmove(held, held + passing, size);
      judged = size;
      asciiSincePass = true;
    }
    const std::size_t want = std::min(
        {std::max(size, firstRead), conversionBlockSize / 4, maxGuessBytes - size});
    const long count =
        callUntilDone(io, false, [&] { return io.read(held + size, want); });
    if (count <= 0) {
      start.stopped = true;
      start.stopResult = count;
      break;
    }
    asciiSincePass = asciiSincePass && isAscii(held + size, static_cast<std::size_t>(count));
    size += static_cast<std::size_t>(count);
    // Judging small reads at once answers a terminal line by line; past
    // that, judging at each doubling keeps the work linear. A full area is
    // judged before any of it is passed on.
    const bool due = !asciiSincePass && (size < 64 * 1024 || size >= 2 * judged);
    if (due || size == maxGuessBytes) {
      judged = size;
      start.guess = guessPage(held, size, false);
      if (start.guess.conclusive) break;
    }
  }
  // Judged again only if more came since, or the end makes the text whole.
  if (judged != size || start.ended()) start.guess = guessPage(held, size, start.ended());
  return start;
}

ConversionResult convertStreamGuessing(ByteIo& io, CodeId target, const Kernel& kernel,
                                       ConversionBuffers& buffers) {
  // ASCII reads alike in every page: it goes out as it is.
  const HeldStart start =
      holdAndGuess(io, buffers, [&](const unsigned char* data, std::size_t size) {
        return writeAll(io, data, size);
      });
  if (start.passError != 0) return {ConversionStatus::writeFailed, start.passError};
  const PageGuess& guess = start.guess;
  if (guess.conclusive || start.ended()) {
    if (guess.verdict == GuessVerdict::binary) return {ConversionStatus::notText, 0};
    if (guess.verdict == GuessVerdict::unknown) return {ConversionStatus::notCyrillic, 0};
  }
  HeldInput input(io, start, buffers);
  return convertStream(input, guess.page, target, kernel, buffers);
}
