#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "line_conversion.h"
#include "test_support.h"

namespace {

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

const Kernel& scalarKernel() {
  const Kernel* kernel = nullptr;
  chooseKernel("scalar", &kernel);
  return *kernel;
}

struct Input {
  const char* name;
  CodeId source, target;
  Bytes bytes;
};

std::vector<Input> inputs() {
  Bytes longLine(3 * conversionBlockSize + 17, 0xC1);
  longLine.push_back('\n');
  Bytes everyByte;
  for (int i = 0; i < 256 * 3; ++i) everyByte.push_back(i & 0xFF);
  return {
      {"empty", codKoi, codWin, {}},
      {"lone newline", codKoi, codKoi, bytes("\n")},
      {"terminated", codKoi, codKoi, bytes("abc\n")},
      {"unterminated", codKoi, codKoi, bytes("abc")},
      {"nul inside", codKoi, codWin, bytes(std::string("a\0\xC1\n\0", 5))},
      {"cr lf", codWin, codKoi, bytes("\xC0\r\n\r")},
      {"removed only", codWin, codKoi, bytes("\xAB\xBB\n\xAB")},
      {"quotes dropped", codWin, codKoi, bytes("\xAB\x61\xBB\n")},
      {"long line", codKoi, codDos, longLine},
      {"every byte", codMac, codIso, everyByte},
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

TEST(ConvertStream, EverySplitGivesTheModelOutput) {
  for (const Input& input : inputs()) {
    for (const Split& split : splits) {
      ScriptedIo io;
      io.input = input.bytes;
      io.readSizes = split.readSizes;
      io.writeSizes = split.writeSizes;
      io.interruptEveryOtherCall = split.interrupt;
      const ConversionResult result =
          convertStream(io, input.source, input.target, scalarKernel());
      EXPECT_EQ(result.status, ConversionStatus::done)
          << input.name << " / " << split.name;
      EXPECT_EQ(io.output, model(input.bytes, input.source, input.target))
          << input.name << " / " << split.name;
    }
  }
}

// A read failure at every position: all that was read before it is written,
// converted, and no newline is invented for the cut line.
TEST(ConvertStream, ReadFailureAtEveryCallKeepsWhatWasRead) {
  for (const Input& input : inputs()) {
    for (long failAt = 0;; ++failAt) {
      ScriptedIo io;
      io.input = input.bytes;
      io.readSizes = {5, 1, 7000};
      io.failReadCall = failAt;
      const ConversionResult result =
          convertStream(io, input.source, input.target, scalarKernel());
      if (result.status == ConversionStatus::done) break;  // past the end
      ASSERT_EQ(result.status, ConversionStatus::readFailed) << input.name;
      EXPECT_EQ(result.error, EIO);
      Bytes expected = model(
          Bytes(input.bytes.begin(), input.bytes.begin() + io.inputTaken),
          input.source, input.target);
      if (io.inputTaken > 0 && input.bytes[io.inputTaken - 1] != '\n')
        expected.pop_back();
      EXPECT_EQ(io.output, expected) << input.name << " read " << failAt;
    }
  }
}

// A write failure at every position ends the run at once: the output holds
// exactly what the writes accepted, a prefix of the full conversion.
TEST(ConvertStream, WriteFailureAtEveryCallStopsTheRun) {
  for (const int error : {EIO, ENOSPC, EPIPE}) {
    for (const Input& input : inputs()) {
      const Bytes full = model(input.bytes, input.source, input.target);
      for (long failAt = 0;; ++failAt) {
        ScriptedIo io;
        io.input = input.bytes;
        io.readSizes = {9, 4096};
        io.writeSizes = {3, 8000};
        io.failWriteCall = failAt;
        io.failError = error;
        const ConversionResult result =
            convertStream(io, input.source, input.target, scalarKernel());
        if (result.status == ConversionStatus::done) {
          EXPECT_EQ(io.output, full);
          break;
        }
        ASSERT_EQ(result.status, ConversionStatus::writeFailed) << input.name;
        EXPECT_EQ(result.error, error);
        EXPECT_EQ(io.writeCalls, failAt) << "no write after the failure";
        ASSERT_LE(io.output.size(), full.size());
        EXPECT_TRUE(std::equal(io.output.begin(), io.output.end(), full.begin()))
            << input.name << " write " << failAt;
      }
    }
  }
}

TEST(ConvertStream, WriteThatMakesNoProgressIsAnError) {
  ScriptedIo io;
  io.input = bytes("abc\n");
  io.writeSizes = {0};
  const ConversionResult result =
      convertStream(io, codKoi, codWin, scalarKernel());
  EXPECT_EQ(result.status, ConversionStatus::writeFailed);
  EXPECT_EQ(result.error, EIO);
}

}  // namespace
