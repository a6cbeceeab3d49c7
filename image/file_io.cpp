#include "image/file_io.h"

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

namespace image {
namespace {

// Closes a file that was only read: the result adds nothing.
struct FileCloser {
  void operator()(std::FILE* file) const {
    std::fclose(file);  // NOLINT(cppcoreguidelines-owning-memory)
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

bool readWholeFile(const std::string& path, std::vector<uint8_t>& out, ImageError& error) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = ImageError::FileOpen;
    return false;
  }
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (std::ferror(file.get()) != 0) {
    error = ImageError::FileRead;
    return false;
  }
  if (bytes.empty()) {
    error = ImageError::Truncated;
    return false;
  }
  out = std::move(bytes);
  return true;
}

}  // namespace image
