#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "byte_io.h"
#include "codepages.h"
#include "guess.h"
#include "kernels.h"

/// Size of the blocks a conversion run reads and writes: a quarter of a
/// MiB keeps one buffer in the second-level cache and the calls few.
constexpr std::size_t conversionBlockSize = 256 * 1024;

/// The memory a conversion run works in, allocated once and reused by every
/// run given it: about 2 MiB, page-aligned. Runs side by side need one each.
class ConversionBuffers {
 public:
  ConversionBuffers();
  /// Room for a block read, with a page before it for the bytes a read
  /// left over, and the separate output of text that grows.
  unsigned char* conversionArea() { return memory.get(); }
  /// Room for maxGuessBytes of input held while its page is guessed.
  unsigned char* heldArea();

 private:
  struct Release {
    void operator()(unsigned char* memory) const;
  };
  std::unique_ptr<unsigned char[], Release> memory;
};

enum class ConversionStatus { done, readFailed, writeFailed, notText, notCyrillic };

struct ConversionResult {
  ConversionStatus status;
  int error;  ///< errno value of the failed call; 0 when done
};

/// Converts everything io reads from source to target code page and writes
/// it, block by block in buffers, through the pair's Converter; NUL and
/// long lines pass intact. Each block is written
/// out in full before the next read; only the few bytes of a UTF-8
/// sequence that a read cut short wait for the next one, so an interactive
/// user gets each line back at once. A last line without a newline gets
/// one; empty input gives empty output. Interrupted calls are retried. The
/// first failed read or write ends the run: everything read before a failed
/// read has been converted and written, and nothing is written after a
/// failed write.
ConversionResult convertStream(ByteIo& io, CodeId source, CodeId target,
                               const Kernel& kernel, ConversionBuffers& buffers);

/// Like convertStream from the page that guessPage finds in the input. What
/// it reads is held, in buffers, until the guess is conclusive, or maxGuessBytes are
/// held, or the input ends or fails; then the held bytes and the rest are
/// converted once, as usual. A text without a byte above 0x7F reads alike
/// in every page and is converted as utf. Input that the guess finds to be
/// binary data (notText) or text in no Cyrillic page (notCyrillic),
/// conclusively or once it has ended, is not converted: nothing is
/// written but an ASCII start longer than maxGuessBytes, which goes out as
/// it is read. Past maxGuessBytes without a conclusive guess, the best
/// page is taken whatever the verdict.
ConversionResult convertStreamGuessing(ByteIo& io, CodeId target, const Kernel& kernel,
                                       ConversionBuffers& buffers);

/// The first bytes of an input, held in buffers while its page was guessed.
struct HeldStart {
  PageGuess guess;
  std::size_t size;  ///< bytes held
  bool stopped;      ///< the input ended or failed while held
  long stopResult;   ///< what the read that stopped it returned
  std::uint64_t passed = 0;  ///< ASCII bytes given to passOn before those held
  int passError = 0;         ///< what passOn returned when it failed; 0 if not
  /// Whether the input ended while held: the held bytes are all of it.
  bool ended() const { return stopped && stopResult == 0; }
};

/// Takes bytes that read alike in every page, in the order read; returns 0,
/// or an errno value that stops the holding.
using PassOn = std::function<int(const unsigned char* data, std::size_t size)>;

/// Reads io into buffers' held area until guessPage is conclusive,
/// maxGuessBytes are held, or the input ends or fails, and guesses the
/// page of what it holds (as complete text when the input ended). Where
/// the held bytes fill the area and are ASCII alone, all but the last
/// line go to passOn and the holding goes on: a long English start does
/// not settle the page of the Russian after it.
HeldStart holdAndGuess(ByteIo& io, ConversionBuffers& buffers, const PassOn& passOn);

/// The input as a conversion run sees it after holdAndGuess: the held
/// bytes, then the rest of io, or the end or failure that stopped the
/// holding (not asked again: a terminal would wait for a second end).
/// Writes go straight to io.
class HeldInput final : public ByteIo {
 public:
  HeldInput(ByteIo& io, const HeldStart& start, ConversionBuffers& buffers)
      : io(io), start(start), held(buffers.heldArea()) {}
  long read(unsigned char* buffer, std::size_t capacity) override;
  long write(const unsigned char* data, std::size_t size) override {
    return io.write(data, size);
  }
  int waitUntilReady(bool forWrite) override { return io.waitUntilReady(forWrite); }

 private:
  ByteIo& io;
  HeldStart start;
  const unsigned char* held;
  std::size_t given = 0;
};
