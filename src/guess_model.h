#pragma once

#include <cstdint>

/// Letters of the Russian alphabet a model tells apart (ё included), in
/// alphabetical order; symbol 0 is a word boundary.
constexpr int guessLetterCount = 33;
constexpr int guessSymbolCount = guessLetterCount + 1;

/// How unlikely letter c is after a and b in Russian, for every triple of
/// symbols (index (a * guessSymbolCount + b) * guessSymbolCount + c), in
/// quarter bits written as characters of the alphabet A-Z a-z 0-9 + /.
extern const char letterTripleCosts[];

/// How unlikely a small letter ([0]) or a capital ([1]) is at a word start,
/// after a capital and after a small letter, in quarter bits.
extern const std::uint8_t capitalCosts[3][2];
