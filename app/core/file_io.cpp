#include "app/core/file_io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "support/paths.h"

namespace core {

Status writeFileBytes(const std::string& path, std::span<const uint8_t> bytes,
                      support::Durability durability) {
  support::ReplacingFile file;
  Status written = file.open(path);
  if (written) written = file.write(bytes);
  if (written) written = file.commit(durability);
  return written;
}

bool isSameFile(const std::string& first, const std::string& second) {
  struct stat a {};
  struct stat b {};
  return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Status checkNotInput(const std::string& output, const std::string& gifPath) {
  if (!isSameFile(output, gifPath)) return {};
  return {support::Failure::Refused,
          output + " is the GIF being converted; it is not written over"};
}

Status ensureWritableDirectory(const std::string& directory) {
  const bool existed = support::DirectoryExists(directory);
  if (Status made = support::ensureDirectory(directory); !made) return made;
  std::string probe = support::withTrailingSlash(directory) + ".quorvex-write-check-XXXXXX";
  const int fd = ::mkstemp(probe.data());
  const int reason = errno;
  if (fd >= 0) {
    ::close(fd);
    ::unlink(probe.c_str());
    return {};
  }
  std::error_code ignored;
  if (!existed) std::filesystem::remove(directory, ignored);  // only while it is empty
  return support::systemFailure(support::Failure::Write, "cannot write in directory", directory,
                                reason);
}

}  // namespace core
