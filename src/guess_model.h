#pragma once

#include <cstdint>

/// Letters of the Russian alphabet a model tells apart (ё included), in
/// alphabetical order; symbol 0 is a word boundary.
constexpr int guessLetterCount = 33;
constexpr int guessSymbolCount = guessLetterCount + 1;
/// What comes before a text, as a context: a word start or the middle of a
/// word, either may be.
constexpr int guessTextStart = guessSymbolCount;
constexpr int guessContextCount = guessSymbolCount + 1;

/// How unlikely symbol c is after a and b in Russian, for a and b any
/// symbol or guessTextStart (index (a * guessContextCount + b) *
/// guessSymbolCount + c), in
/// quarter bits written as characters of the alphabet A-Z a-z 0-9 + /.
extern const char letterTripleCosts[];

/// How unlikely a word is to end, with a full stop, after symbols a and b
/// (index a * guessContextCount + b), in quarter bits written as above:
/// abbreviations (т. е., см.) end where words seldom do.
extern const char fullStopEndCosts[];

/// How unlikely a small letter ([0]) or a capital ([1]) is as the first
/// letter of a text (a word start or inside a word), after a capital, after
/// a small letter, at the start of a word inside a sentence, after one,
/// after two capitals or more that are all the word has so far, at the
/// start of a word after a word in capitals, after a capital that began
/// such a word, as the first letter of a line or a file, at the start of a
/// word after a dash that follows a question or an exclamation on its
/// line, and as the first letter of a line after one with letters that
/// ended no sentence, in quarter bits.
extern const std::uint8_t capitalCosts[11][2];
