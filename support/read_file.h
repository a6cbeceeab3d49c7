#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "support/result.h"

namespace support {

// Reads the whole regular file at `path` into `bytes`. A file that yields fewer bytes than its
// length (it shrank while being read, or the device failed) counts as a failed read. On failure
// `bytes` is left unchanged and the status says which step failed: Open ("cannot open <path>:
// <reason>"), Read ("cannot read <path>: <reason>") or NotRegular for a directory, a FIFO, a
// device or a socket, refused before anything is read (a FIFO without a writer would wait
// forever, a device such as /dev/zero never ends): "cannot read <path>: it is a FIFO, not a
// regular file".
Status readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

// The bytes of a regular file, mapped into memory rather than copied, so that a large input
// costs neither a zero-filled buffer nor a read of pages the reader never touches. Files that
// cannot be mapped (some special file systems) are read whole instead. The file must not shrink
// while it is mapped.
class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Maps the file at `path`, replacing what was held; fails as ReadWholeFile does.
  Status open(const std::string& path);

  std::span<const std::uint8_t> bytes() const { return m_bytes; }

  // Gives back the memory of the bytes from `begin` to `end` (whole pages inside that range),
  // which the reader is done with: they leave the process's resident memory and are read from
  // the file again should they be touched. Reading a large file front to back thus holds only
  // what is in use.
  void release(std::size_t begin, std::size_t end) const;

 private:
  void close();

  void* m_mapping = nullptr;
  std::size_t m_mappedSize = 0;
  std::vector<std::uint8_t> m_copy;
  std::span<const std::uint8_t> m_bytes;
};

}  // namespace support
