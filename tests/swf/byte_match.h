#pragma once

// Comparison of written bytes with expected bytes typed as hex ("3F 08 2E 00"), reporting both
// hex strings and the first offset where they differ.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace swftest {

// Bytes from hex digits; spaces are ignored.
inline std::vector<std::uint8_t> fromHex(std::string_view hex) {
  auto nibble = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
  };
  std::vector<std::uint8_t> out;
  int high = -1;
  for (const char c : hex) {
    if (c == ' ') continue;
    if (high < 0) {
      high = nibble(c);
    } else {
      out.push_back(static_cast<std::uint8_t>(high * 16 + nibble(c)));
      high = -1;
    }
  }
  return out;
}

inline std::string toHex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const std::uint8_t byte : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
  }
  return out;
}

inline ::testing::AssertionResult bytesMatch(std::span<const std::uint8_t> actual,
                                             std::span<const std::uint8_t> expected) {
  if (std::equal(actual.begin(), actual.end(), expected.begin(), expected.end())) {
    return ::testing::AssertionSuccess();
  }
  const auto mismatch =
      std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  return ::testing::AssertionFailure()
         << "\n  written  (" << actual.size() << " bytes): " << toHex(actual) << "\n  expected ("
         << expected.size() << " bytes): " << toHex(expected) << "\n  first difference at offset "
         << (mismatch.first - actual.begin());
}

inline ::testing::AssertionResult bytesMatch(std::span<const std::uint8_t> actual,
                                             std::string_view expectedHex) {
  const std::vector<std::uint8_t> expected = fromHex(expectedHex);
  return bytesMatch(actual, std::span<const std::uint8_t>(expected));
}

}  // namespace swftest
