#include "codepages.h"

#include <cassert>
#include <cstring>

namespace {
const char* const codNames[codAfterLast] = {"koi", "win", "dos", "mac", "iso",
                                            "utf"};
}

// letterTable is constant-initialized, so it is ready before this runs.
const int letterRowCount = countLetterRows(letterTable);

const char* codNameOf(int codId) {
  assert(codId >= 0 && codId < codAfterLast);
  return codNames[codId];
}

CodeId codIdNamed(const char* name) {
  for (int codId = 0; codId < codAfterLast; ++codId)
    if (std::strcmp(name, codNames[codId]) == 0) return CodeId(codId);
  return codAfterLast;
}

void printCodNames(std::FILE* stream) {
  std::fputs("CodNames: ", stream);
  for (int codId = 0; codId < codAfterLast; ++codId) {
    std::fputs(codNameOf(codId), stream);
    std::fputc(' ', stream);
  }
  std::fputc('\n', stream);
  std::fflush(stream);
}

int countLetterRows(const LetterRow* rows) {
  int count = 0;
  while (rows[count] != LetterRow{}) ++count;
  return count;
}

TranslationMap buildTranslationMap(CodeId source, CodeId target,
                                   const LetterRow* rows, int rowCount) {
  TranslationMap map;
  for (int byte = 0; byte < 256; ++byte)
    map[byte] = static_cast<unsigned char>(byte);
  // Last row first, so that the first row holding a byte has the last word.
  // A 0 in the source column means "no code here", never the NUL byte.
  for (int row = rowCount - 1; row >= 0; --row) {
    const unsigned char code = rows[row][source];
    if (code != 0) map[code] = rows[row][target];
  }
  return map;
}
