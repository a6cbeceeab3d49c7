#pragma once

#include <memory>
#include <string>
#include <vector>

#include "image/image_buffer.h"
#include "image/image_error.h"

namespace image {

// An ordered, owning list of frames decoded from one file, in decoding order.
class ImageSequence {
 public:
  ImageSequence() = default;
  ImageSequence(const ImageSequence&) = delete;
  ImageSequence& operator=(const ImageSequence&) = delete;
  ImageSequence(ImageSequence&&) noexcept = default;
  ImageSequence& operator=(ImageSequence&&) noexcept = default;
  ~ImageSequence() = default;

  // Decodes the file at `path` with the codec its extension selects and appends every frame,
  // in order, after the frames already held. Fails, sequence unchanged, when there is no codec
  // (NoCodec) or the file does not decode (the codec's error).
  ImageResult Load(const std::string& path);

  int Count() const;
  // The frame at index i; null when i < 0 or i >= Count().
  ImageBuffer* At(int i);
  const ImageBuffer* At(int i) const;

  // Takes ownership of `frame` and puts it last; a null frame is ignored.
  void append(std::unique_ptr<ImageBuffer> frame);
  // Moves every frame of `source`, in order, to the end of this sequence; `source` is left
  // empty.
  void appendAll(ImageSequence& source);
  // Destroys every frame.
  void clear();

 private:
  std::vector<std::unique_ptr<ImageBuffer>> m_frames;
};

}  // namespace image
