#pragma once
// Checks inside fuzz harnesses: a failed check is a finding, reported and ended like a crash so
// that libFuzzer keeps the input (and a replay of the regression corpus fails).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                  \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      std::abort();                                                                            \
    }                                                                                          \
  } while (0)

namespace velm::fuzz {

inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace velm::fuzz
