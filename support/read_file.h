#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace support {

// The step at which reading a file failed.
enum class ReadFailure { kNone, kOpen, kRead };

struct ReadResult {
  ReadFailure failure = ReadFailure::kNone;
  int errorNumber = 0;  // errno of the failing step (EIO for a file shorter than its length)
  explicit operator bool() const { return failure == ReadFailure::kNone; }
};

// Reads the whole file at `path` into `bytes`. A regular file that yields fewer bytes than its
// length (it shrank while being read, or the device failed) counts as a failed read; so does a
// directory. On failure `bytes` is left unchanged.
ReadResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

}  // namespace support
