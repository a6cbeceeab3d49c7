#include "swf/swf_movie.h"

#include <algorithm>
#include <array>

#include "support/byte_io.h"
#include "swf/swf_constants.h"
#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_matrix.h"
#include "swf/swf_shape.h"
#include "swf/tag_header.h"

namespace swf {

SwfMovie::SwfMovie() : m_format{kDefaultFrameRate, 0, false} {
  m_frameSize.set(0.0F, 0.0F, kDefaultStagePixels, kDefaultStagePixels);
}

SwfMovie::~SwfMovie() = default;

support::Status SwfMovie::open(const std::string& path, float widthPx, float heightPx,
                               int framesPerSecond) {
  const auto rate =
      static_cast<std::uint16_t>((static_cast<unsigned>(framesPerSecond) & 0xFFU) << 8);
  return open(path, widthPx, heightPx, MovieFormat{rate, 0, false});
}

support::Status SwfMovie::open(const std::string& path, float widthPx, float heightPx,
                               const MovieFormat& format) {
  if (m_output.isOpen()) return {support::Failure::Open, "a file is already open"};
  if (support::Status opened = m_output.open(path, format.compressed); !opened) return opened;
  m_frameSize.set(0.0F, 0.0F, widthPx, heightPx);
  m_format = format;
  const std::vector<std::uint8_t> head = header();
  m_headerBytes = head.size();
  m_output.write(head);
  m_output.write(m_tags);
  m_tags = {};
  return {};
}

void SwfMovie::out(std::span<const std::uint8_t> bytes) {
  if (m_output.isOpen()) {
    m_output.write(bytes);
  } else {
    support::appendBytes(m_tags, bytes);
  }
}

void SwfMovie::addJpegBitmap(std::uint16_t id, std::span<const std::uint8_t> jpeg) {
  const std::vector<std::uint8_t> head = jpegBitmapTagHead(id, jpeg.size());
  if (head.empty()) {
    m_output.fail("movie larger than 4 GiB");
    return;
  }
  out(head);
  out(jpeg);
  out(kJpegSuffix);
}

void SwfMovie::setBackgroundColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  const std::array<std::uint8_t, 3> body = {red, green, blue};
  std::vector<std::uint8_t> tag;
  appendTag(tag, TagCode::SetBackgroundColor, body);
  out(tag);
}

void SwfMovie::addCharacter(const SwfCharacter* character, std::uint16_t depth, bool place) {
  if (character == nullptr) return;
  const std::span<const std::uint8_t> bytes = character->tagBytes();
  const std::uint32_t size = character->tagSize();
  out(bytes.first(std::min<std::size_t>(size, bytes.size())));
  if (place) placeCharacter(character, depth, true);
}

// PlaceObject2 tag (code 26, long header):
//   u8 flags: new placement 0x06 (HasCharacter | HasMatrix), modification 0x05 (Move |
//             HasMatrix), | 0x08 with a colour transform
//   u16 depth | u16 character id (new placement only) | MATRIX | CXFORMWITHALPHA (if given)
void SwfMovie::placeCharacter(const SwfCharacter* character, std::uint16_t depth, bool newPlacement,
                              const SwfColorTransform* colorTransform) {
  if (character == nullptr || character->kind() == CharacterKind::Bitmap) return;
  std::uint8_t flags = kPlaceHasMatrix | (newPlacement ? kPlaceHasCharacter : kPlaceMove);
  if (colorTransform != nullptr) flags |= kPlaceHasColorTransform;
  std::vector<std::uint8_t> body;
  body.push_back(flags);
  support::appendLe16(body, depth);
  if (newPlacement) support::appendLe16(body, character->id());
  const auto* shape = dynamic_cast<const SwfShape*>(character);
  (shape != nullptr ? shape->placementMatrix() : SwfMatrix()).appendTo(body);
  if (colorTransform != nullptr) colorTransform->appendTo(body);
  std::vector<std::uint8_t> tag;
  appendTag(tag, TagCode::PlaceObject2, body);
  out(tag);
}

void SwfMovie::removeDepth(std::uint16_t depth) {
  std::vector<std::uint8_t> body;
  support::appendLe16(body, depth);
  std::vector<std::uint8_t> tag;
  appendTag(tag, TagCode::RemoveObject2, body);
  out(tag);
}

void SwfMovie::addFrameLabel(const std::string& name) {
  std::vector<std::uint8_t> body(name.begin(), name.end());
  body.push_back(0);
  std::vector<std::uint8_t> tag;
  appendTag(tag, TagCode::FrameLabel, body);
  out(tag);
}

void SwfMovie::addActions(SwfActionList* actions) {
  if (actions == nullptr) return;
  out(actions->serialise());
}

void SwfMovie::showFrame() {
  std::vector<std::uint8_t> tag;
  writeTagHeader(tag, TagCode::ShowFrame, 0);
  out(tag);
  ++m_frameCount;
}

// File header:
//   "FWS" | u8 version 3 | u32 FileLength (whole file, End tag included)
//   RECT FrameSize (twips) | u16 FrameRate (8.8 fixed) | u16 FrameCount
// or "CWS" | u8 version 6 | u32 FileLength (before compression), the rest compressed.
// FileLength is written as 0 and FrameCount as the format says; finish() completes FileLength
// and, in an uncompressed movie, FrameCount.
std::vector<std::uint8_t> SwfMovie::header() const {
  std::vector<std::uint8_t> out;
  support::appendBytes(out, m_format.compressed ? kCompressedSignature : kSignature);
  out.push_back(m_format.compressed ? kCompressedVersion : kVersion);
  support::appendLe32(out, 0);
  support::appendBytes(out, m_frameSize.encode());
  support::appendLe16(out, m_format.frameRate);
  support::appendLe16(out, m_format.frameCount);
  return out;
}

support::Status SwfMovie::finish() {
  if (!m_output.isOpen()) return {support::Failure::Write, "finish without an open file"};
  std::vector<std::uint8_t> end;
  writeTagHeader(end, TagCode::End, 0);
  m_output.write(end);
  std::vector<std::uint8_t> length;
  support::appendLe32(length, static_cast<std::uint32_t>(m_output.size()));
  m_output.patch(kFileLengthOffset, length);
  if (!m_format.compressed) {
    std::vector<std::uint8_t> count;
    support::appendLe16(count, m_frameCount);
    m_output.patch(m_headerBytes - count.size(), count);
  } else if (m_frameCount != m_format.frameCount) {
    m_output.fail("the header says " + std::to_string(m_format.frameCount) +
                  " frames, but the movie shows " + std::to_string(m_frameCount));
  }
  return m_output.commit();
}

}  // namespace swf
