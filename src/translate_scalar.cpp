#include "translate.h"

#include <cstring>

namespace {

constexpr std::size_t chunkSize = 16;

// Translates and drops removed bytes with no branch on the data. The store
// at out[written] is in bounds since written <= i < size, and comes after
// the load of in[i], so out may be in.
std::size_t translateCompacting(const TranslationMap& map,
                                const unsigned char* in, std::size_t size,
                                unsigned char* out) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char byte = in[i];
    const unsigned char translated = map[byte];
    out[written] = translated;
    written += (translated != 0) | (byte == 0);
  }
  return written;
}

}  // namespace

TranslateProgress translateScalar(const TranslationMap& map,
                                  const unsigned char* in, std::size_t size,
                                  unsigned char* out) {
  // Most pairs remove nothing: then a plain lookup loop, which the compiler
  // unrolls, does it all.
  bool removesAny = false;
  for (int byte = 1; byte < 256; ++byte) removesAny |= map[byte] == 0;
  if (!removesAny) {
    for (std::size_t i = 0; i < size; ++i) out[i] = map[in[i]];
    return {size, size};
  }
  // Removed bytes are rare, so each chunk is first translated as if it had
  // none; only a chunk that has one is done again, compacting. The chunk is
  // copied first, since out may be in and run behind it.
  std::size_t read = 0, written = 0;
  for (; read + chunkSize <= size; read += chunkSize) {
    unsigned char chunk[chunkSize];
    std::memcpy(chunk, in + read, chunkSize);
    bool removed = false;
    for (std::size_t i = 0; i < chunkSize; ++i) {
      const unsigned char translated = map[chunk[i]];
      out[written + i] = translated;
      removed |= (translated == 0) & (chunk[i] != 0);
    }
    written += removed ? translateCompacting(map, chunk, chunkSize, out + written)
                       : chunkSize;
  }
  written += translateCompacting(map, in + read, size - read, out + written);
  return {size, written};
}

std::size_t translateBlock(TranslateKernel kernel, const TranslationMap& map,
                           const unsigned char* in, std::size_t size,
                           unsigned char* out) {
  const TranslateProgress head = kernel(map, in, size, out);
  const TranslateProgress tail = translateScalar(
      map, in + head.consumed, size - head.consumed, out + head.produced);
  return head.produced + tail.produced;
}
