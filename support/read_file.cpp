#include "support/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace support {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

ReadResult Failed(ReadFailure failure, int errorNumber) {
  return ReadResult{failure, errorNumber != 0 ? errorNumber : EIO};
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return Failed(ReadFailure::kOpen, errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return Failed(ReadFailure::kRead, errno);
  if (S_ISDIR(info.st_mode)) return Failed(ReadFailure::kRead, EISDIR);

  // The length of a regular file sizes the buffer so the bulk arrives in one read; other files
  // (pipes, devices) report no useful length and are read to their end.
  const bool regular = S_ISREG(info.st_mode);
  std::vector<std::uint8_t> data(regular ? static_cast<std::size_t>(info.st_size) : 0);
  std::size_t done = 0;
  for (;;) {
    if (done == data.size()) data.resize(data.size() + 64 * 1024);
    const ssize_t got = ::read(file.get(), data.data() + done, data.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failed(ReadFailure::kRead, errno);
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  if (regular && done < static_cast<std::size_t>(info.st_size)) {
    return Failed(ReadFailure::kRead, EIO);
  }
  data.resize(done);
  bytes = std::move(data);
  return {};
}

}  // namespace support
