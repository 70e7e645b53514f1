#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "code_charts.h"
#include "codepages.h"

/// Watches the input of a conversion from source to target and counts what
/// it loses: each character that the output, read in target, does not give
/// back as the input read in source gave it (a '?' for a character target
/// lacks, a removed one, a byte that passes unchanged but means something
/// else in target). A base letter and combining mark that become the
/// composed letter are not lost, nor is a byte-order mark that starts utf
/// input. For utf input it also counts malformed
/// UTF-8, which no conversion keeps. Lines are counted from 1.
class LossCounter {
 public:
  LossCounter(CodeId source, CodeId target);
  /// Looks at the next size bytes of the input, in order.
  void scan(const unsigned char* in, std::size_t size);
  /// Says that the input has ended: a UTF-8 sequence it cut short is malformed.
  void finish();

  std::uint64_t lost() const { return lostCount; }
  std::uint64_t firstLostLine() const { return lostLine; }  ///< 0 when none
  std::uint64_t malformed() const { return malformedCount; }
  std::uint64_t firstMalformedLine() const { return malformedLine; }  ///< 0 when none

 private:
  void scanBytes(const unsigned char* in, std::size_t size);
  void scanUtf8(const unsigned char* in, std::size_t size);
  std::size_t takeSequence(const unsigned char* in, std::size_t size, bool final);
  bool holds(char32_t c) const;

  bool utfSource, anyLoss;
  std::array<unsigned char, 256> lossyByte{};  ///< 8-bit input: 1 where a byte is lost
  std::array<char32_t, 256> targetCharacters{};  ///< sorted, for utf input
  char32_t previous = 0;  ///< the last character of utf input, for compositions
  unsigned char carry[4];
  std::size_t carried = 0;
  bool startOfInput = true;
  std::uint64_t line = 1, lostCount = 0, lostLine = 0, malformedCount = 0, malformedLine = 0;
};
