#pragma once

#include "byte_io.h"
#include "codepages.h"
#include "kernels.h"

/// Size of the blocks a conversion run reads and writes: a quarter of a
/// MiB keeps one buffer in the second-level cache and the calls few.
constexpr std::size_t conversionBlockSize = 256 * 1024;

enum class ConversionStatus { done, readFailed, writeFailed, notText, notCyrillic };

struct ConversionResult {
  ConversionStatus status;
  int error;  ///< errno value of the failed call; 0 when done
};

/// Converts everything io reads from source to target code page and writes
/// it, block by block in buffers allocated once, through the
/// pair's Converter; NUL and long lines pass intact. Each block is written
/// out in full before the next read; only the few bytes of a UTF-8
/// sequence that a read cut short wait for the next one, so an interactive
/// user gets each line back at once. A last line without a newline gets
/// one; empty input gives empty output. Interrupted calls are retried. The
/// first failed read or write ends the run: everything read before a failed
/// read has been converted and written, and nothing is written after a
/// failed write.
ConversionResult convertStream(ByteIo& io, CodeId source, CodeId target,
                               const Kernel& kernel);

/// Like convertStream from the page that guessPage finds in the input. What
/// it reads is held until the guess is conclusive, or maxGuessBytes are
/// held, or the input ends or fails; then the held bytes and the rest are
/// converted once, as usual. A text without a byte above 0x7F reads alike
/// in every page and is converted as utf. Input that the guess finds to be
/// binary data (notText) or text in no Cyrillic page (notCyrillic),
/// conclusively or once it has ended, is not converted: nothing is
/// written. Past maxGuessBytes without a conclusive guess, the best page
/// is taken whatever the verdict.
ConversionResult convertStreamGuessing(ByteIo& io, CodeId target, const Kernel& kernel);
