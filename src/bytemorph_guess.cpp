#include <cerrno>
#include <cstdio>
#include <cstring>

#include "codepages.h"
#include "guess.h"

namespace {

const char usage[] =
    "bytemorph-guess [FILE...]\n"
    "prints the code page of each FILE (standard input without one, or for -):\n"
    "CodNames: koi win dos mac iso utf \n"
    "or binary (not text) or unknown (text in no Cyrillic page)\n";

// Enough for a conclusive guess on almost any text; more only when not.
constexpr std::size_t firstRead = 64 * 1024;

// Reads up to want bytes into text + *size. Returns false on a read error.
// fread comes back short only at the end or on an error.
bool readUpTo(std::FILE* file, unsigned char* text, std::size_t* size, std::size_t want,
              bool* ended) {
  if (*size >= want || *ended) return true;
  const std::size_t count = std::fread(text + *size, 1, want - *size, file);
  *size += count;
  if (*size < want) {
    if (std::ferror(file)) return false;
    *ended = true;
  }
  return true;
}

// Guesses one file's page and prints it; false when the file cannot be read.
bool guessFile(const char* path) {
  static unsigned char text[maxGuessBytes];
  const bool standardInput = path == nullptr || std::strcmp(path, "-") == 0;
  std::FILE* file = standardInput ? stdin : std::fopen(path, "r");
  // Reads go straight into text: no buffer to set up for each of many files.
  if (file && !standardInput) std::setvbuf(file, nullptr, _IONBF, 0);
  std::size_t size = 0;
  bool ended = false;
  bool ok = file != nullptr && readUpTo(file, text, &size, firstRead, &ended);
  PageGuess guess{codUtf, false};
  bool settled = false;
  if (ok && !ended) {
    guess = guessPage(text, size, false);
    settled = guess.conclusive;
    if (!settled) ok = readUpTo(file, text, &size, maxGuessBytes, &ended);
    // An ASCII start settles nothing: what follows it does.
    while (ok && !ended && size == maxGuessBytes) {
      const std::size_t passing = asciiStartToPassOn(text, size);
      if (passing == 0) break;
      size -= passing;
      std::memmove(text, text + passing, size);
      ok = readUpTo(file, text, &size, maxGuessBytes, &ended);
    }
  }
  const int error = errno;
  if (file && !standardInput) std::fclose(file);
  if (!ok) {
    std::fflush(stdout);
    std::fprintf(stderr, "bytemorph-guess ERROR: Cannot read %s: %s\n",
                 standardInput ? "standard input" : path, std::strerror(error));
    return false;
  }
  if (!settled) guess = guessPage(text, size, ended);
  const char* name = guessName(guess);
  if (path == nullptr)
    std::printf("%s\n", name);
  else
    std::printf("%s: %s\n", path, name);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  for (; first < argc && argv[first][0] == '-' && argv[first][1] != '\0'; ++first) {
    if (std::strcmp(argv[first], "--") == 0) {
      ++first;
      break;
    }
    const bool help = std::strcmp(argv[first], "-h") == 0 ||
                      std::strcmp(argv[first], "--help") == 0;
    std::fputs(usage, help ? stdout : stderr);
    return help ? 0 : 2;
  }
  bool allRead = true;
  if (first == argc) allRead = guessFile(nullptr);
  for (int i = first; i < argc; ++i) allRead &= guessFile(argv[i]);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "bytemorph-guess ERROR: Cannot write standard output: %s\n",
                 std::strerror(errno));
    return 1;
  }
  return allRead ? 0 : 1;
}
