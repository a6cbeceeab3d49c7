#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace core::testing {

// "3F 08 2E" for {0x3F, 0x08, 0x2E}.
inline std::string Hex(std::span<const uint8_t> bytes) {
  std::string text;
  for (const uint8_t byte : bytes) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", byte);
    if (!text.empty()) text += ' ';
    text += digits;
  }
  return text;
}

// Passes when the two byte strings are equal; otherwise shows both in hex and the first offset
// where they differ.
inline ::testing::AssertionResult SameBytes(std::span<const uint8_t> actual,
                                            const std::vector<uint8_t>& expected) {
  std::size_t offset = 0;
  while (offset < actual.size() && offset < expected.size() && actual[offset] == expected[offset]) {
    ++offset;
  }
  if (offset == actual.size() && offset == expected.size()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "\n  actual:   " << Hex(actual)
         << "\n  expected: " << Hex(std::span<const uint8_t>(expected))
         << "\n  first difference at offset " << offset;
}

}  // namespace core::testing
