#include "support/read_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  return "a device";
}

Status failed(Failure failure, const std::string& path, int errorNumber) {
  return systemFailure(failure, failure == Failure::Open ? "cannot open" : "cannot read", path,
                       errorNumber != 0 ? errorNumber : EIO);
}

Status notRegular(const std::string& path, mode_t mode) {
  return {Failure::NotRegular,
          "cannot read " + path + ": it is " + kindOf(mode) + ", not a regular file",
          S_ISDIR(mode) ? EISDIR : EINVAL};
}

// Opens `path` for reading after making sure it is a regular file: stat first, so that a FIFO
// is never opened (that would wait for a writer), then O_NONBLOCK and fstat against a swap.
Status openRegular(const std::string& path, int& fd, struct stat& info) {
  fd = -1;
  if (::stat(path.c_str(), &info) != 0) return failed(Failure::Open, path, errno);
  if (!S_ISREG(info.st_mode)) return notRegular(path, info.st_mode);
  fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return failed(Failure::Open, path, errno);
  if (::fstat(fd, &info) != 0) return failed(Failure::Read, path, errno);
  if (!S_ISREG(info.st_mode)) return notRegular(path, info.st_mode);
  return {};
}

}  // namespace

Status ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  int fd = -1;
  struct stat info {};
  const Status opened = openRegular(path, fd, info);
  const FileDescriptor file(fd);
  if (!opened) return opened;

  // The file's length sizes the buffer, so the bulk arrives in one read.
  std::vector<std::uint8_t> data(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  for (;;) {
    if (done == data.size()) data.resize(data.size() + (std::size_t{64} << 10));
    const ssize_t got = ::read(file.get(), data.data() + done, data.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return failed(Failure::Read, path, errno);
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  if (done < static_cast<std::size_t>(info.st_size)) return failed(Failure::Read, path, EIO);
  data.resize(done);
  bytes = std::move(data);
  return {};
}

MappedFile::~MappedFile() { close(); }

void MappedFile::close() {
  if (mapping_ != nullptr) ::munmap(mapping_, mappedSize_);
  mapping_ = nullptr;
  mappedSize_ = 0;
  copy_.clear();
  bytes_ = {};
}

void MappedFile::release(std::size_t begin, std::size_t end) const {
  if (mapping_ == nullptr) return;
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  begin = (begin + page - 1) / page * page;
  end = std::min(end, mappedSize_) / page * page;
  if (begin >= end) return;
  ::madvise(static_cast<std::uint8_t*>(mapping_) + begin, end - begin, MADV_DONTNEED);
}

Status MappedFile::open(const std::string& path) {
  close();
  int fd = -1;
  struct stat info {};
  const Status opened = openRegular(path, fd, info);
  const FileDescriptor file(fd);
  if (!opened) return opened;
  const auto size = static_cast<std::size_t>(info.st_size);
  if (size == 0) return {};
  void* mapping = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.get(), 0);
  if (mapping == MAP_FAILED) {
    Status read = ReadWholeFile(path, copy_);
    bytes_ = copy_;
    return read;
  }
  // The decoder reads front to back (a few frames apart on several threads).
  ::madvise(mapping, size, MADV_SEQUENTIAL);
  ::madvise(mapping, size, MADV_WILLNEED);
  mapping_ = mapping;
  mappedSize_ = size;
  bytes_ = {static_cast<const std::uint8_t*>(mapping), size};
  return {};
}

}  // namespace support
