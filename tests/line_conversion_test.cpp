#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "guess.h"
#include "line_conversion.h"
#include "test_support.h"

namespace {

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

const Kernel& scalarKernel() { return compiledKernels().back(); }

struct Input {
  const char* name;
  CodeId source, target;
  Bytes bytes;
};

std::vector<Input> inputs() {
  Bytes longLine(3 * conversionBlockSize + 17, 0xC1);
  longLine.push_back('\n');
  Bytes everyByte, russian;
  for (int i = 0; i < 256 * 3; ++i) everyByte.push_back(i & 0xFF);
  for (int i = 0; i < 30000; ++i)  // "Съешь ещё " in UTF-8, across blocks
    for (unsigned char b : bytes("\xD0\xA1\xD1\x8A\xD0\xB5\xD1\x88\xD1\x8C \xD0\xB5\xD1\x89\xD1\x91\n"))
      russian.push_back(b);
  return {
      {"empty", codKoi, codWin, {}},
      {"lone newline", codKoi, codKoi, bytes("\n")},
      {"unterminated", codKoi, codKoi, bytes("abc")},
      {"nul inside", codKoi, codWin, bytes(std::string("a\0\xC1\n\0", 5))},
      {"removed only", codWin, codKoi, bytes("\xAB\xBB\n\xAB")},
      {"long line", codKoi, codDos, longLine},
      {"every byte", codMac, codIso, everyByte},
      {"every byte to utf", codKoi, codUtf, everyByte},
      {"utf russian", codUtf, codKoi, russian},
  };
}

struct Split {
  const char* name;
  std::vector<size_t> readSizes, writeSizes;
  bool interrupt;
};

const Split splits[] = {
    {"whole blocks", {conversionBlockSize}, {conversionBlockSize}, false},
    {"byte reads", {1}, {conversionBlockSize}, false},
    {"byte writes", {conversionBlockSize}, {1}, false},
    {"odd sizes", {3, 1, 4096, 7, 65535}, {5, 9, 2, 60000}, false},
    {"interrupted", {13, 2}, {7}, true},
};

// One set for the whole suite, as a program keeps one for its runs.
ConversionBuffers buffers;

ConversionResult run(ScriptedIo& io, CodeId source, CodeId target) {
  return convertStream(io, source, target, scalarKernel(), buffers);
}

TEST(ConvertStream, EverySplitGivesTheModelOutput) {
  for (const Input& input : inputs()) {
    for (const Split& split : splits) {
      ScriptedIo io;
      io.input = input.bytes;
      io.readSizes = split.readSizes;
      io.writeSizes = split.writeSizes;
      io.interruptEveryOtherCall = split.interrupt;
      EXPECT_EQ(run(io, input.source, input.target).status, ConversionStatus::done);
      EXPECT_EQ(io.output, model(input.bytes, input.source, input.target))
          << input.name << " / " << split.name;
    }
  }
}

// UTF-8 in and out, exactly, with the input cut into two reads at every
// offset: a sequence, or a letter and its mark, split by a read converts as
// if it came whole.
TEST(ConvertStream, Utf8CasesSplitAtEveryOffset) {
  struct Case {
    const char* name;
    CodeId source, target;
    std::string input, output;
  };
  const Case cases[] = {
      {"letters", codUtf, codWin, "\xD0\x90\xD0\xB1\xD1\x91\n", "\xC0\xE1\xB8\n"},
      {"bom at start dropped", codUtf, codKoi, "\xEF\xBB\xBF" "A\n", "A\n"},
      {"bom inside", codUtf, codKoi, "A\xEF\xBB\xBF\n", "A?\n"},
      {"bom copied", codUtf, codUtf, "\xEF\xBB\xBF" "A", "\xEF\xBB\xBF" "A\n"},
      {"decomposed", codUtf, codDos, "\xD0\xB8\xCC\x86 \xD0\x95\xCC\x88\n", "\xA9 \xF0\n"},
      {"mark alone", codUtf, codKoi, "\xD0\xB0\xCC\x86\xCC\x86\n", "\xC1??\n"},
      {"decomposed at end", codUtf, codMac, "\xD0\xB8", "\xE8\n"},
      {"not held", codUtf, codKoi, "\xE2\x82\xAC\xF0\x9F\x98\x80\n", "??\n"},
      {"removed", codUtf, codKoi, "\xC2\xAB" "A\xE2\x80\x94\n", "A\n"},
      {"stray and overlong", codUtf, codWin, "\x80\xBF\xC0\x80\xE0\x80\x80\n",
       "\x80\xBF\xC0\x80\xE0\x80\x80\n"},
      {"last plane", codUtf, codKoi, "\xF4\x80\x80\x80\xF4\x8F\xBF\xBF\n", "??\n"},
      {"surrogate, too high", codUtf, codWin, "\xED\xA0\x80\xF4\x90\x80\x80\xF5\n",
       "\xED\xA0\x80\xF4\x90\x80\x80\xF5\n"},
      {"cut by next byte", codUtf, codWin, "\xE2\x82" "A\xD0\xD0\x90\n", "\xE2\x82" "A\xD0\xC0\n"},
      {"broken by a lead", codUtf, codWin, "\xE2\x82\xC0\x80\n", "\xE2\x82\xC0\x80\n"},
      {"cut by end", codUtf, codWin, "A\xF0\x9F\x98", "A\xF0\x9F\x98"},
      {"nul", codUtf, codKoi, std::string("\0\xD0\x90\0", 4), std::string("\0\xE1\0\n", 4)},
      {"koi to utf", codKoi, codUtf, "\xE1\xC2\xBE\x9A\n",
       "\xD0\x90\xD0\xB1\xE2\x84\x96\xC2\xA0\n"},
      {"mac euro", codMac, codUtf, "\xFF\x98", "\xE2\x82\xAC\xD0\xA8\n"},
  };
  for (const Case& c : cases) {
    for (size_t cut = 0; cut <= c.input.size(); ++cut) {
      ScriptedIo io;
      io.input = bytes(c.input);
      io.readSizes = {cut == 0 ? 1 : cut, conversionBlockSize};
      EXPECT_EQ(run(io, c.source, c.target).status, ConversionStatus::done);
      std::string want = c.output;
      if (c.input.back() != '\n' && want.back() != '\n') want += '\n';
      EXPECT_EQ(io.output, bytes(want)) << c.name << ", read of " << cut;
    }
  }
}

// A read failure at every position: all that was read before it is written,
// converted (a sequence the failure cut passes as it is), and no newline is
// invented for the cut line. A non-blocking input that is not ready is
// waited for, and the run goes on as if nothing happened; a wait that
// fails is the read's failure.
TEST(ConvertStream, ReadFailureAtEveryCall) {
  const struct {
    int error, waitError;
  } failures[] = {{EIO, 0}, {EAGAIN, 0}, {EAGAIN, EBADF}};
  for (const auto [error, waitError] : failures) {
    for (const Input& input : inputs()) {
      // A failed wait takes one path wherever it comes: a few places do.
      for (long failAt = 0; waitError == 0 || failAt < 4; ++failAt) {
        ScriptedIo io;
        io.input = input.bytes;
        io.readSizes = {5, 1, 7000};
        io.failReadCall = failAt;
        io.failError = error;
        io.waitError = waitError;
        const ConversionResult result = run(io, input.source, input.target);
        if (io.failReadCall == failAt) break;  // past the last read
        const Bytes taken(input.bytes.begin(), input.bytes.begin() + io.inputTaken);
        Bytes expected = model(taken, input.source, input.target);
        if (error == EAGAIN && waitError == 0) {
          EXPECT_EQ(result.status, ConversionStatus::done);
          EXPECT_EQ(io.waits, 1);
          EXPECT_FALSE(io.waitedForWrite);
        } else {
          ASSERT_EQ(result.status, ConversionStatus::readFailed) << input.name;
          EXPECT_EQ(result.error, waitError ? waitError : error);
          if (!taken.empty() && taken.back() != '\n') expected.pop_back();
        }
        EXPECT_EQ(io.output, expected) << input.name << " read " << failAt;
      }
    }
  }
}

// While the guess still holds the first bytes, a failed read is a failed
// run, not an end of input.
TEST(ConvertStreamGuessing, ReadFailureWhileHolding) {
  const Bytes russian = inputs().back().bytes;
  for (long failAt = 0; failAt < 4; ++failAt) {
    ScriptedIo io;
    io.input = russian;
    io.readSizes = {3, 1};
    io.failReadCall = failAt;
    const ConversionResult result = convertStreamGuessing(io, codKoi, scalarKernel(), buffers);
    EXPECT_EQ(result.status, ConversionStatus::readFailed) << "read " << failAt;
    EXPECT_EQ(result.error, EIO);
  }
}

// An input for the guess, and what its run ends in: the page it is
// converted from when done.
struct GuessedInput {
  const char* name;
  std::string input;
  ConversionStatus status;
  CodeId page;
};

// Small letters but ё and я, which Windows-1251 and Mac Cyrillic read alike,
// then a capital, where they part.
std::string macAfterSmallLetters() {
  std::string text;
  while (text.size() < 10000) text += "съешь же этих сладких французских булок, да выпей чаю. ";
  const Bytes mac = convert(bytes(text + "\nМосква\n"), codUtf, codMac);
  return std::string(mac.begin(), mac.end());
}

// The verdict is taken on all that was held: input that is no Cyrillic
// text is refused whole, before any output, whether the guess settles at
// once (a NUL) or only at the end; letters that come only after the last
// judging of a long text still decide its page.
TEST(ConvertStreamGuessing, VerdictOnAllThatIsHeld) {
  const GuessedInput cases[] = {
      {"binary", std::string("\x7F" "ELF\x02\x01\x01\0\0\0\xC1\xD2", 12),
       ConversionStatus::notText, codUtf},
      {"Latin-1", "Gr\xF6\xDF" "ere \xC4pfel aus K\xF6ln\n", ConversionStatus::notCyrillic, codUtf},
      {"KOI8-R", "\xF3\xDF\xC5\xDB\xD8 \xD6\xC5\n", ConversionStatus::done, codKoi},
      {"KOI8-R after 300000 bytes, more than a block",
       std::string(300000, 'x') + "\n\xF3\xDF\xC5\xDB\xD8\n",
       ConversionStatus::done, codKoi},
      {"Mac Cyrillic whose first 5000 bytes Windows-1251 reads the same", macAfterSmallLetters(),
       ConversionStatus::done, codMac},
  };
  for (const auto& c : cases) {
    ScriptedIo io;
    io.input = bytes(c.input);
    io.readSizes = {3, conversionBlockSize};
    EXPECT_EQ(convertStreamGuessing(io, codUtf, scalarKernel(), buffers).status, c.status) << c.name;
    EXPECT_EQ(io.output, c.status == ConversionStatus::done ? model(io.input, c.page, codUtf)
                                                            : Bytes())
        << c.name;
  }
}

// ASCII reads alike in every page: past what the guess holds it goes out as
// it comes, and the text after it decides. Refused input then leaves only
// that ASCII written; a failed write of it fails the run.
TEST(ConvertStreamGuessing, AsciiStartLongerThanHeldGoesOutFirst) {
  std::string lines;
  while (lines.size() < 2 * maxGuessBytes + 100) lines += "INFO service started\n";
  const std::string line(maxGuessBytes + 100, 'q');
  const std::string koi = "\xF3\xDF\xC5\xDB\xD8 \xD6\xC5 \xDC\xD4\xC9\xC8\n";
  const GuessedInput cases[] = {
      {"KOI8-R after lines", lines + koi, ConversionStatus::done, codKoi},
      {"KOI8-R at the end of a line longer than held", line + " " + koi,
       ConversionStatus::done, codKoi},
      {"UTF-8 after lines", lines + "Съешь же этих\n", ConversionStatus::done, codUtf},
      {"ASCII alone, no newline at the end", lines + "end", ConversionStatus::done, codUtf},
      {"Latin-1 after lines", lines + "Gr\xF6\xDF" "ere \xC4pfel aus K\xF6ln\n",
       ConversionStatus::notCyrillic, codUtf},
      {"binary after lines", lines + std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10),
       ConversionStatus::notText, codUtf},
      {"control bytes after lines, more than held, then KOI8-R",
       lines + std::string(maxGuessBytes + 100, '\x01') + koi, ConversionStatus::notText, codUtf},
  };
  for (const auto& c : cases) {
    ScriptedIo io;
    io.input = bytes(c.input);
    io.readSizes = {4096, 65535};
    EXPECT_EQ(convertStreamGuessing(io, codUtf, scalarKernel(), buffers).status, c.status) << c.name;
    if (c.status == ConversionStatus::done) {
      EXPECT_EQ(io.output, model(io.input, c.page, codUtf)) << c.name;
      continue;
    }
    ASSERT_GE(io.output.size(), lines.size() - maxGuessBytes) << c.name;
    EXPECT_TRUE(std::equal(io.output.begin(), io.output.end(), lines.begin())) << c.name;
    EXPECT_EQ(io.output.back(), '\n') << c.name;
  }
  ScriptedIo failing;
  failing.input = bytes(lines + koi);
  failing.failWriteCall = 0;
  const ConversionResult result = convertStreamGuessing(failing, codUtf, scalarKernel(), buffers);
  EXPECT_EQ(result.status, ConversionStatus::writeFailed);
  EXPECT_EQ(result.error, EIO);
}

// Small reads are judged as they come, so that a terminal user gets the
// first line back at the read that settles the guess, not at the next
// doubling of what is held.
TEST(ConvertStreamGuessing, AnswersAtTheReadThatSettles) {
  const Bytes line = convert(
      bytes("В чащах юга жил бы цитрус? Да, но фальшивый экземпляр!\n"), codUtf, codKoi);
  std::size_t settled = 1;
  while (!guessPage(line.data(), settled, false).conclusive) ++settled;
  ScriptedIo io;
  for (int copies = 0; copies < 4; ++copies)
    io.input.insert(io.input.end(), line.begin(), line.end());
  io.readSizes = {1};
  EXPECT_EQ(convertStreamGuessing(io, codUtf, scalarKernel(), buffers).status, ConversionStatus::done);
  EXPECT_EQ(io.takenAtFirstWrite, static_cast<long>(settled));
}

// A write failure at every position ends the run at once: the output holds
// exactly what the writes accepted, a prefix of the full conversion. A
// write that makes no progress is a failure too; a full non-blocking output
// is waited for.
TEST(ConvertStream, WriteFailureAtEveryCall) {
  for (const int error : {EIO, ENOSPC, EPIPE, 0, EAGAIN}) {
    for (const Input& input : inputs()) {
      const Bytes full = model(input.bytes, input.source, input.target);
      for (long failAt = 0;; ++failAt) {
        ScriptedIo io;
        io.input = input.bytes;
        io.readSizes = {9, 4096};
        io.writeSizes = {3, 8000};
        io.failWriteCall = failAt;
        io.failError = error;
        const ConversionResult result = run(io, input.source, input.target);
        if (io.failWriteCall == failAt) break;  // past the last write
        if (error == EAGAIN) {
          EXPECT_EQ(result.status, ConversionStatus::done);
          EXPECT_EQ(io.waits, 1);
          EXPECT_TRUE(io.waitedForWrite);
          EXPECT_EQ(io.output, full) << input.name << " write " << failAt;
          continue;
        }
        ASSERT_EQ(result.status, ConversionStatus::writeFailed) << input.name;
        EXPECT_EQ(result.error, error == 0 ? EIO : error);
        EXPECT_EQ(io.writeCalls, failAt) << "no write after the failure";
        ASSERT_LE(io.output.size(), full.size());
        EXPECT_TRUE(std::equal(io.output.begin(), io.output.end(), full.begin()))
            << input.name << " write " << failAt;
      }
    }
  }
}

}  // namespace
