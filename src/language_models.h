#pragma once

#include <cstddef>
#include <cstdint>

/// Words of a rival language, each as the high 32 bits of the hash that
/// knownWordFilter takes, over each letter's symbol without rivalCapital
/// (the last letter's from wordEndSymbols) in place of its code point;
/// sorted.
struct RivalWords {
  const std::uint32_t* hashes;
  std::size_t count;
};

/// A language whose 8-bit pages put letters on the bytes where the Cyrillic
/// pages put theirs, so that its words may read as Russian ones: how it is
/// spelled.
struct RivalLanguage {
  /// Its letters, small and capital alike, and symbol 0, a word boundary.
  int symbolCount;
  /// Each byte's symbol in either of the language's 8-bit pages, with
  /// rivalCapital added for a capital; rivalWordMark for a mark that
  /// stands inside a word and is spelled as nothing (Hebrew's geresh);
  /// rivalDirectionMark for a mark that shows as nothing (RLM, LRM);
  /// rivalNoCharacter for a byte that neither page sets as a character.
  const std::uint8_t* symbols;
  /// Each byte's symbol where it ends a word, without rivalCapital: a
  /// capital's small letter may take another form there (Greek's Σ is ς
  /// at a word's end).
  const std::uint8_t* wordEndSymbols;
  /// How unlikely symbol c is after a and b (index (a * symbolCount + b) *
  /// symbolCount + c), in quarter bits written as characters of the
  /// alphabet A-Z a-z 0-9 + /.
  const char* tripleCosts;
  /// How unlikely a small letter ([0]) or a capital ([1]) is at a word
  /// start, after a small letter and after a capital, in quarter bits.
  const std::uint8_t (*caseCosts)[2];
  /// How much less often its texts are met than the Russian ones that
  /// share their bytes, in quarter bits: added to its spelling.
  int priorCost;
  /// How much better still than the other Cyrillic languages it must spell
  /// a short line, in quarter bits.
  int kinMargin;
  /// Whether it is asked only of a whole short line (a heading, a button),
  /// the one text set in capitals throughout as often as that.
  bool shortLinesOnly;
  /// Whether it is not asked of a reading mostly in capitals.
  bool smallLettersOnly;
  /// Whether its files may also hold each line in the order it is shown,
  /// last letter first (visual Hebrew).
  bool storedBackwardToo;
  /// Its words of shortestCommonRivalWord letters or more that its menus
  /// write often; none for a language without them.
  RivalWords commonWords;
};

constexpr std::uint8_t rivalCapital = 0x80;
/// Both marks' symbols hold this bit, which no letter's does, and so does
/// a byte's that no page of the language sets.
constexpr std::uint8_t rivalMarkBit = 0x40;
constexpr std::uint8_t rivalWordMark = rivalMarkBit;
constexpr std::uint8_t rivalDirectionMark = rivalMarkBit | 1;
constexpr std::uint8_t rivalNoCharacter = rivalMarkBit | 2;

/// Greek (Windows-1253, ISO 8859-7), Hebrew (Windows-1255, ISO 8859-8),
/// Greek set in capitals and the names Hebrew spells out.
constexpr int rivalLanguageCount = 4;
extern const RivalLanguage rivalLanguages[rivalLanguageCount];

/// Languages whose pages set a character on two bytes, which a Cyrillic
/// page reads as two letters: how often each character of the grid of 94
/// rows of 94 that their pages share is written, in quarter bits, one
/// character each as RivalLanguage::tripleCosts (index row * 94 + cell).
/// Chinese (GB2312, which GBK extends) and Japanese (JIS X 0208, which
/// EUC-JP and Shift_JIS set).
constexpr int pairedLanguageCount = 2;
constexpr int pairedGridSide = 94;
extern const char* const pairedLanguageCharacterCosts[pairedLanguageCount];
/// Pairs of characters that those languages write often enough to be
/// common words (错误, 文件), each as first * 94 * 94 + second of the grid,
/// sorted.
struct PairedWords {
  const std::uint32_t* pairs;
  std::size_t count;
};
extern const PairedWords pairedLanguageCommonWords[pairedLanguageCount];

/// Ukrainian, Belarusian, Bulgarian, Serbian and Macedonian, which a
/// Cyrillic page reads right but which spell unlike Russian: how they
/// spell, as one.
struct KinLanguages {
  /// Their letters, small and capital alike, and symbol 0, a word boundary.
  int symbolCount;
  /// The symbol of each character U+0400..U+04FF, 0 for one none of them
  /// writes.
  const std::uint8_t* symbols;
  /// How unlikely symbol c is after a and b, as RivalLanguage::tripleCosts.
  const char* tripleCosts;
};

extern const KinLanguages kinLanguages;

/// Each of the five alone (Ukrainian, Belarusian, Bulgarian, Serbian,
/// Macedonian), over kinLanguages' symbols: how unlikely symbol c is after
/// a and b, as KinLanguages::tripleCosts.
constexpr int kinLanguageCount = 5;
extern const char* const kinLanguageTripleCosts[kinLanguageCount];

/// Words of shortestKnownWord letters or more that Russian or the other
/// Cyrillic languages write, in small letters, as a filter of
/// knownWordFilterBits bits: a word sets knownWordHashes bits, picked by
/// its 64-bit FNV-1a hash over each letter's code point less 0x400 as a
/// byte, the hash's bits from 0, from knownWordHashStride and from twice
/// that on. A word whose bits are all set is likely written there; one
/// whose bits are not, surely not.
constexpr std::size_t knownWordFilterBits = std::size_t{1} << 20;
constexpr int knownWordHashes = 3;
constexpr int knownWordHashStride = 21;
constexpr std::size_t shortestKnownWord = 3;
constexpr std::size_t shortestCommonRivalWord = 3;
extern const std::uint64_t knownWordFilter[knownWordFilterBits / 64];
