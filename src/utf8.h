#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "code_charts.h"
#include "codepages.h"
#include "translate.h"

enum class SequenceKind { complete, malformed, cutShort };

/// One UTF-8 sequence: what it is, its code point when complete, and the
/// bytes it takes (1 when malformed or cut short).
struct Sequence {
  SequenceKind kind;
  char32_t codePoint;
  std::size_t length;
};

/// The well-formed sequence (Unicode's table 3-7) at the start of in[0,
/// size), size > 0. A sequence that the end of in interrupts is cut short;
/// one that the next byte breaks is malformed, and only its first byte is
/// taken, so the breaking byte starts afresh.
Sequence readSequence(const unsigned char* in, std::size_t size);

/// What each byte of an 8-bit page means to this program: the published
/// page, overridden by the letter table where a byte is in its column.
CodeChart pageCharacters(CodeId page);

/// The UTF-8 form of one byte of a source page: up to three bytes in
/// order, then their count, so that one 4-byte copy stores a character.
struct Utf8Form {
  unsigned char bytes[3];
  unsigned char length;
};

/// The UTF-8 form of every byte of a source page.
using Utf8Chart = std::array<Utf8Form, 256>;

/// Utf8Chart of an 8-bit page (ASCII and control bytes stay as they are).
Utf8Chart buildUtf8Chart(CodeId source);

/// Most UTF-8 bytes one byte of an 8-bit page can become.
constexpr std::size_t maxUtf8Growth = 3;

/// Writes in[0, size) as UTF-8 into out, which must have room for
/// maxUtf8Growth * size + 1 bytes (a store may run one byte past the last
/// one written). Returns the number of bytes written.
std::size_t pageToUtf8(const Utf8Chart& chart, const unsigned char* in,
                       std::size_t size, unsigned char* out);

/// How the characters of UTF-8 text land in one 8-bit target page.
struct PageEncoder {
  /// For each code point below U+0800: the byte to write ('?' where the
  /// page lacks the character) in the low byte, and the flags below.
  std::array<std::uint16_t, 0x800> belowU800;
  /// The page's characters from U+0800 up, sorted by code point.
  struct Entry {
    char32_t codePoint;
    std::uint16_t code;
  };
  std::array<Entry, 256> upper;
  int upperCount;
  /// Base letter and mark pairs whose composed letter the page holds.
  std::array<Composition, 32> compositions;
  int compositionCount;
};

/// Flags of an encoder entry: the letter table removes the character (« »
/// en and em dash toward koi, dos and iso); the character is the base of a
/// composed letter the page holds, so a combining mark may change it.
constexpr std::uint16_t removedCharacter = 0x100, compositionBase = 0x200;

/// PageEncoder of an 8-bit target page: every character of
/// pageCharacters(target) becomes its byte, the letter table's byte where
/// two bytes read the same (koi no-break space: 0xA0, not 0x9A).
PageEncoder buildPageEncoder(CodeId target);

/// Most bytes a call of utf8ToPage leaves unconsumed when more input may
/// follow: an unfinished sequence, or a base letter and an unfinished mark.
constexpr std::size_t maxUtf8Carry = 8;

/// Converts UTF-8 in[0, size) into the encoder's page in out (room for size
/// bytes). A character the page lacks becomes one '?'; a removed one
/// vanishes; a base letter and combining mark become the composed letter
/// where the page holds it; a byte outside a well-formed sequence passes
/// unchanged; a byte-order mark at startOfInput is dropped. Unless final,
/// stops before a sequence (or base letter and mark) that the end of in
/// cuts short, so that the caller can hand those bytes in again with more;
/// with final, consumes everything.
TranslateProgress utf8ToPage(const PageEncoder& encoder,
                             const unsigned char* in, std::size_t size,
                             unsigned char* out, bool startOfInput, bool final);

/// The common case of utf8ToPage eight bytes at a time, in portable code:
/// words of ASCII and two-byte characters (but those led by C2, where the
/// removed « and » are) with no combining mark in or just after them;
/// others go through utf8ToPage a few bytes at a time. Stops
/// up to 8 bytes short of the end and never at the start of the input;
/// out may be in. Does nothing on big-endian machines.
TranslateProgress utf8ToPageWords(const PageEncoder& encoder, const unsigned char* in,
                                  std::size_t size, unsigned char* out);
