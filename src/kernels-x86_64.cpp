#include <cpuid.h>
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "kernels.h"

namespace {

// XCR0 bits the OS sets when it saves the register state across switches.
constexpr std::uint64_t xcr0Ymm = 0x6;     // SSE and AVX state
constexpr std::uint64_t xcr0Zmm = 0xE6;    // plus opmask and both ZMM halves

std::uint64_t readXcr0() {
  std::uint32_t eax, edx;
  __asm__("xgetbv" : "=a"(eax), "=d"(edx) : "c"(0));
  return (static_cast<std::uint64_t>(edx) << 32) | eax;
}

struct CpuFeatures {
  bool avx2 = false;
  bool avx512vbmi2 = false;  // with F, BW, VBMI and VBMI2, and the OS's ZMM state
};

CpuFeatures detectCpuFeatures() {
  CpuFeatures features;
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return features;
  const bool osxsave = ecx & bit_OSXSAVE;
  if (!osxsave || !(ecx & bit_AVX)) return features;
  const std::uint64_t xcr0 = readXcr0();
  if ((xcr0 & xcr0Ymm) != xcr0Ymm) return features;
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return features;
  features.avx2 = ebx & bit_AVX2;
  features.avx512vbmi2 = (xcr0 & xcr0Zmm) == xcr0Zmm && (ebx & bit_AVX512F) &&
                         (ebx & bit_AVX512BW) && (ecx & bit_AVX512VBMI) &&
                         (ecx & bit_AVX512VBMI2);
  return features;
}

const CpuFeatures& cpuFeatures() {
  static const CpuFeatures features = detectCpuFeatures();
  return features;
}

bool always() { return true; }
bool hasAvx2() { return cpuFeatures().avx2; }
bool hasAvx512() { return cpuFeatures().avx512vbmi2; }

// For each 8-bit mask, the vpshufb indices that move the bytes it keeps to
// the front of an 8-byte group; the second table does the same for the
// upper 8 bytes of a 16-byte register.
struct PackTables {
  alignas(16) std::array<std::array<unsigned char, 8>, 256> low, high;
};
constexpr PackTables makePackTables() {
  PackTables tables{};
  for (int mask = 0; mask < 256; ++mask) {
    int kept = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if (mask >> bit & 1) {
        tables.low[mask][kept] = static_cast<unsigned char>(bit);
        tables.high[mask][kept++] = static_cast<unsigned char>(bit + 8);
      }
    }
  }
  return tables;
}
constexpr PackTables packTables = makePackTables();

// Stores the bytes of a 16-byte register that mask keeps, in order, at out,
// and returns their count. Up to 16 bytes are stored in all; those past the
// count are scratch.
__attribute__((target("avx2,popcnt"))) inline std::size_t storeKept(
    __m128i bytes, unsigned mask, unsigned char* out) {
  const unsigned low = mask & 0xFF, high = mask >> 8 & 0xFF;
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out),
                   _mm_shuffle_epi8(bytes, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(
                                               packTables.low[low].data()))));
  const std::size_t lowCount = static_cast<std::size_t>(__builtin_popcount(low));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + lowCount),
                   _mm_shuffle_epi8(bytes, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(
                                               packTables.high[high].data()))));
  return lowCount + static_cast<std::size_t>(__builtin_popcount(high));
}

// The same for a 32-byte register and a 32-bit mask (up to 32 bytes stored).
__attribute__((target("avx2,popcnt"))) inline std::size_t storeKept(
    __m256i bytes, unsigned mask, unsigned char* out) {
  const std::size_t count = storeKept(_mm256_castsi256_si128(bytes), mask & 0xFFFF, out);
  return count + storeKept(_mm256_extracti128_si256(bytes, 1), mask >> 16, out + count);
}

// For each 8-bit mask, the vpshufb indices that write eight bytes from the
// low half of a register, each followed by its partner from the high half
// when the mask has its bit.
constexpr std::array<std::array<unsigned char, 16>, 256> makePairTable() {
  std::array<std::array<unsigned char, 16>, 256> table{};
  for (int mask = 0; mask < 256; ++mask) {
    int slot = 0;
    for (int bit = 0; bit < 8; ++bit) {
      table[mask][slot++] = static_cast<unsigned char>(bit);
      if (mask >> bit & 1) table[mask][slot++] = static_cast<unsigned char>(bit + 8);
    }
    while (slot < 16) table[mask][slot++] = 0x80;
  }
  return table;
}
alignas(16) constexpr std::array<std::array<unsigned char, 16>, 256> pairTable =
    makePairTable();

// Stores the 8 + popcount(mask) bytes that pairTable picks from halves and
// returns their count; 16 bytes are stored in all.
__attribute__((target("avx2,popcnt"))) inline std::size_t storePairs(
    __m128i halves, unsigned mask, unsigned char* out) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_shuffle_epi8(halves, _mm_load_si128(reinterpret_cast<const __m128i*>(
                                                pairTable[mask].data()))));
  return 8 + static_cast<std::size_t>(__builtin_popcount(mask));
}

// Table entries for vpshufb in 16-entry groups (eight for 128 entries, four
// for 64), each stored as its difference (XOR) from the group before, in
// both lanes of a register.
template <int groupCount>
struct LookupTable {
  __m256i groups[groupCount];
};
using Table128 = LookupTable<8>;
using Table64 = LookupTable<4>;

template <int groupCount>
__attribute__((target("avx2"))) inline LookupTable<groupCount> loadTable(
    const unsigned char* entries) {
  LookupTable<groupCount> table;
  __m128i previous = _mm_setzero_si128();
  for (int group = 0; group < groupCount; ++group) {
    const __m128i current =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries + 16 * group));
    table.groups[group] = _mm256_broadcastsi128_si256(_mm_xor_si128(current, previous));
    previous = current;
  }
  return table;
}

// Entry b - first for each byte b in first..first + 16 * groupCount - 1;
// anything for other bytes. vpshufb reads the low nibble of an index whose
// top bit is clear and gives 0 otherwise. Lookup k uses index b - first -
// 16k, whose top bit is clear exactly for k up to b's group, so XOR-ing the
// lookups of the difference tables leaves the entry of b's own group.
template <int groupCount>
__attribute__((target("avx2"))) inline __m256i lookUp(const LookupTable<groupCount>& table,
                                                     __m256i bytes, int first) {
  // Each index from the one before, so that the loop needs one constant
  // besides the tables: eight of them and eight tables do not fit in the
  // sixteen registers, and the spills cost a third of the time. The empty
  // asm hides the step's value, or the compiler folds the steps back into
  // eight constants.
  __m256i step = _mm256_set1_epi8(16);
  __asm__("" : "+x"(step));
  __m256i index = _mm256_sub_epi8(bytes, _mm256_set1_epi8(static_cast<char>(first)));
  __m256i result = _mm256_shuffle_epi8(table.groups[0], index);
  // Unrolled at any optimization level: at -O2 GCC keeps the loop, reloads
  // the tables in every turn and runs at half the speed.
#pragma GCC unroll 8
  for (int group = 1; group < groupCount; ++group) {
    index = _mm256_sub_epi8(index, step);
    result = _mm256_xor_si256(result, _mm256_shuffle_epi8(table.groups[group], index));
  }
  return result;
}

// Each half of the map is a 128-entry lookup, and the top bit of each byte
// picks between them. When the lower half maps to itself (every real pair)
// only the upper half needs a lookup.
template <bool lowHalfIdentity>
__attribute__((target("avx2"))) inline __m256i translateVector(const Table128& lower,
                                                              const Table128& upper,
                                                              __m256i bytes) {
  return _mm256_blendv_epi8(lowHalfIdentity ? bytes : lookUp(lower, bytes, 0),
                            lookUp(upper, bytes, 0x80), bytes);
}

// The mask of the bytes that translated to 0 from a nonzero byte; when the
// lower half maps to itself only upper bytes can be, and their top bit
// marks them.
template <bool lowHalfIdentity>
__attribute__((target("avx2"))) inline unsigned removedBytes(__m256i bytes,
                                                            __m256i translated) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i toZero = _mm256_cmpeq_epi8(translated, zero);
  return static_cast<unsigned>(_mm256_movemask_epi8(
      lowHalfIdentity ? _mm256_and_si256(toZero, bytes)
                      : _mm256_andnot_si256(_mm256_cmpeq_epi8(bytes, zero), toZero)));
}

// Stores translated at out without the bytes whose bits removed sets, and
// returns how many it kept (32 bytes are stored in all). Most vectors of
// typographic text lose one byte or none: everything from the gap on moves
// down by one, a shift and a blend. Two gaps or more take the general
// compaction.
__attribute__((target("avx2,popcnt"))) inline std::size_t storeClosingGaps(
    __m256i translated, unsigned removed, unsigned char* out) {
  if ((removed & (removed - 1)) != 0) return storeKept(translated, ~removed, out);
  const __m256i positions =
      _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18,
                       19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
  const __m256i upperLane = _mm256_permute2x128_si256(translated, translated, 0x81);
  const __m256i shifted = _mm256_alignr_epi8(upperLane, translated, 1);
  // 32 when nothing is removed; a bit-scan of a nonzero word, no branch.
  const int gap = __builtin_ctzll(removed | std::uint64_t{1} << 32);
  const __m256i fromGap =
      _mm256_cmpgt_epi8(positions, _mm256_set1_epi8(static_cast<char>(gap - 1)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                      _mm256_blendv_epi8(translated, shifted, fromGap));
  return 32 - static_cast<std::size_t>(removed != 0);
}

// Text is mostly ASCII plus letters in the upper half, so when the lower
// half maps to itself all-ASCII vectors are copies. A map that removes
// nothing stores every vector whole; one that may remove compacts the
// vectors that hold a removed byte, behind a branch that text with few of
// them predicts well.
template <bool lowHalfIdentity, bool mayRemove>
__attribute__((target("avx2,popcnt"))) void translateAvx2Stretch(
    const Table128& lower, const Table128& upper, const unsigned char* in,
    std::size_t end, std::size_t& read, unsigned char* out, std::size_t& written) {
  for (; read + 32 <= end; read += 32) {
    const __m256i bytes =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + read));
    if (lowHalfIdentity && _mm256_movemask_epi8(bytes) == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + written), bytes);
      written += 32;
      continue;
    }
    const __m256i translated = translateVector<lowHalfIdentity>(lower, upper, bytes);
    const unsigned removed = mayRemove ? removedBytes<lowHalfIdentity>(bytes, translated) : 0;
    if (removed == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + written), translated);
      written += 32;
    } else {
      written += storeClosingGaps(translated, removed, out + written);
    }
  }
}

// Text set with « » and dashes has a removed byte in a third of its
// vectors, too many for a branch on "anything removed" to predict: every
// vector goes through storeClosingGaps, whose own branch (two gaps or more)
// is rare. The next vector is translated before this one is stored, so that
// branch is settled early and the lookup's latency is hidden (measured: 4%
// faster than one vector at a time, and 20% with the table compaction
// alone).
template <bool lowHalfIdentity>
__attribute__((target("avx2,popcnt"))) void translateAvx2Compacting(
    const Table128& lower, const Table128& upper, const unsigned char* in,
    std::size_t end, std::size_t& read, unsigned char* out, std::size_t& written) {
  if (read + 32 > end) return;
  __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + read));
  __m256i translated = translateVector<lowHalfIdentity>(lower, upper, bytes);
  unsigned removed = removedBytes<lowHalfIdentity>(bytes, translated);
  // In place the next vector is read before this one is stored, and no
  // store reaches it: what is written never passes what is read.
  for (; read + 64 <= end; read += 32) {
    bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + read + 32));
    const __m256i next = translateVector<lowHalfIdentity>(lower, upper, bytes);
    const unsigned nextRemoved = removedBytes<lowHalfIdentity>(bytes, next);
    written += storeClosingGaps(translated, removed, out + written);
    translated = next;
    removed = nextRemoved;
  }
  written += storeClosingGaps(translated, removed, out + written);
  read += 32;
}

// Chooses for each stretch of 4 KiB how to store, by how many bytes the
// stretch before removed: more than one for every 16 vectors, and the
// branch would mispredict too often.
template <bool lowHalfIdentity>
__attribute__((target("avx2,popcnt"))) TranslateProgress translateAvx2Halves(
    const Table128& lower, const Table128& upper, bool removesAny, const unsigned char* in,
    std::size_t size, unsigned char* out) {
  constexpr std::size_t stretch = 4096;
  std::size_t read = 0, written = 0;
  if (!removesAny) {
    translateAvx2Stretch<lowHalfIdentity, false>(lower, upper, in, size, read, out, written);
    return {read, written};
  }
  bool often = false;
  while (read + 32 <= size) {
    const std::size_t end = std::min(size, read + stretch);
    const std::size_t stretchRead = read, stretchWritten = written;
    if (often)
      translateAvx2Compacting<lowHalfIdentity>(lower, upper, in, end, read, out, written);
    else
      translateAvx2Stretch<lowHalfIdentity, true>(lower, upper, in, end, read, out, written);
    const std::size_t removed = (read - stretchRead) - (written - stretchWritten);
    often = removed * 16 > (read - stretchRead) / 32;
  }
  return {read, written};
}

__attribute__((target("avx2,popcnt"))) TranslateProgress translateAvx2(
    const TranslationMap& map, const unsigned char* in, std::size_t size,
    unsigned char* out) {
  const Table128 lower = loadTable<8>(map.data());
  const Table128 upper = loadTable<8>(map.data() + 128);
  bool lowHalfIdentity = true;
  for (int byte = 0; byte < 128; ++byte) lowHalfIdentity &= map[byte] == byte;
  const bool removesAny = removesAnyByte(map);
  return lowHalfIdentity
             ? translateAvx2Halves<true>(lower, upper, removesAny, in, size, out)
             : translateAvx2Halves<false>(lower, upper, removesAny, in, size, out);
}

// vpermi2b looks up 128 entries by the low seven bits of each byte; two of
// them cover the map, and the top bit picks between them. vpcompressb closes
// the gaps that removed bytes leave, in every vector: with nothing removed it
// is a copy, and a branch on "anything removed" mispredicts on typographic
// text (measured on an AVX-512 machine: 1.59x cat with the branch, 1.13x
// without, and no loss on plain text).
__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt")))
TranslateProgress translateAvx512(const TranslationMap& map,
                                  const unsigned char* in, std::size_t size,
                                  unsigned char* out) {
  const __m512i lower0 = _mm512_loadu_si512(map.data());
  const __m512i lower1 = _mm512_loadu_si512(map.data() + 64);
  const __m512i upper0 = _mm512_loadu_si512(map.data() + 128);
  const __m512i upper1 = _mm512_loadu_si512(map.data() + 192);
  std::size_t read = 0, written = 0;
  for (; read + 64 <= size; read += 64) {
    const __m512i bytes = _mm512_loadu_si512(in + read);
    const __m512i fromLower = _mm512_permutex2var_epi8(lower0, bytes, lower1);
    const __m512i fromUpper = _mm512_permutex2var_epi8(upper0, bytes, upper1);
    const __m512i translated = _mm512_mask_blend_epi8(
        _mm512_movepi8_mask(bytes), fromLower, fromUpper);
    const __mmask64 kept = _mm512_test_epi8_mask(translated, translated) |
                           _mm512_testn_epi8_mask(bytes, bytes);
    // A full store is in bounds: written <= read and read + 64 <= size.
    _mm512_storeu_si512(out + written, _mm512_maskz_compress_epi8(kept, translated));
    written += static_cast<std::size_t>(_mm_popcnt_u64(kept));
  }
  return {read, written};
}

// Into UTF-8, 32 bytes at a time: one 128-entry lookup gives each upper
// byte's letter as an offset from U+0400, from which the two bytes of its
// form follow (D0 or D1, then 80..BF); they are interleaved with the ASCII
// bytes, which keep their place and lose the second slot. A vector holding
// any other upper byte (box drawing, no-break space, €) goes to the
// reference.
__attribute__((target("avx2,popcnt"))) TranslateProgress pageToUtf8Avx2(
    const Utf8Chart& chart, const unsigned char* in, std::size_t size,
    unsigned char* out) {
  constexpr unsigned char notCyrillic = 0x80;
  unsigned char offsets[128];
  for (int byte = 0; byte < 256; ++byte) {
    const Utf8Form& form = chart[byte];
    if (byte < 128 && (form.length != 1 || form.bytes[0] != byte)) return {0, 0};
    if (byte >= 128)
      offsets[byte - 128] = (form.bytes[0] & 0xFE) == 0xD0
                                ? static_cast<unsigned char>((form.bytes[0] & 1) << 6 |
                                                             (form.bytes[1] & 0x3F))
                                : notCyrillic;
  }
  const Table128 offsetTable = loadTable<8>(offsets);
  const __m256i everySlot = _mm256_set1_epi8(static_cast<char>(0x80));
  std::size_t read = 0, written = 0;
  for (; read + 32 <= size; read += 32) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + read));
    const unsigned upper = static_cast<unsigned>(_mm256_movemask_epi8(bytes));
    if (upper == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + written), bytes);
      written += 32;
      continue;
    }
    const __m256i offset = lookUp(offsetTable, bytes, 0x80);
    if ((static_cast<unsigned>(_mm256_movemask_epi8(offset)) & upper) != 0) {
      written += pageToUtf8(chart, in + read, 32, out + written);
      continue;
    }
    const __m256i lead = _mm256_or_si256(
        _mm256_set1_epi8(static_cast<char>(0xD0)),
        _mm256_and_si256(_mm256_srli_epi16(offset, 6), _mm256_set1_epi8(1)));
    const __m256i second =
        _mm256_or_si256(everySlot, _mm256_and_si256(offset, _mm256_set1_epi8(0x3F)));
    const __m256i first = _mm256_blendv_epi8(bytes, lead, bytes);
    // Each 8-byte group of input as [its first bytes, its second bytes],
    // then the group's upper-byte mask picks and orders what it writes.
    const __m256i evenGroups = _mm256_unpacklo_epi64(first, second);
    const __m256i oddGroups = _mm256_unpackhi_epi64(first, second);
    written += storePairs(_mm256_castsi256_si128(evenGroups), upper & 0xFF, out + written);
    written += storePairs(_mm256_castsi256_si128(oddGroups), upper >> 8 & 0xFF, out + written);
    written += storePairs(_mm256_extracti128_si256(evenGroups, 1), upper >> 16 & 0xFF,
                          out + written);
    written += storePairs(_mm256_extracti128_si256(oddGroups, 1), upper >> 24, out + written);
  }
  return {read, written};
}

// From UTF-8, 32 bytes at a time, for vectors of ASCII and two-byte forms
// led by D0 or D1 (U+0400..U+047F): the continuation byte indexes a 64-entry
// table of the page's bytes for each lead, and the continuation bytes drop
// out. Any other vector (three-byte forms, malformed bytes, a mark that may
// join the last letter) goes through the reference a few bytes at a time.
// Each step is a whole vector, so where the next one starts never waits on
// this one's bytes; a form cut by the vector's end is decoded here, and its
// continuation skipped there.
__attribute__((target("avx2,popcnt"))) TranslateProgress utf8ToPageAvx2(
    const PageEncoder& encoder, const unsigned char* in, std::size_t size,
    unsigned char* out) {
  unsigned char cyrillic[128];
  for (int i = 0; i < 128; ++i) {
    const std::uint16_t code = encoder.belowU800[0x400 + i];
    if (code & removedCharacter) return {0, 0};
    cyrillic[i] = static_cast<unsigned char>(code);
  }
  // Few constants, or the tables no longer fit in registers beside them.
  const Table64 afterD0 = loadTable<4>(cyrillic);
  const Table64 afterD1 = loadTable<4>(cyrillic + 64);
  const __m256i leadBits = _mm256_set1_epi8(static_cast<char>(0xFE));
  const __m256i lead = _mm256_set1_epi8(static_cast<char>(0xD0));
  const __m256i aboveContinuations = _mm256_set1_epi8(static_cast<char>(0xC0));
  constexpr std::size_t window = 32 + maxUtf8Carry;
  std::size_t read = 0, written = 0;
  // Whether the vector before ended on a lead: this one's first byte is
  // that lead's continuation, already decoded.
  unsigned carried = 0;
  // The two bytes after each vector must be there: a lead's continuation,
  // then what may be a combining mark.
  while (read + 34 <= size) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + read));
    const unsigned upper = static_cast<unsigned>(_mm256_movemask_epi8(bytes));
    if (upper == 0) {  // then nothing was carried either
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + written), bytes);
      written += 32;
      read += 32;
      continue;
    }
    const unsigned leads = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_cmpeq_epi8(_mm256_and_si256(bytes, leadBits), lead)));
    // Signed, 0x80..0xBF are the bytes below 0xC0.
    const unsigned continuations = static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_cmpgt_epi8(aboveContinuations, bytes)));
    // Each lead's continuation sits one byte on, in next.
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + read + 1));
    const unsigned continued = static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_cmpgt_epi8(aboveContinuations, next)));
    const unsigned endsOnLead = leads >> 31;
    const unsigned char after = in[read + 32 + endsOnLead];
    if ((~upper | leads | continuations) != ~0u || continuations != (leads << 1 | carried) ||
        (leads & ~continued) != 0 || (after & 0xFE) == 0xCC) {
      read += carried;
      carried = 0;
      const TranslateProgress step = utf8ToPage(
          encoder, in + read, std::min(size - read, window), out + written, false, false);
      read += step.consumed;
      written += step.produced;
      continue;
    }
    // Bit 0 of each lead picks its table.
    const __m256i letters =
        _mm256_blendv_epi8(lookUp(afterD0, next, 0x80), lookUp(afterD1, next, 0x80),
                           _mm256_slli_epi16(bytes, 7));
    const __m256i translated = _mm256_blendv_epi8(bytes, letters, bytes);
    // In place the 32 bytes stored (some scratch) stay below the next
    // vector: less is written than is read.
    written += storeKept(translated, ~upper | leads, out + written);
    carried = endsOnLead;
    read += 32;
  }
  return {read + carried, written};
}

const Kernel kernels[] = {
    // AVX-512 machines run the AVX2 UTF-8 kernels.
    {"avx512", translateAvx512, pageToUtf8Avx2, utf8ToPageAvx2, hasAvx512},
    {"avx2", translateAvx2, pageToUtf8Avx2, utf8ToPageAvx2, hasAvx2},
    {"scalar", translateScalar, nullptr, utf8ToPageWords, always},
};

}  // namespace

std::span<const Kernel> compiledKernels() { return kernels; }
