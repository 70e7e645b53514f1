#include "glob_match.h"

#include <cstddef>

namespace {

// Whether the set that starts at pattern[at] ('[') takes c; sets *next past
// its ']'. Returns false with *next == 0 when the set is not closed.
bool setTakes(std::string_view pattern, std::size_t at, unsigned char c, std::size_t* next) {
  std::size_t i = at + 1;
  const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
  if (negated) ++i;
  bool taken = false;
  for (bool first = true; i < pattern.size(); first = false) {
    if (pattern[i] == ']' && !first) {
      *next = i + 1;
      return taken != negated;
    }
    unsigned char low = static_cast<unsigned char>(pattern[i]);
    if (low == '\\' && i + 1 < pattern.size()) low = static_cast<unsigned char>(pattern[++i]);
    unsigned char high = low;
    if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
      high = static_cast<unsigned char>(pattern[i + 2]);
      i += 2;
    }
    taken = taken || (low <= c && c <= high);
    ++i;
  }
  *next = 0;
  return false;
}

}  // namespace

bool matchesGlob(std::string_view pattern, std::string_view name) {
  // Backtracking to the last star only: each star extends its run by one
  // character at a time, so the work stays within pattern times name.
  std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size()) {
      const char token = pattern[p];
      const unsigned char c = static_cast<unsigned char>(name[n]);
      if (token == '*') {
        starP = ++p;
        starN = n;
        continue;
      }
      if (token == '[') {
        std::size_t next = 0;
        const bool taken = setTakes(pattern, p, c, &next);
        if (next != 0) {
          if (taken) {
            p = next;
            ++n;
            continue;
          }
        } else if (c == '[') {
          ++p;
          ++n;
          continue;
        }
      } else if (token == '?' ||
                 (token == '\\' && p + 1 < pattern.size() ? pattern[p + 1] == name[n]
                                                          : token == name[n])) {
        p += token == '\\' && p + 1 < pattern.size() ? 2 : 1;
        ++n;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    p = starP;
    n = ++starN;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}
