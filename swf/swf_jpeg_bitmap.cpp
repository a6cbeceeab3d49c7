#include "swf/swf_jpeg_bitmap.h"

#include <limits>

#include "support/byte_io.h"
#include "support/read_file.h"
#include "swf/swf_constants.h"
#include "swf/tag_header.h"
#include "swf/zlib_data.h"

namespace swf {
SwfJpegBitmap::SwfJpegBitmap(std::uint16_t id, const std::string& path)
    : SwfCharacter(CharacterKind::Bitmap, id, 0) {
  std::vector<std::uint8_t> jpeg;
  if (support::readWholeFile(path, jpeg)) build(jpeg);
}

SwfJpegBitmap::SwfJpegBitmap(std::uint16_t id, std::span<const std::uint8_t> jpeg)
    : SwfCharacter(CharacterKind::Bitmap, id, 0) {
  build(jpeg);
}

SwfJpegBitmap::SwfJpegBitmap(std::uint16_t id, std::span<const std::uint8_t> jpeg,
                             std::span<const std::uint8_t> alphaPlane, ZlibEffort effort)
    : SwfCharacter(CharacterKind::Bitmap, id, 0) {
  buildWithAlpha(jpeg, alphaPlane, effort);
}

// DefineBitsJPEG2 tag (code 21, long header), for a JPEG of L bytes:
//   u16 CharacterId | FF D9 FF D8 | the L bytes | FF D9       (body L + 8, tag L + 14)
std::vector<std::uint8_t> jpegBitmapTagHead(std::uint16_t id, std::size_t jpegSize) {
  constexpr std::size_t kWrapBytes = 2 + kJpegPrefix.size() + kJpegSuffix.size();
  std::vector<std::uint8_t> head;
  if (jpegSize > std::numeric_limits<std::uint32_t>::max() - kWrapBytes - kLongTagHeaderBytes) {
    return head;
  }
  writeTagHeader(head, TagCode::DefineBitsJpeg2, static_cast<std::uint32_t>(jpegSize + kWrapBytes));
  support::appendLe16(head, id);
  support::appendBytes(head, kJpegPrefix);
  return head;
}

void SwfJpegBitmap::build(std::span<const std::uint8_t> jpeg) {
  const std::vector<std::uint8_t> head = jpegBitmapTagHead(id(), jpeg.size());
  if (head.empty()) return;
  m_tag.reserve(head.size() + jpeg.size() + kJpegSuffix.size());
  support::appendBytes(m_tag, head);
  support::appendBytes(m_tag, jpeg);
  support::appendBytes(m_tag, kJpegSuffix);
  m_valid = true;
}

// DefineBitsJPEG3 tag (code 35, long header), for a JPEG of L bytes:
//   u16 CharacterId | u32 AlphaDataOffset = L + 6 | FF D9 FF D8 | the L bytes | FF D9
//   | zlib stream of the alpha plane
void SwfJpegBitmap::buildWithAlpha(std::span<const std::uint8_t> jpeg,
                                   std::span<const std::uint8_t> alphaPlane, ZlibEffort effort) {
  constexpr std::size_t kWrapBytes = kJpegPrefix.size() + kJpegSuffix.size();
  std::vector<std::uint8_t> body;
  support::appendLe16(body, id());
  if (jpeg.size() > std::numeric_limits<std::uint32_t>::max() - kWrapBytes) return;
  support::appendLe32(body, static_cast<std::uint32_t>(jpeg.size() + kWrapBytes));
  support::appendBytes(body, kJpegPrefix);
  support::appendBytes(body, jpeg);
  support::appendBytes(body, kJpegSuffix);
  if (!appendZlib(body, alphaPlane, effort)) return;
  m_valid = appendTag(m_tag, TagCode::DefineBitsJpeg3, body);
}

}  // namespace swf
