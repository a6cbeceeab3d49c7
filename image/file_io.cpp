#include "image/file_io.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace image {
namespace {

// Closes a file that was only read, or whose write already failed: the result adds nothing.
struct FileCloser {
  void operator()(std::FILE* file) const {
    std::fclose(file);  // NOLINT(cppcoreguidelines-owning-memory)
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Tries a few names beside `path`; "x" (exclusive create) makes sure an existing file is
// never reused or clobbered.
bool CreateTempFile(const std::string& path, std::string& tempPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = path + ".part" + std::to_string(attempt);
    FilePtr file(std::fopen(candidate.c_str(), "wbx"));
    if (file) {
      tempPath = std::move(candidate);
      return true;
    }
    if (errno != EEXIST) {
      return false;
    }
  }
  return false;
}

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

bool replaceFileAtomically(const std::string& path,
                           const std::function<bool(const std::string& tempPath)>& writer,
                           ImageError& error) {
  std::string tempPath;
  if (path.empty() || !CreateTempFile(path, tempPath)) {
    error = ImageError::FileOpen;
    return false;
  }
  std::error_code ignored;
  if (!writer(tempPath)) {
    std::filesystem::remove(tempPath, ignored);
    if (error == ImageError::None) {
      error = ImageError::FileWrite;
    }
    return false;
  }
  std::error_code renameError;
  std::filesystem::rename(tempPath, path, renameError);
  if (renameError) {
    std::filesystem::remove(tempPath, ignored);
    error = ImageError::FileWrite;
    return false;
  }
  return true;
}

bool writeFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                         ImageError& error) {
  return replaceFileAtomically(
      path,
      [&](const std::string& tempPath) {
        FilePtr file(std::fopen(tempPath.c_str(), "wb"));
        if (!file) {
          error = ImageError::FileOpen;
          return false;
        }
        if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
            std::fclose(file.release()) != 0) {
          error = ImageError::FileWrite;
          return false;
        }
        return true;
      },
      error);
}

}  // namespace image
