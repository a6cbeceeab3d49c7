#include "app/core/file_io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "support/paths.h"
#include "support/replacing_file.h"

namespace core {
namespace {

void SetError(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
}

}  // namespace

std::string SystemErrorText(const std::string& what, const std::string& path, int errorNumber) {
  return what + " " + path + ": " + std::strerror(errorNumber);
}

std::string ReadErrorText(const std::string& path, const support::ReadResult& read) {
  if (read.failure == support::ReadFailure::kNotRegular) {
    return "cannot read " + path + ": it is " + read.kind + ", not a regular file";
  }
  const char* step = read.failure == support::ReadFailure::kOpen ? "cannot open" : "cannot read";
  return SystemErrorText(step, path, read.errorNumber);
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string* error) {
  bytes.clear();
  const support::ReadResult read = support::ReadWholeFile(path, bytes);
  if (read) return true;
  SetError(error, ReadErrorText(path, read));
  return false;
}

bool WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes, std::string* error,
                    support::Durability durability) {
  support::ReplacingFile file;
  if (file.open(path) && file.write(bytes) && file.commit(durability)) return true;
  SetError(error, file.error());
  return false;
}

bool IsSameFile(const std::string& first, const std::string& second) {
  struct stat a {};
  struct stat b {};
  return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string CheckNotInput(const std::string& output, const std::string& gifPath) {
  if (!IsSameFile(output, gifPath)) return {};
  return output + " is the GIF being converted; it is not written over";
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

bool EnsureWritableDirectory(const std::string& directory, std::string* error) {
  const bool existed = support::DirectoryExists(directory);
  if (!EnsureDirectory(directory, error)) return false;
  std::string probe = directory;
  if (!probe.empty() && probe.back() != '/') probe += '/';
  probe += ".quorvex-write-check-XXXXXX";
  const int fd = ::mkstemp(probe.data());
  const int reason = errno;
  if (fd >= 0) {
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
  }
  SetError(error, SystemErrorText("cannot write in directory", directory, reason));
  std::error_code ignored;
  if (!existed) std::filesystem::remove(directory, ignored);  // only while it is empty
  return false;
}

std::string SaveErrorText(const std::string& path, image::ImageError error, int errorNumber) {
  const bool fileError =
      error == image::ImageError::FileOpen || error == image::ImageError::FileWrite;
  if (fileError && errorNumber != 0) return SystemErrorText("cannot write", path, errorNumber);
  return "cannot write " + path + ": " + image::ToString(error);
}

}  // namespace core
