#pragma once

#include <cstddef>

#include "codepages.h"

/// What the bytes are: text in a page, not text at all (NUL bytes, or
/// control bytes as often as text never has them), or text that no page
/// reads as Cyrillic (Latin, Greek, Chinese, ... in a page of their own).
enum class GuessVerdict { page, binary, unknown };

/// Which page a text is in, and whether the evidence settles it.
struct PageGuess {
  CodeId page;      ///< the page that reads the bytes best as Russian; utf for binary
  /// No other reading comes near; of a whole text, none that gives other
  /// text (a stream's later bytes may part two that read its start alike).
  bool conclusive;
  GuessVerdict verdict = GuessVerdict::page;
  bool operator==(const PageGuess&) const = default;
};

/// The name of the guess: the page's ("koi", ...), "binary" or "unknown".
const char* guessName(const PageGuess& guess);

/// Guesses the page of text, the first size bytes of a text (all of it when
/// complete), among the six. Each page's reading of the bytes is scored as
/// Russian: its letter triples, where its capitals stand, and what else it
/// holds (box drawing, control bytes, malformed UTF-8 count against it).
/// A complete text of a line's length that ends as a sentence or with a
/// line break is taken to start as one.
/// Readings that give the same text are one answer, taken in the order utf,
/// win, koi, dos, iso, mac, each page's cost raised by its prior (files
/// are seldom in the rarest pages). Pure ASCII is utf, never conclusive,
/// since a later byte may settle it. Valid UTF-8 of any script is utf. A text whose every
/// reading is less likely as Russian than as some other language is
/// unknown; NUL bytes, or control bytes at a rate text never has, are
/// binary, conclusively so once they are plain. Without complete, a UTF-8 sequence cut by the
/// end is not held against utf. Allocates nothing; any bytes are fine.
PageGuess guessPage(const unsigned char* text, std::size_t size, bool complete);

/// Most bytes worth reading before a guess is made anyway: enough for any
/// text, small enough to hold in memory while deciding.
constexpr std::size_t maxGuessBytes = 1 << 20;

/// Whether no byte of text is above 0x7F: such text reads alike in every page.
bool isAscii(const unsigned char* text, std::size_t size);

/// How many of the first bytes of text, held to be guessed, may go on
/// before the guess is made: where text is ASCII alone, which reads alike
/// in every page and so settles nothing, all but its last line (a log or
/// a mail archive may hold its first Russian line a MiB in); else none.
/// Its last byte always stays, so that what is kept starts no text.
std::size_t asciiStartToPassOn(const unsigned char* text, std::size_t size);
