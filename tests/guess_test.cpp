#include <gtest/gtest.h>

#include <string>

#include "guess.h"
#include "test_support.h"

namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

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
