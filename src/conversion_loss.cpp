#include "conversion_loss.h"

#include <algorithm>
#include <cstring>

#include "codepages.h"
#include "utf8.h"

LossCounter::LossCounter(CodeId source, CodeId target)
    : utfSource(source == codUtf), anyLoss(false) {
  if (target == codUtf) return;  // UTF-8 holds every character of every page
  const CodeChart targetChart = pageCharacters(target);
  if (utfSource) {
    std::copy(targetChart.begin(), targetChart.end(), targetCharacters.begin());
    std::sort(targetCharacters.begin(), targetCharacters.end());
    anyLoss = true;
    return;
  }
  const CodeChart sourceChart = pageCharacters(source);
  const TranslationMap map = buildTranslationMap(source, target);
  for (int byte = 1; byte < 256; ++byte) {
    const unsigned char output = map[byte];
    lossyByte[byte] = output == 0 || targetChart[output] != sourceChart[byte];
    anyLoss = anyLoss || lossyByte[byte];
  }
}

void LossCounter::scan(const unsigned char* in, std::size_t size) {
  if (utfSource)
    scanUtf8(in, size);
  else if (anyLoss)
    scanBytes(in, size);
}

void LossCounter::scanBytes(const unsigned char* in, std::size_t size) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < size; ++i) count += lossyByte[in[i]];
  if (lostLine == 0) {
    // Lines matter only up to the first loss.
    const unsigned char* end = in + size;
    if (count > 0) end = std::find_if(in, end, [&](unsigned char b) { return lossyByte[b]; });
    line += static_cast<std::uint64_t>(std::count(in, end, '\n'));
    if (count > 0) lostLine = line;
  }
  lostCount += count;
}

bool LossCounter::holds(char32_t c) const {
  return !anyLoss || std::binary_search(targetCharacters.begin(), targetCharacters.end(), c);
}

// Looks at the sequence at the start of in; returns the bytes it takes, or
// 0 for one that more input may finish.
std::size_t LossCounter::takeSequence(const unsigned char* in, std::size_t size, bool final) {
  if (in[0] < 0x80) {
    line += in[0] == '\n';
    previous = in[0];
    startOfInput = false;
    return 1;
  }
  const Sequence sequence = readSequence(in, size);
  if (sequence.kind == SequenceKind::cutShort && !final) return 0;
  const bool atStart = startOfInput;
  startOfInput = false;
  if (sequence.kind != SequenceKind::complete) {
    if (malformedLine == 0) malformedLine = line;
    ++malformedCount;
    previous = 0;
    return 1;
  }
  const char32_t c = sequence.codePoint;
  // A byte-order mark that starts the input marks it as UTF-8; it is not text.
  bool kept = holds(c) || (c == 0xFEFF && atStart);
  if (!kept) {
    for (int i = 0; i < compositionCount; ++i)
      if (compositions[i].base == previous && compositions[i].mark == c &&
          holds(compositions[i].composed))
        kept = true;
  }
  if (!kept) {
    if (lostLine == 0) lostLine = line;
    ++lostCount;
  }
  previous = c;
  return sequence.length;
}

void LossCounter::scanUtf8(const unsigned char* in, std::size_t size) {
  // Finish a sequence the last block cut short with bytes of this one.
  while (carried > 0 && size > 0) {
    unsigned char joined[8];
    const std::size_t borrowed = std::min(sizeof carry - carried, size);
    std::memcpy(joined, carry, carried);
    std::memcpy(joined + carried, in, borrowed);
    const std::size_t taken = takeSequence(joined, carried + borrowed, false);
    if (taken == 0) {
      std::memcpy(carry + carried, in, borrowed);
      carried += borrowed;
      return;
    }
    if (taken >= carried) {
      in += taken - carried;
      size -= taken - carried;
      carried = 0;
    } else {
      std::memmove(carry, carry + taken, carried - taken);
      carried -= taken;
    }
  }
  std::size_t read = 0;
  while (read < size) {
    const std::size_t taken = takeSequence(in + read, size - read, false);
    if (taken == 0) break;
    read += taken;
  }
  std::memcpy(carry + carried, in + read, size - read);
  carried += size - read;
}

void LossCounter::finish() {
  std::size_t read = 0;
  while (read < carried) read += takeSequence(carry + read, carried - read, true);
  carried = 0;
}
