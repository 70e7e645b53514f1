#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "guess.h"
#include "test_support.h"
#include "utf8.h"

namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Whether the guess for text, which is in page, reads it as page does.
bool guessedRight(const Bytes& text, CodeId page) {
  const PageGuess guess = guessPage(text.data(), text.size(), true);
  return convert(text, guess.page, codUtf) == convert(text, page, codUtf);
}

// The byte offset where each character of UTF-8 text starts, and its size.
std::vector<std::size_t> characterStarts(const std::string& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); i += readSequence(bytes + i, text.size() - i).length)
    starts.push_back(i);
  starts.push_back(text.size());
  return starts;
}

// A regression check of accuracy on text the model was not trained on: 120
// lines of Russian man pages, whole and as 8- and 16-character snippets cut
// from their middles (so they start and end inside words), in all six pages.
TEST(GuessPage, HeldOutSample) {
  std::ifstream sample(BYTEMORPH_TEST_DATA "/guess_sample.txt");
  int lines = 0, missed[3] = {};
  for (std::string line; std::getline(sample, line); ++lines) {
    const std::vector<std::size_t> starts = characterStarts(line);
    const std::size_t middle = (starts.size() - 1) / 2;
    const auto snippet = [&](std::size_t length) {
      const std::size_t first = starts[middle - length / 2];
      return line.substr(first, starts[middle + length / 2] - first);
    };
    const std::string texts[] = {line, snippet(8), snippet(16)};
    for (int kind = 0; kind < 3; ++kind)
      for (int page = 0; page < codAfterLast; ++page)
        missed[kind] +=
            !guessedRight(convert(bytesOf(texts[kind]), codUtf, CodeId(page)), CodeId(page));
  }
  EXPECT_EQ(lines, 120);
  // Of 720 each; today 2, 2 and 2.
  EXPECT_LE(missed[0], 4) << "whole lines";
  EXPECT_LE(missed[1], 5) << "8 characters";
  EXPECT_LE(missed[2], 5) << "16 characters";
}

// Snippets the guesser has misread, each in the page it is written in. A
// guess is right when it reads the same text, as a page that agrees on
// every byte present may.
TEST(GuessPage, HardSnippets) {
  const struct {
    const char* text;
    CodeId page;
  } cases[] = {
      {"ых local", codWin},             // starts inside a word
      {"лить ЦП или узел", codMac},     // an abbreviation: Windows reads –Џ
      {"ки индейцев Севе", codMac},     // Windows reads С as ‘ touching a word
      {"НАЯ БУКВ", codKoi},             // capitals throughout: Windows reads small letters
      {"тип", codDos},                  // E2 A8 AF: valid UTF-8 by chance
      {"всё — хорошо", codMac},
      {"СССР и США", codIso},
      {"юксембур", codKoi},             // Windows reads capitals: not initials so long
      {"х западной Европ", codMac},     // Windows reads Е as … touching a word
      {"файл kicad.exe — это", codMac}, // no sentence ends in a file name
      {"См. user_namespaces(7).", codMac}, // DOS reads Сь: a capital starts a word
      {"SUSv4 (т. е., бе", codDos},     // Mac reads в. •., °: т. е. ends no sentence
      {"ЕТ, НО ОН НЕ ПУС", codWin},     // capitals throughout: KOI8-R reads small letters
      {"243 163 A3 £ ЗНАК ФУНТА", codMac}, // DOS reads a one-letter word г
      // A DOS table: ISO 8859-5 reads its lines as runs of capitals.
      {"╔══════════════╦══════════╗\n║ Наименование ║ Цена     ║\n"
       "╠══════════════╬══════════╣\n║ Хлеб         ║ 10 руб.  ║\n", codDos},
  };
  for (const auto& [text, page] : cases) {
    const Bytes bytes = model(bytesOf(text), codUtf, page);
    const PageGuess guess = guessPage(bytes.data(), bytes.size(), true);
    EXPECT_EQ(model(bytes, guess.page, codUtf), model(bytes, page, codUtf))
        << text << " in " << codNameOf(page) << " read as " << codNameOf(guess.page);
  }
}

// When a guess is final: ASCII never settles (every page reads it alike), a
// long text does, and a UTF-8 sequence cut by the end of what was read so
// far is not yet malformed.
TEST(GuessPage, Conclusiveness) {
  const Bytes ascii = bytesOf("plain ASCII text, any length of it");
  EXPECT_EQ(guessPage(ascii.data(), ascii.size(), false), (PageGuess{codUtf, false}));
  const Bytes prose = model(
      bytesOf("Съешь же ещё этих мягких французских булок, да выпей чаю."), codUtf, codKoi);
  EXPECT_EQ(guessPage(prose.data(), prose.size(), false), (PageGuess{codKoi, true}));
  const Bytes cut = bytesOf("Съешь же ещё этих мягких французских булок\xD0");
  EXPECT_EQ(guessPage(cut.data(), cut.size(), false).page, codUtf);
}

}  // namespace
