#pragma once

// Expected bytes typed as hex ("42 4D 3A 04") and a comparison that reports both hex strings and
// the first offset where they differ.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace testutil {

// Bytes from pairs of hex digits; spaces and line breaks between the pairs are ignored.
inline std::vector<uint8_t> hex(std::string_view text) {
  auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  std::vector<uint8_t> bytes;
  int high = -1;
  for (const char c : text) {
    if (c == ' ' || c == '\n') continue;
    if (high < 0) {
      high = nibble(c);
    } else {
      bytes.push_back(static_cast<uint8_t>((high << 4) | nibble(c)));
      high = -1;
    }
  }
  return bytes;
}

inline std::string hexString(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const uint8_t byte : bytes) {
    if (!text.empty()) text.push_back(' ');
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0xF]);
  }
  return text;
}

// Succeeds when both byte strings are equal; otherwise reports both in hex and the first offset
// at which they differ.
inline ::testing::AssertionResult sameBytes(std::span<const uint8_t> actual,
                                            std::span<const uint8_t> expected) {
  const auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  if (a == actual.end() && e == expected.end()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "first difference at offset " << (a - actual.begin())
         << "\n  actual:   " << hexString(actual) << "\n  expected: " << hexString(expected);
}

}  // namespace testutil
