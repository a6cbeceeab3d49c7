#pragma once

#include <string>
#include <utility>
#include <vector>

namespace image {

// Key of the save flag: decimal text, "-1" asks for the codec's default (JPEG quality 80).
inline constexpr int kSaveFlag = 500;
// Key of the fallback JPEG quality (the GDI+ quality tag 0x5010), read only when kSaveFlag is
// absent or empty.
inline constexpr int kJpegQualityTag = 20496;

// An ordered list of (key, text) pairs handed to a codec's Save.
class ImageOptions {
 public:
  // Stores `value` under `key`, replacing the text of a key that is already present.
  void set(int key, std::string value);
  // The text stored under `key`; the empty text when the key is absent.
  std::string get(int key) const;

 private:
  std::vector<std::pair<int, std::string>> m_entries;
};

}  // namespace image
