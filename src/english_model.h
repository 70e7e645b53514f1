#pragma once

/// Latin letters, small and capital alike, as symbols 1 to 26 (a to z);
/// symbol 0 is a word boundary.
constexpr int englishSymbolCount = 27;

/// How unlikely symbol c is after a and b in English words (index (a *
/// englishSymbolCount + b) * englishSymbolCount + c), in quarter bits
/// written as the guess model's tables are.
extern const char englishTripleCosts[];

/// What a letter triple of the texts learned from costs on average, in
/// quarter bits.
extern const int averageEnglishTripleCost;
