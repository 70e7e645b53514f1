#include "translate.h"

TranslateProgress translateScalar(const TranslationMap& map,
                                  const unsigned char* in, std::size_t size,
                                  unsigned char* out) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char byte = in[i];
    const unsigned char translated = map[byte];
    // Store unconditionally and advance only for kept bytes: no branch on
    // the data. out[written] is in bounds since written <= i < size.
    out[written] = translated;
    written += (translated != 0) | (byte == 0);
  }
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
