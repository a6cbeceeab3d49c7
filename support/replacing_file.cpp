#include "support/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

namespace support {
namespace {

constexpr int kNameAttempts = 100;
constexpr std::size_t kSuffixLength = 6;

std::string randomSuffix(std::mt19937& generator) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<std::size_t> pick(0, sizeof(kAlphabet) - 2);
  std::string suffix;
  for (std::size_t i = 0; i < kSuffixLength; ++i) suffix += kAlphabet[pick(generator)];
  return suffix;
}

// The folder part of `target` with its trailing '/'; "./" for a bare name.
std::string folderOf(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  return slash == std::string::npos ? std::string("./") : target.substr(0, slash + 1);
}

// Calls `create(name)` with short random names in `folder` until it gives a result other than
// EEXIST; 0 or the errno of the last attempt, with the name used in `name`.
template <typename Create>
int withFreeName(const std::string& folder, std::string& name, const Create& create) {
  std::random_device seed;
  std::mt19937 generator(seed());
  int result = EEXIST;
  for (int attempt = 0; attempt < kNameAttempts && result == EEXIST; ++attempt) {
    name = folder + ".qv" + randomSuffix(generator);
    result = create(name);
  }
  return result;
}

// Gives the unnamed file `fd` the name `path`: through /proc, or with AT_EMPTY_PATH where /proc
// is not mounted. 0 or errno.
int linkUnnamed(int fd, const std::string& path) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0) return errno;
  return ::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

}  // namespace

ReplacingFile::~ReplacingFile() { discard(); }

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_size(other.m_size),
      m_target(std::move(other.m_target)),
      m_temporary(std::move(other.m_temporary)),
      m_writeFailure(std::move(other.m_writeFailure)) {
  if (!m_temporary.empty()) m_guard.guard(m_temporary);
  other.m_guard.release();
}

namespace {

const Status kNothingOpen{Failure::Write, "no file is open"};

}  // namespace

// Mode 0666 rather than mkstemp's 0600, which would outlive the rename: the file gets 0666 less
// the umask, as one written in place would.
Status ReplacingFile::open(const std::string& target) {
  if (isOpen()) return {Failure::Open, "a file is already open: '" + m_target + "'"};
  if (target.empty()) return {Failure::Open, "no file name given"};
  // A folder of that name could never be replaced; better to know before anything is written.
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
    return fail(Failure::Open, "cannot replace", target, EISDIR);
  }
  const std::string folder = folderOf(target);
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  int result = fd >= 0 ? 0 : errno;
  std::string temporary;
  // File systems without unnamed files answer EOPNOTSUPP (older kernels EISDIR or EINVAL).
  if (result == EOPNOTSUPP || result == EISDIR || result == EINVAL) {
    result = withFreeName(folder, temporary, [&](const std::string& name) {
      fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      return fd >= 0 ? 0 : errno;
    });
    if (result == 0) m_guard.guard(temporary);
  }
  if (result != 0) {
    return fail(Failure::Open, "cannot create a temporary file beside", target, result);
  }
  m_fd = fd;
  m_writeFailure = {};
  m_size = 0;
  m_target = target;
  m_temporary = std::move(temporary);
  return {};
}

Status ReplacingFile::writeFailed(int errorNumber) {
  m_writeFailure = fail(Failure::Write, "cannot write",
                        m_temporary.empty() ? m_target : m_temporary, errorNumber);
  return m_writeFailure;
}

Status ReplacingFile::write(std::span<const std::uint8_t> bytes) {
  if (!isOpen()) return kNothingOpen;
  // The failed write is named again: the file cannot become whole.
  if (!m_writeFailure) return m_writeFailure;
  while (!bytes.empty()) {
    const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return writeFailed(written < 0 ? errno : EIO);
    bytes = bytes.subspan(static_cast<std::size_t>(written));
    m_size += static_cast<std::uint64_t>(written);
  }
  return {};
}

Status ReplacingFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (!isOpen()) return kNothingOpen;
  if (!m_writeFailure) return m_writeFailure;
  if (offset > m_size || bytes.size() > m_size - offset) return writeFailed(EINVAL);
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(m_fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return writeFailed(written < 0 ? errno : EIO);
    bytes = bytes.subspan(static_cast<std::size_t>(written));
    offset += static_cast<std::uint64_t>(written);
  }
  return {};
}

Status ReplacingFile::sync() {
  if (!isOpen()) return kNothingOpen;
  if (!m_writeFailure) return m_writeFailure;
  return ::fsync(m_fd) == 0 ? Status{} : writeFailed(errno);
}

int ReplacingFile::publish() {
  if (!m_temporary.empty()) {
    return std::rename(m_temporary.c_str(), m_target.c_str()) == 0 ? 0 : errno;
  }
  // Linking straight to the target is atomic but cannot replace an earlier file; that takes a
  // named link, guarded for the moment until the rename.
  const int direct = linkUnnamed(m_fd, m_target);
  if (direct != EEXIST) return direct;
  std::string link;
  TempFileGuard linkGuard;
  const int linked = withFreeName(folderOf(m_target), link, [&](const std::string& name) {
    linkGuard.guard(name);
    return linkUnnamed(m_fd, name);
  });
  if (linked != 0) return linked;
  if (std::rename(link.c_str(), m_target.c_str()) == 0) return 0;
  const int renameError = errno;
  ::unlink(link.c_str());
  return renameError;
}

Status ReplacingFile::commit(Durability durability) {
  if (!isOpen()) return kNothingOpen;
  if (!m_writeFailure) {
    Status failed = m_writeFailure;
    discard();
    return failed;
  }
  if (durability == Durability::Flushed && ::fsync(m_fd) != 0) {
    Status failed = fail(Failure::Write, "cannot flush", m_target, errno);
    discard();
    return failed;
  }
  if (const int published = publish(); published != 0) {
    discard();
    return fail(Failure::Write, "cannot replace", m_target, published);
  }
  // The bytes are on disk and in place; what close might still report changes nothing.
  ::close(m_fd);
  m_fd = -1;
  m_temporary.clear();
  m_guard.release();
  return {};
}

void ReplacingFile::discard() {
  if (!isOpen()) return;
  ::close(m_fd);
  m_fd = -1;
  if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
  m_temporary.clear();
  m_guard.release();
}

Status ReplacingFile::fail(Failure code, const std::string& what, const std::string& path,
                           int errorNumber) {
  return {code, what + " '" + path + "': " + std::strerror(errorNumber), errorNumber};
}

}  // namespace support
