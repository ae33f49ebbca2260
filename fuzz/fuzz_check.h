#pragma once

// What the fuzz targets share: a property that must hold is checked, and a
// broken one stops the run with what broke, so that libFuzzer keeps the
// input that broke it.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/com/error.h"

namespace fuzz {

[[noreturn]] inline void Broken(std::string_view what, std::string_view detail) {
  std::fprintf(stderr, "\n*** %.*s: %.*s\n", static_cast<int>(what.size()), what.data(),
               static_cast<int>(detail.size()), detail.data());
  std::abort();
}

inline void Check(bool holds, std::string_view what, std::string_view detail = "") {
  if (!holds) Broken(what, detail);
}

// Runs `step`, which must not fail: a com::Error out of it breaks the run.
template <class Step>
void MustNotFail(std::string_view what, Step&& step) {
  try {
    step();
  } catch (const com::Error& e) {
    Broken(what, e.what());
  }
}

// Keeps the compiler from dropping reads whose result nothing uses.
inline void Keep(const std::string& s) {
  asm volatile("" : : "r"(s.data()) : "memory");
}

}  // namespace fuzz
