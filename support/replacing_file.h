#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "support/result.h"
#include "support/temp_file_cleanup.h"

namespace support {

// Whether ReplacingFile::commit flushes the file to disk before the file takes the target's name:
// Cached spares the flush for files that need not survive a system crash (temporary files).
enum class Durability { Flushed, Cached };

// Writes a file so that its target is either replaced whole or left untouched. On Linux the bytes
// go to an unnamed file in the target's folder (O_TMPFILE), which gets its name only after every
// write and the flush to disk succeeded: no interruption, not even SIGKILL, leaves a partial file
// behind. Where the file system has no unnamed files, a named temporary file beside the target
// (".qv" and six random characters, so that any target name that fits also fits it) is used
// instead, removed on failure, on destruction and, through TempFileGuard, on SIGINT and SIGTERM.
// Anything short of commit(), destruction included, discards the new bytes. POSIX only.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  // Discards the new file unless it was committed.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ReplacingFile(ReplacingFile&& other) noexcept;
  ReplacingFile& operator=(ReplacingFile&&) = delete;

  // Creates the new file for `target`. Fails (Open, with the path and the system's reason) when
  // one is already open, the target is a folder, or the file cannot be created, e.g. the
  // directory is missing or not writable.
  Status open(const std::string& target);

  // True between a successful open() and the following commit() or discard().
  bool isOpen() const { return m_fd >= 0; }

  // Appends bytes to the new file. Fails (Write) when nothing is open or this or an earlier write
  // failed, naming the failed write; the file then stays open so that commit() or discard()
  // cleans up.
  Status write(std::span<const std::uint8_t> bytes);

  // Overwrites bytes written earlier, from `offset` on (a header completed at the end). Fails as
  // write() does, and for a range that ends past what was written.
  Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);

  // Flushes what was written to disk ahead of commit(), so that a later commit() has little left
  // to fail on. Fails as write() does.
  Status sync();

  // Bytes appended so far.
  std::uint64_t size() const { return m_size; }

  // Flushes the new file to disk (unless `durability` is Cached), gives it the target's name
  // (replacing an earlier file) and closes it. Fails (Write) when nothing is open, an earlier write
  // failed, or any of these steps fails; the new file is then discarded and the target left as it
  // was.
  Status commit(Durability durability = Durability::Flushed);

  // Closes and discards the new file, if any.
  void discard();

 private:
  // "<what> '<path>': <the system's reason>".
  static Status fail(Failure code, const std::string& what, const std::string& path,
                     int errorNumber);
  Status writeFailed(int errorNumber);
  // Gives the file its name; 0 or the errno of the failing step.
  int publish();

  int m_fd = -1;
  std::uint64_t m_size = 0;
  std::string m_target;
  std::string m_temporary;  // the named temporary file; empty for an unnamed one
  TempFileGuard m_guard;
  Status m_writeFailure;  // the failed write that keeps the file from becoming whole
};

}  // namespace support
