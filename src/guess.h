#pragma once

#include <cstddef>

#include "codepages.h"

/// Which page a text is in, and whether the evidence settles it.
struct PageGuess {
  CodeId page;
  bool conclusive;  ///< no reading that gives other text comes near
  bool operator==(const PageGuess&) const = default;
};

/// Guesses the page of text, the first size bytes of a text (all of it when
/// complete), among the six. Each page's reading of the bytes is scored as
/// Russian: its letter triples, where its capitals stand, and what else it
/// holds (box drawing, control bytes, malformed UTF-8 count against it).
/// Readings that give the same text are one answer, taken in the order utf,
/// win, koi, dos, iso, mac: pure ASCII is utf, never conclusive, since a
/// later byte may settle it. Without complete, a UTF-8 sequence cut by the
/// end is not held against utf. Allocates nothing; any bytes are fine.
PageGuess guessPage(const unsigned char* text, std::size_t size, bool complete);

/// Most bytes worth reading before a guess is made anyway: enough for any
/// text, small enough to hold in memory while deciding.
constexpr std::size_t maxGuessBytes = 1 << 20;
