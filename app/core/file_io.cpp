#include "app/core/file_io.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "support/paths.h"
#include "support/replacing_file.h"

namespace core {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

void SetError(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
}

}  // namespace

std::string SystemErrorText(const std::string& what, const std::string& path, int errorNumber) {
  return what + " " + path + ": " + std::strerror(errorNumber);
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string* error) {
  bytes.clear();
  errno = 0;
  const FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    SetError(error, SystemErrorText("cannot open", path, errno));
    return false;
  }
  // The size asked beforehand lets the bulk arrive in one read without regrowing the buffer, but
  // it is only a hint: the file may be a pipe or change, so reading goes on to the end.
  std::error_code sizeError;
  const std::uintmax_t expected = std::filesystem::file_size(path, sizeError);
  if (!sizeError && expected < (std::uintmax_t{1} << 32)) {
    bytes.resize(static_cast<std::size_t>(expected));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
  }
  uint8_t block[64 * 1024];
  std::size_t count = 0;
  while ((count = std::fread(block, 1, sizeof block, file.get())) > 0) {
    bytes.insert(bytes.end(), block, block + count);
  }
  if (std::ferror(file.get()) != 0) {
    SetError(error, SystemErrorText("cannot read", path, errno != 0 ? errno : EIO));
    bytes.clear();
    return false;
  }
  return true;
}

bool WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes, std::string* error) {
  support::ReplacingFile file;
  if (file.open(path) && file.write(bytes) && file.commit()) return true;
  SetError(error, file.error());
  return false;
}

bool EnsureDirectory(const std::string& directory, std::string* error) {
  if (support::DirectoryExists(directory)) return true;
  std::error_code code;
  std::filesystem::create_directories(directory, code);
  if (support::DirectoryExists(directory)) return true;
  SetError(error,
           SystemErrorText("cannot create directory", directory, code ? code.value() : ENOTDIR));
  return false;
}

std::string SaveErrorText(const std::string& path, image::ImageError error, int errorNumber) {
  const bool fileError =
      error == image::ImageError::FileOpen || error == image::ImageError::FileWrite;
  if (fileError && errorNumber != 0) return SystemErrorText("cannot write", path, errorNumber);
  return "cannot write " + path + ": " + image::ToString(error);
}

}  // namespace core
