#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "support/result.h"
#include "swf/deflate_stream.h"

namespace support {
class ReplacingFile;
}  // namespace support

namespace swf {

// The bytes of a movie on their way to its file, written as they come so that memory never holds
// the movie: small tags are gathered in a buffer, large ones (JPEG pictures) go out straight from
// the caller's memory. The length is checked against the 32-bit FileLength as it grows, and
// header fields known only at the end are completed in place (patch) before the file takes its
// name (support::ReplacingFile: whole or not at all).
//
// A compressed movie ("CWS") deflates everything after its first kUncompressedPrefixBytes on
// the way out of write() (DeflateStream); only those first bytes (FileLength, which counts the
// bytes before compression) can be patched, so every other header field must be right when it
// is written.
class MovieOutput {
 public:
  // The largest movie: FileLength is a 32-bit field.
  static constexpr std::uint64_t kMaxBytes = 0xFFFFFFFFU;

  MovieOutput();
  ~MovieOutput();
  MovieOutput(const MovieOutput&) = delete;
  MovieOutput& operator=(const MovieOutput&) = delete;

  // Creates the new file for `path`, its bytes after the prefix zlib-compressed when
  // `compressed`; fails when it cannot be created.
  support::Status open(const std::string& path, bool compressed = false);
  bool isOpen() const;

  // Appends bytes. Failures are kept: once a write failed or the movie outgrew kMaxBytes, ok()
  // is false, status() says why, and nothing more is written.
  void write(std::span<const std::uint8_t> bytes);

  // Fails the movie for `reason` (kept as for a failed write).
  void fail(const std::string& reason) {
    if (ok()) m_status = {support::Failure::Write, reason};
  }

  // Overwrites bytes already written, from `offset` on (header fields; in a compressed movie
  // only within the prefix).
  void patch(std::uint64_t offset, std::span<const std::uint8_t> bytes);

  // Bytes appended so far, before compression.
  std::uint64_t size() const { return m_size; }

  bool ok() const { return static_cast<bool>(m_status); }
  // The failure that stopped the movie; success while ok().
  const support::Status& status() const { return m_status; }

  // Writes what is buffered and gives the file its name; fails when anything failed, the file
  // then discarded.
  support::Status commit();
  // Discards the file.
  void discard();

 private:
  bool flush();
  // Appends bytes of a compressed movie: the prefix as it is, the rest through deflate_.
  void writeCompressed(std::span<const std::uint8_t> bytes);

  // Held apart so that users of the movie writer need not see the file writer.
  std::unique_ptr<support::ReplacingFile> m_file;
  std::unique_ptr<DeflateStream> m_deflate;
  std::vector<std::uint8_t> m_buffer;
  std::uint64_t m_size = 0;
  support::Status m_status;
};

}  // namespace swf
