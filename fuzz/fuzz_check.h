// Shared by the fuzz targets: a broken invariant is reported like a crash, so that libFuzzer
// keeps the input that shows it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace pictolumen::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* condition,
                              std::string_view note) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s (%.*s)\n", file, line, condition,
               static_cast<int>(note.size()), note.data());
  std::abort();
}

}  // namespace pictolumen::fuzz

// Aborts with the condition and a note when `condition` is false.
#define FUZZ_CHECK(condition, note) \
  ((condition) ? void(0) : ::pictolumen::fuzz::Fail(__FILE__, __LINE__, #condition, (note)))
