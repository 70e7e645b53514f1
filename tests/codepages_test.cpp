#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "converter.h"
#include "test_support.h"

// glibc's iconv(3) knows the published code pages: it is the oracle here,
// not the letter table.
namespace {

const char* const iconvNames[codTableColumns] = {"KOI8-R", "CP1251", "CP866",
                                                 "MAC-CYRILLIC", "ISO-8859-5"};
constexpr char32_t numeroSign = 0x2116, noBreakSpace = 0x00A0;

std::optional<std::string> iconvBytes(const char* from, const char* to,
                                      std::string in) {
  iconv_t cd = iconv_open(to, from);
  char out[16] = {};
  char* inPtr = in.data();
  char* outPtr = out;
  size_t inLeft = in.size(), outLeft = sizeof out;
  const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  return std::string(out, outPtr);
}

std::string utf32(char32_t c) {
  return {char(c & 0xFF), char(c >> 8 & 0xFF), char(c >> 16 & 0xFF), 0};
}
std::string utf8(char32_t c) { return *iconvBytes("UTF-32LE", "UTF-8", utf32(c)); }

// Each byte as the program reads it: the published page, but for koi's
// numero sign and no-break space, the C1 control for win's undefined 0x98,
// and the euro sign for mac 0xFF, where glibc still has the currency sign.
char32_t programDecode(int codId, unsigned char byte) {
  if (codId == codKoi && byte == 0xBE) return numeroSign;
  if (codId == codKoi && byte == 0xA0) return noBreakSpace;
  if (codId == codMac && byte == 0xFF) return 0x20AC;
  const auto decoded = iconvBytes(iconvNames[codId], "UTF-32LE", std::string(1, char(byte)));
  if (!decoded) return byte;
  const auto* bytes = reinterpret_cast<const unsigned char*>(decoded->data());
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16;
}

// The 72 characters of the letter table.
bool isConverted(char32_t c) {
  return (c >= 0x0410 && c <= 0x044F) || c == 0x0401 || c == 0x0451 ||
         c == 0xAB || c == 0xBB || c == numeroSign || c == 0x2013 ||
         c == 0x2014 || c == noBreakSpace;
}

// The page's byte for c, or nothing where it has none. koi's two choices
// take 0xBE and 0xA0 from the box drawing KOI8-R has there.
std::optional<unsigned char> programEncode(int codId, char32_t c) {
  if (codId == codKoi && c == numeroSign) return 0xBE;
  if (codId == codKoi && c == noBreakSpace) return 0xA0;
  for (int byte = 0x80; byte < 256; ++byte)
    if (programDecode(codId, byte) == c) return byte;
  return c < 0x80 ? std::optional<unsigned char>(c) : std::nullopt;
}

std::string convert(CodeId source, CodeId target, const std::string& text) {
  const Converter converter = makeConverter(source, target, referenceKernel());
  Bytes out(maxConversionGrowth * text.size() + 1);
  const size_t produced =
      convertChunk(converter, reinterpret_cast<const unsigned char*>(text.data()),
                   text.size(), out.data(), false, true).produced;
  return std::string(reinterpret_cast<const char*>(out.data()), produced);
}

// For every pair of 8-bit pages and every byte: a byte that stands for a
// converted character becomes that character in the target (0, removed,
// where it has none); any other byte, NUL included, passes unchanged.
TEST(TranslationMap, AllPairsAllBytesAgreeWithIconv) {
  for (int source = 0; source < codTableColumns; ++source) {
    for (int target = 0; target < codTableColumns; ++target) {
      const TranslationMap map = buildTranslationMap(CodeId(source), CodeId(target));
      for (int byte = 0; byte < 256; ++byte) {
        const char32_t c = programDecode(source, byte);
        const bool converted = byte != 0 && isConverted(c) &&
                               !(source == codKoi && byte == 0x9A);
        const unsigned char expected =
            converted ? programEncode(target, c).value_or(0) : byte;
        EXPECT_EQ(map[byte], expected) << codNameOf(source) << " -> "
                                       << codNameOf(target) << ", byte 0x" << std::hex << byte;
      }
    }
  }
}

TEST(TranslationMap, FirstRowHoldingAByteDecides) {
  const LetterRow rows[] = {
      {0xC1, 0x11, 0, 0, 0}, {0xC1, 0x22, 0, 0, 0}, {0x00, 0x33, 0, 0, 0}, LetterRow{}};
  const TranslationMap map = buildTranslationMap(codKoi, codWin, rows, countLetterRows(rows));
  EXPECT_EQ(map[0xC1], 0x11);
  EXPECT_EQ(map[0x00], 0x00) << "a missing code never matches NUL";
  EXPECT_EQ(buildTranslationMap(codWin, codKoi, rows, 0)[0xC1], 0xC1);
  EXPECT_EQ(countLetterRows(rows + 3), 0) << "the terminator alone";
}

// Every byte to utf and back: only koi 0x9A, KOI8-R's no-break space,
// comes back as the letter table's 0xA0.
TEST(Utf8, EveryByteOfEveryPageToUtf8AndBack) {
  for (int page = 0; page < codTableColumns; ++page) {
    for (int byte = 0; byte < 256; ++byte) {
      const std::string text(1, char(byte));
      const std::string want = utf8(programDecode(page, byte));
      ASSERT_EQ(convert(CodeId(page), codUtf, text), want)
          << codNameOf(page) << " byte 0x" << std::hex << byte;
      const int again = page == codKoi && byte == 0x9A ? 0xA0 : byte;
      EXPECT_EQ(convert(codUtf, CodeId(page), want), std::string(1, char(again)))
          << codNameOf(page) << " byte 0x" << std::hex << byte;
    }
  }
}

// Every character any page holds, and a few none does, into every page:
// its byte, nothing where the letter table removes it, else one '?'.
TEST(Utf8, EveryCharacterIntoEveryPage) {
  std::set<char32_t> characters = {0x0100, 0x20BD, 0x4E00, 0x1F600, 0xFEFF};
  for (int page = 0; page < codTableColumns; ++page)
    for (int byte = 1; byte < 256; ++byte) characters.insert(programDecode(page, byte));
  for (int page = 0; page < codTableColumns; ++page) {
    for (const char32_t c : characters) {
      const auto byte = programEncode(page, c);
      const bool removed = isConverted(c) && !byte;
      std::string want = "a", text = "a";
      if (!removed) want.push_back(byte ? char(*byte) : '?');
      EXPECT_EQ(convert(codUtf, CodeId(page), text.append(utf8(c))), want)
          << codNameOf(page) << " U+" << std::hex << std::uint32_t(c);
    }
  }
}

}  // namespace
