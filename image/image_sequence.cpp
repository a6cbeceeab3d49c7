#include "image/image_sequence.h"

#include <utility>

#include "image/image_codec_factory.h"

namespace image {

ImageResult ImageSequence::Load(const std::string& path) {
  const ImageCodecFactory& factory = ImageCodecFactory::instance();
  std::unique_ptr<ImageCodec> codec = factory.CreateCodec(factory.TypeOf(path));
  if (!codec) return ImageError::NoCodec;
  return codec->LoadFile(path, *this);
}

int ImageSequence::Count() const { return static_cast<int>(m_frames.size()); }

ImageBuffer* ImageSequence::At(int i) {
  return i < 0 || i >= Count() ? nullptr : m_frames[static_cast<std::size_t>(i)].get();
}

const ImageBuffer* ImageSequence::At(int i) const {
  return i < 0 || i >= Count() ? nullptr : m_frames[static_cast<std::size_t>(i)].get();
}

void ImageSequence::append(std::unique_ptr<ImageBuffer> frame) {
  if (frame) {
    m_frames.push_back(std::move(frame));
  }
}

void ImageSequence::appendAll(ImageSequence& source) {
  if (&source == this) {
    return;
  }
  m_frames.reserve(m_frames.size() + source.m_frames.size());
  for (auto& frame : source.m_frames) {
    m_frames.push_back(std::move(frame));
  }
  source.m_frames.clear();
}

void ImageSequence::clear() { m_frames.clear(); }

}  // namespace image
