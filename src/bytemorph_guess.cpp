#include <cerrno>
#include <cstdio>
#include <cstring>

#include <string>
#include <vector>

#include "byte_io.h"
#include "codepages.h"
#include "file_system.h"
#include "guess.h"

namespace {

const char usage[] =
    "bytemorph-guess [FILE...]\n"
    "prints the code page of each FILE (standard input without one, or for -):\n"
    "CodNames: koi win dos mac iso utf \n"
    "or binary (not text) or unknown (text in no Cyrillic page)\n";

// Enough for a conclusive guess on almost any text; more only when not.
constexpr std::size_t firstRead = 64 * 1024;

// Where a guess reads its bytes from, through the platform's calls:
// standard input as the filter reads it, a named file as its own bytes (no
// text mode), which costs a file less than a stdio stream does.
class Source {
 public:
  explicit Source(const std::string* path) : path_(path) {
    if (path_ != nullptr) error_ = platformFileSystem().openForReading(*path_, &file_);
    open_ = path_ != nullptr && error_ == 0;
  }
  ~Source() {
    if (open_) platformFileSystem().close(file_);
  }
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  int error() const { return error_; }

  // Reads up to want bytes into text + *size; *ended once the input ends.
  // False on a read error, whose errno value error() then gives.
  bool readUpTo(unsigned char* text, std::size_t* size, std::size_t want, bool* ended) {
    while (error_ == 0 && *size < want && !*ended) {
      const long count = path_ == nullptr
                             ? readStandardInput(text + *size, want - *size)
                             : platformFileSystem().read(file_, text + *size, want - *size);
      if (count < 0) {
        if (count != -EINTR) error_ = static_cast<int>(-count);
      } else if (count == 0) {
        *ended = true;
      } else {
        *size += static_cast<std::size_t>(count);
      }
    }
    return error_ == 0;
  }

 private:
  // As the filter reads it: waited for when a parent left it non-blocking.
  // A named file is opened blocking.
  static long readStandardInput(unsigned char* buffer, std::size_t capacity) {
    ByteIo& input = standardStreams();
    return callUntilDone(input, false, [&] { return input.read(buffer, capacity); });
  }

  const std::string* path_;
  FileHandle file_{};
  bool open_ = false;  // a file of ours to close, read to its end or not
  int error_ = 0;
};

// Guesses one file's page (standard input's for a null path) and prints
// it, under name unless null; false when the input cannot be read.
bool guessFile(const std::string* path, const char* name) {
  static unsigned char text[maxGuessBytes];
  Source source(path);
  std::size_t size = 0;
  bool ended = false;
  bool ok = source.readUpTo(text, &size, firstRead, &ended);
  PageGuess guess{codUtf, false};
  bool settled = false;
  if (ok && !ended) {
    guess = guessPage(text, size, false);
    settled = guess.conclusive;
    if (!settled) ok = source.readUpTo(text, &size, maxGuessBytes, &ended);
    // An ASCII start settles nothing: what follows it does.
    while (ok && !ended && size == maxGuessBytes) {
      const std::size_t passing = asciiStartToPassOn(text, size);
      if (passing == 0) break;
      size -= passing;
      std::memmove(text, text + passing, size);
      ok = source.readUpTo(text, &size, maxGuessBytes, &ended);
    }
  }
  if (!ok) {
    std::fflush(stdout);
    std::fprintf(stderr, "bytemorph-guess ERROR: Cannot read %s: %s\n",
                 path == nullptr ? "standard input" : name, errorText(source.error()));
    return false;
  }
  if (!settled) guess = guessPage(text, size, ended);
  // Written a piece at a time: printf's parsing of its format cost a guess
  // of a one-line file 1.2% more instructions.
  if (name != nullptr) {
    std::fputs(name, stdout);
    std::fputs(": ", stdout);
  }
  std::fputs(guessName(guess), stdout);
  std::putchar('\n');
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // The names as the platform gives them in UTF-8 (Windows), else as given.
  const std::vector<std::string> args = commandLineArguments(argc, argv);
  const std::size_t count = args.size();
  std::size_t first = 1;
  for (; first < count && args[first].size() > 1 && args[first][0] == '-'; ++first) {
    if (args[first] == "--") {
      ++first;
      break;
    }
    const bool help = args[first] == "-h" || args[first] == "--help";
    std::fputs(usage, help ? stdout : stderr);
    return help ? 0 : 2;
  }
  bool allRead = true;
  if (first == count) allRead = guessFile(nullptr, nullptr);
  for (std::size_t i = first; i < count; ++i)
    allRead &= guessFile(args[i] == "-" ? nullptr : &args[i], args[i].c_str());
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "bytemorph-guess ERROR: Cannot write standard output: %s\n",
                 std::strerror(errno));
    return 1;
  }
  return allRead ? 0 : 1;
}
