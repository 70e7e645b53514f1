#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <optional>

#include "codepages.h"

// glibc's iconv(3) knows the published code pages: it is the oracle here,
// not the letter table.
namespace {

const char* const iconvNames[codAfterLast] = {"KOI8-R", "CP1251", "CP866",
                                              "MAC-CYRILLIC", "ISO-8859-5"};

constexpr char32_t numeroSign = 0x2116, noBreakSpace = 0x00A0;

// The 72 characters the program converts, in the table's row order.
std::vector<char32_t> convertedCharacters() {
  std::vector<char32_t> characters;
  for (char32_t c = 0x0410; c <= 0x042F; ++c) characters.push_back(c);
  for (char32_t c = 0x0430; c <= 0x044F; ++c) characters.push_back(c);
  for (char32_t c : {0x0401, 0x0451, 0x00AB, 0x00BB, 0x2116, 0x2013, 0x2014,
                     0x00A0})
    characters.push_back(c);
  return characters;
}

bool isConverted(char32_t c) {
  for (char32_t converted : convertedCharacters())
    if (converted == c) return true;
  return false;
}

std::optional<char32_t> iconvDecode(int codId, unsigned char byte) {
  iconv_t cd = iconv_open("UTF-32LE", iconvNames[codId]);
  char in[1] = {static_cast<char>(byte)};
  unsigned char out[4] = {};
  char* inPtr = in;
  char* outPtr = reinterpret_cast<char*>(out);
  size_t inLeft = 1, outLeft = 4;
  const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  return char32_t(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
}

// The code page's byte for c, or 0 when it has none.
unsigned char iconvEncode(int codId, char32_t c) {
  iconv_t cd = iconv_open(iconvNames[codId], "UTF-32LE");
  unsigned char in[4] = {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                         static_cast<unsigned char>(c >> 16), 0};
  char out[4] = {};
  char* inPtr = reinterpret_cast<char*>(in);
  char* outPtr = out;
  size_t inLeft = 4, outLeft = sizeof out;
  const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1);
  iconv_close(cd);
  return ok && outLeft == sizeof out - 1 ? static_cast<unsigned char>(out[0]) : 0;
}

// The program's koi column departs from KOI8-R in two places on purpose.
unsigned char programEncode(int codId, char32_t c) {
  if (codId == codKoi && c == numeroSign) return 0xBE;
  if (codId == codKoi && c == noBreakSpace) return 0xA0;
  return iconvEncode(codId, c);
}

std::optional<char32_t> programDecode(int codId, unsigned char byte) {
  if (codId == codKoi && byte == 0xBE) return numeroSign;
  if (codId == codKoi && byte == 0xA0) return noBreakSpace;
  if (codId == codKoi && byte == 0x9A) return std::nullopt;  // NBSP in KOI8-R
  return iconvDecode(codId, byte);
}

TEST(LetterTable, EveryCodeIsThePublishedOne) {
  const std::vector<char32_t> characters = convertedCharacters();
  ASSERT_EQ(letterRowCount, static_cast<int>(characters.size()));
  for (int row = 0; row < letterRowCount; ++row) {
    for (int codId = 0; codId < codAfterLast; ++codId) {
      EXPECT_EQ(letterTable[row][codId], programEncode(codId, characters[row]))
          << "row " << row + 1 << ", column " << codNameOf(codId)
          << ", U+" << std::hex << std::uint32_t(characters[row]);
    }
  }
}

TEST(LetterTable, KoiDepartsFromKoi8rForNumeroAndNoBreakSpace) {
  EXPECT_EQ(iconvEncode(codKoi, numeroSign), 0) << "KOI8-R has no numero sign";
  EXPECT_EQ(iconvEncode(codKoi, noBreakSpace), 0x9A);
  EXPECT_NE(iconvDecode(codKoi, 0xBE), numeroSign);
  EXPECT_NE(iconvDecode(codKoi, 0xA0), noBreakSpace);
  const TranslationMap winToKoi = buildTranslationMap(codWin, codKoi);
  EXPECT_EQ(winToKoi[0xB9], 0xBE);
  EXPECT_EQ(winToKoi[0xA0], 0xA0);
  EXPECT_EQ(buildTranslationMap(codKoi, codWin)[0x9A], 0x9A);
}

// For every pair and byte: a byte that stands for a converted character
// becomes that character in the target (0, removed, where it has none);
// any other byte, NUL included, passes unchanged.
TEST(TranslationMap, AllPairsAllBytesAgreeWithIconv) {
  for (int source = 0; source < codAfterLast; ++source) {
    for (int target = 0; target < codAfterLast; ++target) {
      const TranslationMap map =
          buildTranslationMap(CodeId(source), CodeId(target));
      for (int byte = 0; byte < 256; ++byte) {
        const std::optional<char32_t> c = programDecode(source, byte);
        const unsigned char expected =
            byte != 0 && c && isConverted(*c) ? programEncode(target, *c)
                                              : byte;
        EXPECT_EQ(map[byte], expected)
            << codNameOf(source) << " -> " << codNameOf(target) << ", byte 0x"
            << std::hex << byte;
      }
    }
  }
}

TEST(TranslationMap, TableOfOnlyTheTerminatorGivesIdentity) {
  const LetterRow onlyTerminator[] = {LetterRow{}};
  ASSERT_EQ(countLetterRows(onlyTerminator), 0);
  const TranslationMap map =
      buildTranslationMap(codWin, codKoi, onlyTerminator, 0);
  for (int byte = 0; byte < 256; ++byte) EXPECT_EQ(map[byte], byte) << byte;
}

TEST(TranslationMap, FirstRowHoldingAByteDecides) {
  const LetterRow rows[] = {{0xC1, 0x11, 0, 0, 0},
                            {0xC1, 0x22, 0, 0, 0},
                            {0x00, 0x33, 0, 0, 0},
                            LetterRow{}};
  const TranslationMap map =
      buildTranslationMap(codKoi, codWin, rows, countLetterRows(rows));
  EXPECT_EQ(map[0xC1], 0x11);
  EXPECT_EQ(map[0x00], 0x00) << "a missing code never matches NUL";
}

}  // namespace
