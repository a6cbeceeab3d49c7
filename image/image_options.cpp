#include "image/image_options.h"

namespace image {

void ImageOptions::set(int key, std::string value) {
  for (auto& entry : m_entries) {
    if (entry.first == key) {
      entry.second = std::move(value);
      return;
    }
  }
  m_entries.emplace_back(key, std::move(value));
}

std::string ImageOptions::get(int key) const {
  for (const auto& entry : m_entries) {
    if (entry.first == key) {
      return entry.second;
    }
  }
  return {};
}

}  // namespace image
