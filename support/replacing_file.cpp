#include "support/replacing_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

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

}  // namespace

ReplacingFile::~ReplacingFile() { discard(); }

// O_EXCL with mode 0666 rather than mkstemp: mkstemp's 0600 would outlive the rename, while a
// file written in place gets 0666 less the umask.
bool ReplacingFile::open(const std::string& target) {
  if (isOpen()) {
    error_ = "a file is already open: '" + target_ + "'";
    return false;
  }
  if (target.empty()) {
    error_ = "no file name given";
    return false;
  }
  std::random_device seed;
  std::mt19937 generator(seed());
  int lastError = 0;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string candidate = target + ".tmp" + randomSuffix(generator);
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      fd_ = fd;
      writeFailed_ = false;
      target_ = target;
      temporary_ = candidate;
      return true;
    }
    lastError = errno;
    if (lastError != EEXIST) break;
  }
  return fail("cannot create a temporary file beside", target, lastError);
}

bool ReplacingFile::write(std::span<const std::uint8_t> bytes) {
  if (!isOpen()) {
    error_ = "no file is open";
    return false;
  }
  if (writeFailed_) {
    return false;  // error() still names the failed write; the file cannot become whole
  }
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      writeFailed_ = true;
      return fail("cannot write", temporary_, written < 0 ? errno : EIO);
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

bool ReplacingFile::commit(Durability durability) {
  if (!isOpen()) {
    error_ = "no file is open";
    return false;
  }
  if (writeFailed_) {
    discard();
    return false;  // error() still names the failed write
  }
  bool ok = true;
  if (durability == Durability::kFlushed && ::fsync(fd_) != 0) {
    ok = fail("cannot flush", temporary_, errno);
  }
  if (::close(fd_) != 0 && ok) ok = fail("cannot close", temporary_, errno);
  fd_ = -1;
  if (ok && std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    ok = fail("cannot replace", target_, errno);
  }
  if (!ok) {
    ::unlink(temporary_.c_str());
  }
  temporary_.clear();
  return ok;
}

void ReplacingFile::discard() {
  if (!isOpen()) return;
  ::close(fd_);
  fd_ = -1;
  ::unlink(temporary_.c_str());
  temporary_.clear();
}

bool ReplacingFile::fail(const std::string& what, const std::string& path, int errorNumber) {
  error_ = what + " '" + path + "': " + std::strerror(errorNumber);
  return false;
}

}  // namespace support
