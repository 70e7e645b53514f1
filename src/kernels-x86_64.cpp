#include <cpuid.h>
#include <immintrin.h>

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

// Byte b of the map is entry b & 15 of table b >> 4. Each of the 16 tables
// sits in both lanes of a register for vpshufb. A byte of group k is found by
// moving it to 0x70..0x7F (subtract 16k, saturating-add 0x70): vpshufb then
// reads its low nibble, while every other byte lands at 0x80 or above, which
// vpshufb turns into 0. OR-ing the 16 (or 8) lookups gives the translation.
__attribute__((target("avx2"))) TranslateProgress translateAvx2(
    const TranslationMap& map, const unsigned char* in, std::size_t size,
    unsigned char* out) {
  __m256i tables[16];
  bool lowHalfIdentity = true;
  for (int group = 0; group < 16; ++group) {
    tables[group] = _mm256_broadcastsi128_si256(_mm_loadu_si128(
        reinterpret_cast<const __m128i*>(map.data() + 16 * group)));
  }
  for (int byte = 0; byte < 128; ++byte) lowHalfIdentity &= map[byte] == byte;
  // Text is mostly ASCII plus letters in the upper half; when the lower half
  // maps to itself only the eight upper tables need a lookup.
  const int firstGroup = lowHalfIdentity ? 8 : 0;

  const __m256i zero = _mm256_setzero_si256();
  const __m256i toTop = _mm256_set1_epi8(0x70);
  std::size_t read = 0, written = 0;
  for (; read + 32 <= size; read += 32) {
    const __m256i bytes =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + read));
    if (lowHalfIdentity && _mm256_movemask_epi8(bytes) == 0) {
      // All ASCII: a copy. Whole ASCII stretches predict this branch well.
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + written), bytes);
      written += 32;
      continue;
    }
    // Bytes below 0x80 pass as they are when the lower half is the identity.
    __m256i translated =
        lowHalfIdentity
            ? _mm256_andnot_si256(_mm256_cmpgt_epi8(zero, bytes), bytes)
            : zero;
    for (int group = firstGroup; group < 16; ++group) {
      const __m256i index = _mm256_adds_epu8(
          _mm256_sub_epi8(bytes, _mm256_set1_epi8(static_cast<char>(16 * group))),
          toTop);
      translated = _mm256_or_si256(translated,
                                   _mm256_shuffle_epi8(tables[group], index));
    }
    const unsigned dropped = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_andnot_si256(_mm256_cmpeq_epi8(bytes, zero),
                            _mm256_cmpeq_epi8(translated, zero))));
    if (dropped == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + written),
                          translated);
      written += 32;
    } else {
      // Removed bytes are rare: the reference handles this vector.
      written += translateScalar(map, in + read, 32, out + written).produced;
    }
  }
  return {read, written};
}

// vpermi2b looks up 128 entries by the low seven bits of each byte; two of
// them cover the map, and the top bit picks between them. vpcompressb closes
// the gaps that removed bytes leave.
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
    if (kept == ~__mmask64{0}) {
      _mm512_storeu_si512(out + written, translated);
      written += 64;
    } else {
      // A full store is in bounds: written <= read and read + 64 <= size.
      _mm512_storeu_si512(out + written,
                          _mm512_maskz_compress_epi8(kept, translated));
      written += static_cast<std::size_t>(_mm_popcnt_u64(kept));
    }
  }
  return {read, written};
}

const Kernel kernels[] = {
    {"avx512", translateAvx512, hasAvx512},
    {"avx2", translateAvx2, hasAvx2},
    {"scalar", translateScalar, always},
};

}  // namespace

std::span<const Kernel> compiledKernels() { return kernels; }
