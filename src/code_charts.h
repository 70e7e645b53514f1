#pragma once

#include <array>

#include "codepages.h"

/// Every byte of an 8-bit code page as the character it stands for in the
/// published page. A byte the page leaves undefined (win 0x98) stands for
/// the C1 control of the same value, so that it survives a round trip.
using CodeChart = std::array<char32_t, 256>;

/// The whole published pages, in CodeId order. The letter table overrides
/// them where it speaks (koi 0xBE and 0xA0).
extern const CodeChart codeCharts[codTableColumns];

/// A letter that is also written as a base letter and a combining mark.
struct Composition {
  char32_t base, mark, composed;
};

/// The letters of the five pages with such a decomposition, by base.
extern const Composition compositions[];
extern const int compositionCount;
