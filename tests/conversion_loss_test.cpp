#include <gtest/gtest.h>

#include <string>

#include "code_charts.h"
#include "conversion_loss.h"
#include "test_support.h"

namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes utf8Of(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return bytesOf(out);
}

// The rule the counter keeps, asked of the converter itself: the input
// read as utf must come back from the output read as utf.
bool conversionLoses(const Bytes& input, CodeId source, CodeId target) {
  return convert(convert(input, source, target), target, codUtf) != convert(input, source, codUtf);
}

std::uint64_t lostIn(const Bytes& input, CodeId source, CodeId target) {
  LossCounter counter(source, target);
  counter.scan(input.data(), input.size());
  counter.finish();
  return counter.lost();
}

TEST(LossCounter, EveryByteOfEveryPairAsTheConversionLosesIt) {
  for (int source = 0; source < codAfterLast; ++source)
    for (int target = 0; target < codAfterLast; ++target) {
      if (source == codUtf || source == target) continue;
      for (int byte = 1; byte < 256; ++byte) {
        const Bytes input{static_cast<unsigned char>(byte)};
        const bool loses = conversionLoses(input, CodeId(source), CodeId(target));
        EXPECT_EQ(lostIn(input, CodeId(source), CodeId(target)), loses ? 1u : 0u)
            << codNameOf(source) << " -> " << codNameOf(target) << " byte " << byte;
      }
    }
}

TEST(LossCounter, EveryCharacterOfEveryPageFromUtf) {
  for (int target = 0; target < codTableColumns; ++target)
    for (int page = 0; page < codTableColumns; ++page)
      for (int byte = 0x80; byte < 256; ++byte) {
        const char32_t c = codeCharts[page][byte];
        const Bytes input = utf8Of(c);
        EXPECT_EQ(lostIn(input, codUtf, CodeId(target)),
                  conversionLoses(input, codUtf, CodeId(target)) ? 1u : 0u)
            << "U+" << std::hex << static_cast<unsigned>(c) << " into " << codNameOf(target);
      }
}

struct LossCase {
  const char* name;
  CodeId source, target;
  std::string input;
  std::uint64_t lost, firstLostLine, malformed, firstMalformedLine;
};

const LossCase lossCases[] = {
    {"nothing lost", codUtf, codKoi, "Привет\nмир\n", 0, 0, 0, 0},
    {"quotes koi lacks", codUtf, codKoi, "a\nb\n«мир» — да\n", 3, 3, 0, 0},
    {"euro and check mark", codUtf, codDos, "\n€ ✓\n", 2, 2, 0, 0},
    {"letter and mark that compose", codUtf, codKoi, "\u0435\u0308ж", 0, 0, 0, 0},
    {"mark after a letter it does not compose with", codUtf, codKoi, "ж\u0308", 1, 1, 0, 0},
    {"byte-order mark at the start", codUtf, codWin, "\xEF\xBB\xBFмир", 0, 0, 0, 0},
    {"byte-order mark inside", codUtf, codWin, "м\xEF\xBB\xBFир", 1, 1, 0, 0},
    {"malformed", codUtf, codUtf, "ok\n\xD0\n\xC0\xAF", 0, 0, 3, 2},
    {"cut short at the end", codUtf, codKoi, "мир\n\xE2\x82", 0, 0, 2, 2},
    {"box drawing into win", codKoi, codWin, "\n\n\x80\x81", 2, 3, 0, 0},
    {"every koi byte into utf", codKoi, codUtf, "\x80\x9A\xBF\xFF", 0, 0, 0, 0},
};

TEST(LossCounter, CasesGiveTheSameCountsAtEverySplit) {
  for (const LossCase& c : lossCases) {
    const Bytes input = bytesOf(c.input);
    for (std::size_t cut = 0; cut <= input.size(); ++cut) {
      LossCounter counter(c.source, c.target);
      counter.scan(input.data(), cut);
      counter.scan(input.data() + cut, input.size() - cut);
      counter.finish();
      EXPECT_EQ(counter.lost(), c.lost) << c.name << " cut at " << cut;
      EXPECT_EQ(counter.firstLostLine(), c.firstLostLine) << c.name << " cut at " << cut;
      EXPECT_EQ(counter.malformed(), c.malformed) << c.name << " cut at " << cut;
      EXPECT_EQ(counter.firstMalformedLine(), c.firstMalformedLine) << c.name << " cut at " << cut;
    }
  }
}

}  // namespace
