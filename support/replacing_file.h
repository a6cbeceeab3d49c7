#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace support {

// Whether ReplacingFile::commit flushes the file to disk before the file takes the target's name:
// kCached spares the flush for files that need not survive a system crash (temporary files).
enum class Durability { kFlushed, kCached };

// Writes a file so that its target is either replaced whole or left untouched: the bytes go to a
// new temporary file beside the target ("<target>.tmpXXXXXX", created exclusively), which is
// renamed over the target only after every write, the flush to disk and the close succeeded.
// Anything short of that, destruction included, removes the temporary file. POSIX only.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  // Removes the temporary file unless it was committed.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates the temporary file for `target`. Returns false (see error()) when one is already
  // open or the file cannot be created, e.g. the directory is missing or not writable.
  bool open(const std::string& target);

  // True between a successful open() and the following commit() or discard().
  bool isOpen() const { return fd_ >= 0; }

  // Appends bytes to the temporary file. Returns false (see error()) when nothing is open or
  // this or an earlier write failed; the file then stays open so that commit() or discard()
  // cleans up.
  bool write(std::span<const std::uint8_t> bytes);

  // Flushes (unless `durability` is kCached) and closes the temporary file and renames it over
  // the target. Returns false (see error()) when nothing is open, an earlier write failed, or
  // any of these steps fails; the temporary file is then removed and the target left as it was.
  bool commit(Durability durability = Durability::kFlushed);

  // Closes and removes the temporary file, if any.
  void discard();

  // Why the last failing call failed: the operation, the path and the system's reason.
  const std::string& error() const { return error_; }

 private:
  bool fail(const std::string& what, const std::string& path, int errorNumber);

  int fd_ = -1;
  bool writeFailed_ = false;
  std::string target_;
  std::string temporary_;
  std::string error_;
};

}  // namespace support
