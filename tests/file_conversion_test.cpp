#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "file_conversion.h"
#include "glob_match.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

struct GlobCase {
  const char* pattern;
  const char* name;
  bool matches;
};

const GlobCase globCases[] = {
    {"*.srt", "film.srt", true},    {"*.srt", "film.srt.bak", false},
    {"*.srt", ".srt", true},        {"a*b*c", "aXbYbZc", true},
    {"a*b*c", "aXbYbZ", false},     {"?.txt", "a.txt", true},
    {"?.txt", "ab.txt", false},     {"[a-c]x", "bx", true},
    {"[a-c]x", "dx", false},        {"[!a-c]x", "dx", true},
    {"[!a-c]x", "ax", false},       {"[]]", "]", true},
    {"[a-]", "-", true},            {"\\*", "*", true},
    {"\\*", "a", false},            {"[ab", "[ab", true},
    {"*", "", true},                {"", "a", false},
    {"**x", "yyx", true},           {"*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaa", false},
};

TEST(MatchesGlob, Cases) {
  for (const GlobCase& c : globCases)
    EXPECT_EQ(matchesGlob(c.pattern, c.name), c.matches) << c.pattern << " on " << c.name;
}

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// The platform's calls, but the one named fails with error, every time it is
// made; before fails, a hook may run (to change the file meanwhile).
struct FaultyFileSystem final : FileSystem {
  FileSystem& real = platformFileSystem();
  std::string failing;
  int error = EIO;
  std::function<void(const std::string&)> beforeCall = [](const std::string&) {};

  bool fails(const char* call) {
    beforeCall(call);
    return failing == call;
  }
  int status(const std::string& path, bool follow, FileStatus* out) override {
    return fails("status") ? error : real.status(path, follow, out);
  }
  int resolve(const std::string& path, std::string* out) override {
    return fails("resolve") ? error : real.resolve(path, out);
  }
  int list(const std::string& directory, std::vector<DirectoryEntry>* out) override {
    return fails("list") ? error : real.list(directory, out);
  }
  int openForReading(const std::string& path, FileHandle* out) override {
    return fails("openForReading") ? error : real.openForReading(path, out);
  }
  int statusOf(FileHandle file, FileStatus* out) override {
    return fails("statusOf") ? error : real.statusOf(file, out);
  }
  long read(FileHandle file, unsigned char* buffer, std::size_t capacity) override {
    return fails("read") ? -error : real.read(file, buffer, capacity);
  }
  int rewind(FileHandle file) override {
    return fails("rewind") ? error : real.rewind(file);
  }
  int createTemporary(const std::string& directory, std::string* path, FileHandle* out) override {
    return fails("createTemporary") ? error : real.createTemporary(directory, path, out);
  }
  long write(FileHandle file, const unsigned char* data, std::size_t size) override {
    return fails("write") ? -error : real.write(file, data, size);
  }
  int setOwner(FileHandle file, std::uint32_t owner, std::uint32_t group) override {
    return fails("setOwner") ? error : real.setOwner(file, owner, group);
  }
  int copyAttributes(FileHandle from, FileHandle to) override {
    return fails("copyAttributes") ? error : real.copyAttributes(from, to);
  }
  int setMode(FileHandle file, std::uint32_t mode) override {
    return fails("setMode") ? error : real.setMode(file, mode);
  }
  int setTimes(FileHandle file, std::int64_t access, std::int64_t modification) override {
    return fails("setTimes") ? error : real.setTimes(file, access, modification);
  }
  int syncFiles(std::span<const FileHandle> files) override {
    return fails("syncFiles") ? error : real.syncFiles(files);
  }
  int close(FileHandle file) override {
    const int result = real.close(file);  // a failed close still frees the handle
    return fails("close") ? error : result;
  }
  int replace(const std::string& from, const std::string& to) override {
    return fails("replace") ? error : real.replace(from, to);
  }
  int keepAs(const std::string& file, const std::string& name) override {
    return fails("keepAs") ? error : real.keepAs(file, name);
  }
  int remove(const std::string& path) override {
    return fails("remove") ? error : real.remove(path);
  }
  int syncDirectory(const std::string& directory) override {
    return fails("syncDirectory") ? error : real.syncDirectory(directory);
  }
};

class FileConversion : public ::testing::Test {
 protected:
  void SetUp() override {
    directory = fs::temp_directory_path() /
                ("bytemorph-test-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(directory);
    fs::create_directory(directory);
    file = directory / "text.txt";
    writeAll(file, original);
  }
  void TearDown() override { fs::remove_all(directory); }

  // Converts the file koi -> utf as a run does: prepare, one batch commit.
  FileOutcome convertFile(FileSystem& fileSystem, const FileRequest& request) {
    FileStatus status;
    platformFileSystem().status(file, true, &status);
    const FileTask task{FileTask::Kind::convert, file.string(), 0, status};
    std::atomic<bool> cancel{false};
    FileOutcome outcome =
        prepareFile(fileSystem, task, request, referenceKernel(), buffers, cancel);
    commitBatch(fileSystem, request, std::span(&outcome, 1),
                [](std::size_t count, const std::function<void(std::size_t)>& work) {
                  for (std::size_t i = 0; i < count; ++i) work(i);
                });
    return outcome;
  }

  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(directory))
      found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }

  static FileRequest koiToUtf() {
    FileRequest request;
    request.source = codKoi;
    request.target = codUtf;
    return request;
  }

  ConversionBuffers buffers;
  fs::path directory, file;
  // "Привет, мир" in KOI8-R, three lines, no newline at the end.
  const std::string original = "\xF0\xD2\xC9\xD7\xC5\xD4, \xCD\xC9\xD2\n\xCD\xC9\xD2\nok";
  const std::string converted = "Привет, мир\nмир\nok\n";
};

struct FaultCase {
  const char* call;
  FileOutcome::Kind kind;
  bool replaced;  ///< whether the result stands in the original's place
};

const FaultCase faultCases[] = {
    {"openForReading", FileOutcome::Kind::failed, false},
    {"statusOf", FileOutcome::Kind::failed, false},
    {"read", FileOutcome::Kind::failed, false},
    {"createTemporary", FileOutcome::Kind::failed, false},
    {"write", FileOutcome::Kind::failed, false},
    {"setOwner", FileOutcome::Kind::left, false},
    {"copyAttributes", FileOutcome::Kind::failed, false},
    {"setMode", FileOutcome::Kind::failed, false},
    {"setTimes", FileOutcome::Kind::failed, false},
    {"syncFiles", FileOutcome::Kind::failed, false},
    {"close", FileOutcome::Kind::failed, false},
    {"status", FileOutcome::Kind::failed, false},
    {"keepAs", FileOutcome::Kind::failed, false},
    {"replace", FileOutcome::Kind::failed, false},
    {"syncDirectory", FileOutcome::Kind::failed, true},
};

TEST_F(FileConversion, AFailedCallLeavesTheOriginalAndNoTemporaryFile) {
  FileRequest request = koiToUtf();
  request.backup = true;
  request.keepDate = true;
  for (const FaultCase& c : faultCases) {
    writeAll(file, original);
    fs::remove(directory / "text.txt~");
    FaultyFileSystem faulty;
    faulty.failing = c.call;
    faulty.error = ENOSPC;
    const FileOutcome outcome = convertFile(faulty, request);
    EXPECT_EQ(outcome.kind, c.kind) << c.call << ": " << outcome.reason;
    EXPECT_NE(outcome.reason.find(c.kind == FileOutcome::Kind::left ? "owner" : "No space"),
              std::string::npos)
        << c.call << ": " << outcome.reason;
    EXPECT_EQ(readAll(file), c.replaced ? converted : original) << c.call;
    const std::vector<std::string> expected =
        c.replaced ? std::vector<std::string>{"text.txt", "text.txt~"}
                   : std::vector<std::string>{"text.txt"};
    EXPECT_EQ(names(), expected) << c.call;
  }
}

TEST_F(FileConversion, WithoutFaultsTheResultReplacesTheOriginalKeptAsBackup) {
  FileRequest request = koiToUtf();
  request.backup = true;
  request.backupSuffix = ".orig";
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const FileOutcome outcome = convertFile(platformFileSystem(), request);
  EXPECT_EQ(outcome.kind, FileOutcome::Kind::converted) << outcome.reason;
  EXPECT_EQ(readAll(file), converted);
  EXPECT_EQ(readAll(directory / "text.txt.orig"), original);
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(names(), (std::vector<std::string>{"text.txt", "text.txt.orig"}));
}

// A file still being written: it grows while read, or after it was read
// and before its result replaces it.
TEST_F(FileConversion, AFileThatChangesMeanwhileIsLeft) {
  for (const char* when : {"read", "status"}) {
    writeAll(file, original);
    FaultyFileSystem growing;
    bool grown = false;
    growing.beforeCall = [&](const std::string& call) {
      if (call != when || grown) return;
      grown = true;
      std::ofstream(file, std::ios::binary | std::ios::app) << "\xC4\xC1\n";
    };
    const FileOutcome outcome = convertFile(growing, koiToUtf());
    EXPECT_EQ(outcome.kind, FileOutcome::Kind::left) << when;
    EXPECT_EQ(outcome.reason, "changed while it was converted") << when;
    EXPECT_EQ(readAll(file), original + "\xC4\xC1\n") << when;
    EXPECT_EQ(names(), std::vector<std::string>{"text.txt"}) << when;
  }
}

// ASCII longer than the guess holds settles nothing: the Russian after it
// does, and the file is then read again from its start.
TEST_F(FileConversion, AnAsciiStartLongerThanHeldIsReadAgain) {
  std::string start;
  while (start.size() <= maxGuessBytes + 1000) start += "INFO service started\n";
  FileRequest request = koiToUtf();
  for (const bool guessed : {true, false}) {
    request.guessSource = guessed;
    for (const char* failing : {"", "rewind"}) {
      writeAll(file, start + original);
      FaultyFileSystem faulty;
      faulty.failing = failing;
      const FileOutcome outcome = convertFile(faulty, request);
      const bool fails = *failing != '\0';
      EXPECT_EQ(outcome.kind, fails ? FileOutcome::Kind::failed : FileOutcome::Kind::converted)
          << guessed << failing << ": " << outcome.reason;
      EXPECT_EQ(readAll(file) == start + converted, !fails) << guessed << failing;
      EXPECT_EQ(names(), std::vector<std::string>{"text.txt"}) << guessed << failing;
    }
  }
}

// A stop while the page is still guessed, as while converting, leaves the
// file as it was and nothing to report.
TEST_F(FileConversion, AStopWhileGuessingIsNoFailure) {
  FileRequest request = koiToUtf();
  request.guessSource = true;
  std::atomic<bool> cancel{false};
  FaultyFileSystem stopping;
  stopping.beforeCall = [&](const std::string& call) { cancel = cancel || call == "statusOf"; };
  FileStatus status;
  platformFileSystem().status(file, true, &status);
  const FileTask task{FileTask::Kind::convert, file.string(), 0, status};
  const FileOutcome outcome =
      prepareFile(stopping, task, request, referenceKernel(), buffers, cancel);
  EXPECT_EQ(outcome.kind, FileOutcome::Kind::stopped) << outcome.reason;
  EXPECT_EQ(readAll(file), original);
  EXPECT_EQ(names(), std::vector<std::string>{"text.txt"});
}

TEST_F(FileConversion, ADryRunTouchesNothing) {
  FileRequest request = koiToUtf();
  request.dryRun = true;
  const auto before = fs::last_write_time(file);
  const FileOutcome outcome = convertFile(platformFileSystem(), request);
  EXPECT_EQ(outcome.kind, FileOutcome::Kind::converted) << outcome.reason;
  EXPECT_EQ(readAll(file), original);
  EXPECT_EQ(fs::last_write_time(file), before);
  EXPECT_EQ(names(), std::vector<std::string>{"text.txt"});
}

}  // namespace
