#include "utf8.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// An encoder entry still open while the encoder is built; '?' in the end.
constexpr std::uint16_t undecided = 0xFFFF;
constexpr std::uint16_t unheld = '?';

Utf8Form utf8Form(char32_t c) {
  auto byte = [](char32_t value) { return static_cast<unsigned char>(value); };
  if (c < 0x80) return {{byte(c), 0, 0}, 1};
  if (c < 0x800) return {{byte(0xC0 | c >> 6), byte(0x80 | (c & 0x3F)), 0}, 2};
  return {{byte(0xE0 | c >> 12), byte(0x80 | (c >> 6 & 0x3F)), byte(0x80 | (c & 0x3F))}, 3};
}

// The belowU800 entry of a character: lead itself when it is ASCII
// (twoBytes 0), else the code point of the two-byte form lead, second.
// Chosen by masks, not a branch, for the decoding loops.
inline unsigned belowU800Index(unsigned lead, unsigned second, unsigned twoBytes) {
  const unsigned mask = 0u - twoBytes;
  return ((lead & ~mask) | (((lead & 0x1Fu) << 6 | (second & 0x3Fu)) & mask)) & 0x7FF;
}

}  // namespace

Sequence readSequence(const unsigned char* in, std::size_t size) {
  const unsigned char lead = in[0];
  if (lead < 0x80) return {SequenceKind::complete, lead, 1};
  std::size_t length;
  char32_t codePoint;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return {SequenceKind::malformed, 0, 1};
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (k == size) return {SequenceKind::cutShort, 0, 1};
    if (in[k] < low || in[k] > high) return {SequenceKind::malformed, 0, 1};
    low = 0x80;
    high = 0xBF;
    codePoint = codePoint << 6 | (in[k] & 0x3F);
  }
  return {SequenceKind::complete, codePoint, length};
}

namespace {

std::uint16_t lookUp(const PageEncoder& encoder, char32_t c) {
  if (c < 0x800) return encoder.belowU800[c];
  const PageEncoder::Entry* end = encoder.upper.data() + encoder.upperCount;
  const PageEncoder::Entry* found = std::lower_bound(
      encoder.upper.data(), end, c,
      [](const PageEncoder::Entry& entry, char32_t key) {
        return entry.codePoint < key;
      });
  return found != end && found->codePoint == c ? found->code : unheld;
}

// Gives c the code unless an earlier call already decided it.
void decide(PageEncoder& encoder, char32_t c, std::uint16_t code) {
  if (c < 0x800) {
    if (encoder.belowU800[c] == undecided) encoder.belowU800[c] = code;
    return;
  }
  for (int i = 0; i < encoder.upperCount; ++i)
    if (encoder.upper[i].codePoint == c) return;
  encoder.upper[encoder.upperCount++] = {c, code};
}

}  // namespace

CodeChart pageCharacters(CodeId page) {
  CodeChart chart = codeCharts[page];
  // The letters' own page, win, holds every one of them; last row first, so
  // that the first row holding a byte has the last word.
  for (int row = letterRowCount - 1; row >= 0; --row) {
    const unsigned char code = letterTable[row][page];
    if (code != 0) chart[code] = codeCharts[codWin][letterTable[row][codWin]];
  }
  return chart;
}

Utf8Chart buildUtf8Chart(CodeId source) {
  const CodeChart characters = pageCharacters(source);
  Utf8Chart chart;
  for (int byte = 0; byte < 256; ++byte) chart[byte] = utf8Form(characters[byte]);
  return chart;
}

std::size_t pageToUtf8(const Utf8Chart& chart, const unsigned char* in,
                       std::size_t size, unsigned char* out) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const Utf8Form& form = chart[in[i]];
    std::memcpy(out + written, &form, sizeof form);
    written += form.length;
  }
  return written;
}

PageEncoder buildPageEncoder(CodeId target) {
  PageEncoder encoder;
  encoder.belowU800.fill(undecided);
  encoder.upperCount = 0;
  // The letter table decides first: its byte, or removal where the target
  // has no code for the character. Then the rest of the page.
  for (int row = 0; row < letterRowCount; ++row) {
    const unsigned char code = letterTable[row][target];
    decide(encoder, codeCharts[codWin][letterTable[row][codWin]],
           code != 0 ? code : removedCharacter);
  }
  const CodeChart characters = pageCharacters(target);
  for (int byte = 0; byte < 256; ++byte)
    decide(encoder, characters[byte], static_cast<std::uint16_t>(byte));
  std::replace(encoder.belowU800.begin(), encoder.belowU800.end(), undecided, unheld);
  std::sort(encoder.upper.data(), encoder.upper.data() + encoder.upperCount,
            [](const PageEncoder::Entry& a, const PageEncoder::Entry& b) {
              return a.codePoint < b.codePoint;
            });

  encoder.compositionCount = 0;
  for (int i = 0; i < compositionCount; ++i) {
    const Composition& composition = compositions[i];
    if (composition.base >= 0x800 ||
        lookUp(encoder, composition.composed) == unheld)
      continue;
    encoder.compositions[encoder.compositionCount++] = composition;
    encoder.belowU800[composition.base] |= compositionBase;
  }
  return encoder;
}

TranslateProgress utf8ToPage(const PageEncoder& encoder,
                             const unsigned char* in, std::size_t size,
                             unsigned char* out, bool startOfInput,
                             bool final) {
  static const unsigned char bom[] = {0xEF, 0xBB, 0xBF};
  std::size_t read = 0, written = 0;
  if (startOfInput) {
    const std::size_t seen = std::min(size, sizeof bom);
    if (std::equal(in, in + seen, bom)) {
      if (seen < sizeof bom && !final) return {0, 0};
      if (seen == sizeof bom) read = sizeof bom;
    }
  }
  while (read < size) {
    const unsigned char lead = in[read];
    if (read + 3 <= size) {
      // The common case in one predictable branch: ASCII (itself in every
      // page) or a two-byte character (Cyrillic, Latin-1 punctuation) that
      // no combining mark follows.
      // Bitwise, not logical, operators: no branch to mispredict.
      const unsigned char second = in[read + 1];
      const unsigned twoBytes = (static_cast<unsigned>(lead - 0xC2) <= 0xDF - 0xC2) &
                                ((second & 0xC0) == 0x80);
      const std::uint16_t code = encoder.belowU800[belowU800Index(lead, second, twoBytes)];
      const unsigned markFollows =
          ((code & compositionBase) != 0) & ((in[read + 2] & 0xFE) == 0xCC);
      const unsigned simple = ((lead >> 7) ^ 1u) | (twoBytes & (markFollows ^ 1u));
      if (simple != 0) {
        out[written] = static_cast<unsigned char>(code);
        written += !(code & removedCharacter);
        read += 1 + twoBytes;
        continue;
      }
    }
    if (lead < 0x80) {
      out[written++] = lead;
      ++read;
      continue;
    }
    const Sequence sequence = readSequence(in + read, size - read);
    if (sequence.kind == SequenceKind::cutShort && !final) break;
    if (sequence.kind != SequenceKind::complete) {
      out[written++] = lead;  // malformed: passes as it is
      ++read;
      continue;
    }
    std::uint16_t code = lookUp(encoder, sequence.codePoint);
    std::size_t next = read + sequence.length;
    if (code & compositionBase) {
      // A mark (U+0300..U+036F) is two bytes, led by CC or CD.
      const bool markMayFollow =
          next == size || ((in[next] == 0xCC || in[next] == 0xCD) && next + 1 == size);
      if (markMayFollow && !final) break;
      const Sequence mark = next < size ? readSequence(in + next, size - next)
                                        : Sequence{SequenceKind::cutShort, 0, 0};
      for (int i = 0; i < encoder.compositionCount; ++i) {
        const Composition& composition = encoder.compositions[i];
        if (mark.kind == SequenceKind::complete && composition.base == sequence.codePoint &&
            composition.mark == mark.codePoint) {
          code = lookUp(encoder, composition.composed);
          next += mark.length;
          break;
        }
      }
    }
    out[written] = static_cast<unsigned char>(code);
    written += !(code & removedCharacter);
    read = next;
  }
  return {read, written};
}

namespace {

constexpr std::uint64_t everyByte(unsigned char value) {
  return 0x0101010101010101ull * value;
}

// Whether any byte of word equals value.
constexpr bool hasByte(std::uint64_t word, unsigned char value) {
  const std::uint64_t x = word ^ everyByte(value);
  return ((x - everyByte(1)) & ~x & everyByte(0x80)) != 0;
}

}  // namespace

TranslateProgress utf8ToPageWords(const PageEncoder& encoder, const unsigned char* in,
                                  std::size_t size, unsigned char* out) {
  if constexpr (std::endian::native != std::endian::little) return {0, 0};
  std::size_t read = 0, written = 0;
  // The byte after each word must be there: it may be a combining mark.
  while (read + 9 <= size) {
    std::uint64_t word;
    std::memcpy(&word, in + read, sizeof word);
    const std::uint64_t upper = word & everyByte(0x80);
    if (upper == 0) {
      std::memcpy(out + written, &word, sizeof word);
      read += 8;
      written += 8;
      continue;
    }
    // Bit 7 of each byte: continuation (10xxxxxx), two-byte lead
    // (110xxxxx, not the overlong C0 and C1).
    const std::uint64_t continuations = upper & ~(word << 1);
    const std::uint64_t notOverlong = ((word & everyByte(0x1E)) + everyByte(0x7F)) & everyByte(0x80);
    const std::uint64_t leads = upper & (word << 1) & ~(word << 2) & notOverlong;
    const std::size_t taken = 8 - (leads >> 63);  // a last lead waits
    const std::uint64_t takenLeads = leads & (taken == 8 ? ~0ull : ~0ull >> 8);
    const bool simple = (upper & ~continuations & ~leads) == 0 &&
                        continuations == (takenLeads << 8) &&
                        !hasByte(word & ~everyByte(1), 0xCC) &&
                        !hasByte(word, 0xC2) &&
                        (in[read + taken] & 0xFE) != 0xCC;
    if (!simple) {
      const TranslateProgress step =
          utf8ToPage(encoder, in + read, std::min<std::size_t>(size - read, 8 + maxUtf8Carry),
                     out + written, false, false);
      read += step.consumed;
      written += step.produced;
      continue;
    }
    // Walk the characters' first bytes; the chain is a bit clear, not a load.
    std::uint64_t starts = ~continuations & everyByte(0x80) & (taken == 8 ? ~0ull : ~0ull >> 8);
    while (starts != 0) {
      const int shift = std::countr_zero(starts) - 7;
      starts &= starts - 1;
      const std::uint64_t here = word >> shift;
      const unsigned lead = here & 0xFF, second = here >> 8 & 0xFF;
      // ASCII is itself in the table: one lookup, no branch on the kind.
      const std::uint16_t code = encoder.belowU800[belowU800Index(lead, second, lead >> 7)];
      // Nothing here is removed (« and » are led by C2): the count of
      // bytes written does not wait for the lookup.
      out[written++] = static_cast<unsigned char>(code);
    }
    read += taken;
  }
  return {read, written};
}
