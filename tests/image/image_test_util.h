#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "image/image_buffer.h"

namespace image::test {

// Bytes from text such as "42 4D 3A 04"; whitespace between the pairs is ignored.
inline std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  std::string digits;
  for (char c : text) {
    if (c != ' ' && c != '\n') {
      digits.push_back(c);
    }
  }
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

inline std::string HexString(std::span<const uint8_t> bytes) {
  static const char* const kDigits = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) {
      text.push_back(' ');
    }
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 0xF]);
  }
  return text;
}

// Succeeds when both byte strings are equal; otherwise reports both in hex and the first
// offset at which they differ.
inline ::testing::AssertionResult SameBytes(std::span<const uint8_t> actual,
                                            std::span<const uint8_t> expected) {
  const auto mismatch =
      std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  if (mismatch.first == actual.end() && mismatch.second == expected.end()) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "first difference at offset " << (mismatch.first - actual.begin())
         << "\n  actual:   " << HexString(actual) << "\n  expected: " << HexString(expected);
}

// A folder of its own under the system's temporary directory, removed with its content.
class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("quorvex_image_test_" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Names of every entry in the folder, so tests can see that nothing was left behind.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Fills every stored byte of the image (row padding included) with a pattern that differs
// from row to row and from byte to byte.
inline void FillPattern(ImageBuffer& picture, uint8_t seed = 1) {
  uint8_t* pixels = picture.Pixels();
  for (std::size_t i = 0; i < picture.PixelBytes(); ++i) {
    pixels[i] = static_cast<uint8_t>(seed + i * 37 + (i >> 3));
  }
}

// The bytes of row y that belong to the picture (not the padding) at 8 bpp and above.
inline std::vector<uint8_t> RowBytes(const ImageBuffer& picture, int y) {
  const uint8_t* row = picture.RowPointer(y);
  const std::size_t used = (static_cast<std::size_t>(picture.Width()) *
                                static_cast<std::size_t>(picture.BitsPerPixel()) +
                            7) /
                           8;
  return {row, row + used};
}

}  // namespace image::test
