#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "codepages.h"
#include "kernels.h"
#include "line_conversion.h"

namespace {

void printBanner() {
  std::fputs("bytemorph v 1.1 - Cyrillic code page converter\n", stdout);
}

// Writes message and detail as one error line.
void reportError(const char* message, const char* detail = nullptr) {
  std::fflush(stdout);
  std::fputs("bytemorph ERROR: ", stderr);
  std::fputs(message, stderr);
  if (detail) std::fputs(detail, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

[[noreturn]] void printUsage() {
  printBanner();
  std::fputs("bytemorph from to\nwhere: from,to - codName\n", stdout);
  printCodNames(stdout);
  std::fputs("from may be auto: guessed from the input\n", stdout);
  // Usage that never arrived should not pass silently either.
  if (std::ferror(stdout))
    reportError("Cannot write standard output: ", errorText(errno));
  std::exit(2);
}

CodeId findCodId(const char* name) {
  if (const CodeId codId = codIdNamed(name); codId != codAfterLast) return codId;
  reportError("Unknown cyrillic codName");
  printCodNames(stderr);
  std::exit(1);
}

const Kernel& findKernel() {
  const char* forced = std::getenv("BYTEMORPH_KERNEL");
  const Kernel* kernel = nullptr;
  switch (chooseKernel(forced, &kernel)) {
    case KernelChoice::chosen:
      return *kernel;
    case KernelChoice::unknownName:
      reportError("Unknown kernel in BYTEMORPH_KERNEL: ", forced);
      break;
    case KernelChoice::unsupported:
      reportError("Kernel in BYTEMORPH_KERNEL not supported by this CPU: ",
                  forced);
      break;
  }
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) printUsage();
  const CodeId target = findCodId(argv[2]);
  const bool guessSource = std::strcmp(argv[1], "auto") == 0;
  const CodeId source = guessSource ? codUtf : findCodId(argv[1]);
  const Kernel& kernel = findKernel();
  if (standardStreamsShareAFile()) {
    // Every block written would be read again, without end.
    reportError("Input file is output file");
    return 1;
  }

  ConversionBuffers buffers;
  const ConversionResult result =
      guessSource ? convertStreamGuessing(standardStreams(), target, kernel, buffers)
                  : convertStream(standardStreams(), source, target, kernel, buffers);
  switch (result.status) {
    case ConversionStatus::done:
      return 0;
    case ConversionStatus::readFailed:
      reportError("Cannot read standard input: ", errorText(result.error));
      return 1;
    case ConversionStatus::writeFailed:
      reportError("Cannot write standard output: ", errorText(result.error));
      return 1;
    case ConversionStatus::notText:
      reportError("Cannot tell the code page of the input: it is binary data, not text");
      return 1;
    case ConversionStatus::notCyrillic:
      reportError("Cannot tell the code page of the input: no code page reads it as Cyrillic");
      return 1;
  }
  return 1;
}
