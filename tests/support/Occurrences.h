#pragma once
// How often a text occurs in another, without overlaps: lines of a log that
// the tests and benchmarks count.
#include <string>

inline int Occurrences(const std::string& in, const std::string& text) {
  int n = 0;
  for (size_t at = in.find(text); !text.empty() && at != std::string::npos; at = in.find(text, at + text.size())) ++n;
  return n;
}
