#pragma once
// The fuzz targets' assertion: a broken invariant prints what broke and aborts,
// which libFuzzer reports as a crash and saves the input that caused it.
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzFailure(const char* what, const char* file, int line) {
  std::fprintf(stderr, "\n== invariant broken: %s (%s:%d)\n", what, file, line);
  std::abort();
}

#define FUZZ_CHECK(condition, what)                            \
  do {                                                         \
    if (!(condition)) FuzzFailure((what), __FILE__, __LINE__); \
  } while (false)
