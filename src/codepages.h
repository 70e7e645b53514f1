#pragma once

#include <array>
#include <cstdio>

/// Id of a code page: the five 8-bit Cyrillic pages, then UTF-8. It indexes
/// the name table; the 8-bit ids also index the columns of every LetterRow.
enum CodeId : int { codKoi, codWin, codDos, codMac, codIso, codUtf, codAfterLast };

/// Number of 8-bit pages: the ids below it, and the letter table's columns.
constexpr int codTableColumns = codUtf;

/// One character's code in each 8-bit page, in CodeId order; 0 where a code
/// page has no code for the character.
using LetterRow = std::array<unsigned char, codTableColumns>;

/// The rows the program converts, closed by an all-zero row. Its length is
/// known only from that terminator.
extern const LetterRow letterTable[];

/// Number of rows of letterTable before its terminator, counted once before
/// main runs.
extern const int letterRowCount;

/// Output byte for every input byte. A 0 entry for a non-zero input byte
/// means the byte is removed; byte 0 always maps to itself and is kept.
using TranslationMap = std::array<unsigned char, 256>;

/// Name of a code page ("koi", "win", ...). Asserts that codId is valid.
const char* codNameOf(int codId);

/// The code page with that name, or codAfterLast for no page.
CodeId codIdNamed(const char* name);

/// Writes "CodNames: " and every name followed by a blank, then a newline,
/// and flushes the stream. Write errors are left in the stream's error flag.
void printCodNames(std::FILE* stream);

/// Number of rows before the first all-zero row of rows.
int countLetterRows(const LetterRow* rows);

/// Map between two 8-bit pages over the first rowCount rows: the first row
/// whose source code equals a byte decides its output, a byte in no row
/// passes unchanged, and a row's 0 code never matches an input byte.
TranslationMap buildTranslationMap(CodeId source, CodeId target,
                                   const LetterRow* rows = letterTable,
                                   int rowCount = letterRowCount);
