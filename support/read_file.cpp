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
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  int get() const { return m_fd; }

 private:
  int m_fd;
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

Status readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  int fd = -1;
  struct stat info {};
  Status opened = openRegular(path, fd, info);
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
  if (m_mapping != nullptr) ::munmap(m_mapping, m_mappedSize);
  m_mapping = nullptr;
  m_mappedSize = 0;
  m_copy.clear();
  m_bytes = {};
}

void MappedFile::release(std::size_t begin, std::size_t end) const {
  if (m_mapping == nullptr) return;
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  begin = (begin + page - 1) / page * page;
  end = std::min(end, m_mappedSize) / page * page;
  if (begin >= end) return;
  ::madvise(static_cast<std::uint8_t*>(m_mapping) + begin, end - begin, MADV_DONTNEED);
}

Status MappedFile::open(const std::string& path) {
  close();
  int fd = -1;
  struct stat info {};
  Status opened = openRegular(path, fd, info);
  const FileDescriptor file(fd);
  if (!opened) return opened;
  const auto size = static_cast<std::size_t>(info.st_size);
  if (size == 0) return {};
  void* mapping = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.get(), 0);
  if (mapping == MAP_FAILED) {
    Status read = readWholeFile(path, m_copy);
    m_bytes = m_copy;
    return read;
  }
  // The decoder reads front to back (a few frames apart on several threads).
  ::madvise(mapping, size, MADV_SEQUENTIAL);
  ::madvise(mapping, size, MADV_WILLNEED);
  m_mapping = mapping;
  m_mappedSize = size;
  m_bytes = {static_cast<const std::uint8_t*>(mapping), size};
  return {};
}

}  // namespace support
