#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "image/gif/gif_parser.h"
#include "image/image_error.h"
#include "support/read_file.h"

namespace core {

// What a conversion needs to know about a GIF before decoding any pixel.
struct GifSummary {
  int width = 0;  // logical screen, pixels
  int height = 0;
  int frameCount = 0;      // complete frames
  bool truncated = false;  // the data ends before the trailer; frameCount counts what is whole
};

// Walks the blocks of the GIF in `bytes` without decoding pixels. False, with a sentence in
// `error` (when given), for empty data, data that is not a GIF, ends before its first frame is
// complete, holds no frame, or has a screen side of 0 or above image::kMaxDimension.
bool SummarizeGif(std::span<const uint8_t> bytes, GifSummary& summary, std::string* error);

// A sentence for a GIF decoding failure reported by the image layer.
std::string GifErrorText(image::ImageError error);

// A GIF to convert: its bytes (mapped from its file unless the caller has them already), parsed
// once for everything that follows.
class GifSource {
 public:
  GifSource() = default;
  GifSource(const GifSource&) = delete;
  GifSource& operator=(const GifSource&) = delete;

  // Takes `bytes` when not empty, otherwise maps the file at `path`, and parses them. False, with
  // a sentence in `error` (when given), when the path is not a regular file or cannot be read
  // (ReadErrorText), or SummarizeGif refuses the bytes ("<path>: <its sentence>"). Throws only
  // std::bad_alloc.
  bool Open(const std::string& path, std::span<const uint8_t> bytes, std::string* error);

  // Lets the memory of the file's bytes before `offset` go (see support::MappedFile::release);
  // what is read again later (the global colour table) comes back from the file. A decoder that
  // has composited frame i calls it with the end of that frame's data, so memory holds the
  // frames in flight rather than the whole file.
  void ReleaseBefore(std::size_t offset) const;

  std::span<const uint8_t> bytes() const { return m_bytes; }
  const image::GifFile& file() const { return m_file; }
  const GifSummary& summary() const { return m_summary; }

 private:
  support::MappedFile m_mapped;
  std::span<const uint8_t> m_bytes;
  image::GifFile m_file;
  GifSummary m_summary;
};

}  // namespace core
