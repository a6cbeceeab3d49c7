#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "image/gif/gif_parser.h"
#include "image/gif/gif_stream_decoder.h"
#include "image/image_error.h"
#include "support/read_file.h"
#include "support/result.h"

namespace core {

// A sentence for a GIF decoding failure reported by the image layer.
std::string gifErrorText(image::ImageError error);

// A GIF decoding failure as the conversion reports it: OutOfMemory or Refused, with
// GifErrorText.
support::Status gifFailure(const image::ImageResult& failure);

// A GIF to convert: its bytes (mapped from its file unless the caller has them already), parsed
// once for everything that follows.
class GifSource {
 public:
  GifSource() = default;
  GifSource(const GifSource&) = delete;
  GifSource& operator=(const GifSource&) = delete;

  // Takes `bytes` when not empty, otherwise maps the file at `path`, and parses them. Fails when
  // the path is not a regular file or cannot be read (support::ReadWholeFile's message), or the
  // bytes are not a usable GIF ("<path>: <GifErrorText>", Refused): empty, not a GIF, cut off
  // before its first frame is complete, no frame, or a screen side of 0 or above
  // image::kMaxDimension. Throws only std::bad_alloc.
  support::Status open(const std::string& path, std::span<const uint8_t> bytes);

  // Lets the memory of the file's bytes before `offset` go (see support::MappedFile::release);
  // what is read again later (the global colour table) comes back from the file. A decoder that
  // has composited frame i calls it with the end of that frame's data, so memory holds the
  // frames in flight rather than the whole file.
  void releaseBefore(std::size_t offset) const;

  std::span<const uint8_t> bytes() const { return m_bytes; }
  const image::GifFile& file() const { return m_file; }
  const image::GifInfo& summary() const { return m_summary; }

 private:
  support::MappedFile m_mapped;
  std::span<const uint8_t> m_bytes;
  image::GifFile m_file;
  image::GifInfo m_summary;
};

}  // namespace core
