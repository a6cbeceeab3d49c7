#include "swf/swf_movie.h"

#include <algorithm>
#include <array>
#include <limits>

#include "swf/byte_writer.h"
#include "swf/swf_constants.h"
#include "swf/swf_matrix.h"
#include "swf/swf_shape.h"
#include "swf/tag_header.h"

namespace swf {

SwfMovie::SwfMovie() : frameRate_(kDefaultFrameRate) {
  frameSize_.set(0.0F, 0.0F, kDefaultStagePixels, kDefaultStagePixels);
}

SwfMovie::~SwfMovie() = default;

bool SwfMovie::open(const std::string& path, float widthPx, float heightPx, int framesPerSecond) {
  if (!file_.open(path)) {
    lastError_ = file_.error();
    return false;
  }
  frameSize_.set(0.0F, 0.0F, widthPx, heightPx);
  frameRate_ = static_cast<std::uint16_t>((static_cast<unsigned>(framesPerSecond) & 0xFFU) << 8);
  return true;
}

void SwfMovie::setBackgroundColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  const std::array<std::uint8_t, 3> body = {red, green, blue};
  appendTag(tags_, TagCode::kSetBackgroundColor, body);
}

void SwfMovie::addCharacter(const SwfCharacter* character, std::uint16_t depth, bool place) {
  if (character == nullptr) return;
  const std::span<const std::uint8_t> bytes = character->tagBytes();
  const std::uint32_t size = character->tagSize();
  appendBytes(tags_, bytes.first(std::min<std::size_t>(size, bytes.size())));
  if (place) placeCharacter(character, depth, true);
}

// PlaceObject2 tag (code 26, long header):
//   u8 flags: new placement 0x06 (HasCharacter | HasMatrix), modification 0x05 (Move |
//             HasMatrix), | 0x08 with a colour transform
//   u16 depth | u16 character id (new placement only) | MATRIX | CXFORMWITHALPHA (if given)
void SwfMovie::placeCharacter(const SwfCharacter* character, std::uint16_t depth, bool newPlacement,
                              const SwfColorTransform* colorTransform) {
  if (character == nullptr || character->kind() == CharacterKind::kBitmap) return;
  std::uint8_t flags = kPlaceHasMatrix | (newPlacement ? kPlaceHasCharacter : kPlaceMove);
  if (colorTransform != nullptr) flags |= kPlaceHasColorTransform;
  std::vector<std::uint8_t> body;
  appendU8(body, flags);
  appendU16(body, depth);
  if (newPlacement) appendU16(body, character->id());
  const auto* shape = dynamic_cast<const SwfShape*>(character);
  (shape != nullptr ? shape->placementMatrix() : SwfMatrix()).appendTo(body);
  if (colorTransform != nullptr) colorTransform->appendTo(body);
  appendTag(tags_, TagCode::kPlaceObject2, body);
}

void SwfMovie::removeDepth(std::uint16_t depth) {
  std::vector<std::uint8_t> body;
  appendU16(body, depth);
  appendTag(tags_, TagCode::kRemoveObject2, body);
}

void SwfMovie::addFrameLabel(const std::string& name) {
  std::vector<std::uint8_t> body(name.begin(), name.end());
  body.push_back(0);
  appendTag(tags_, TagCode::kFrameLabel, body);
}

void SwfMovie::addActions(SwfActionList* actions) {
  if (actions == nullptr) return;
  appendBytes(tags_, actions->serialise());
}

void SwfMovie::showFrame() {
  writeTagHeader(tags_, TagCode::kShowFrame, 0);
  ++frameCount_;
}

// File header:
//   "FWS" | u8 version 3 | u32 FileLength (whole file, End tag included)
//   RECT FrameSize (twips) | u16 FrameRate (8.8 fixed) | u16 FrameCount
std::vector<std::uint8_t> SwfMovie::header() const {
  const std::vector<std::uint8_t> rect = frameSize_.encode();
  constexpr std::size_t kEndTagBytes = 2;
  const std::size_t fileLength =
      kHeaderBytesBeforeRect + rect.size() + kHeaderBytesAfterRect + tags_.size() + kEndTagBytes;
  std::vector<std::uint8_t> out;
  appendBytes(out, kSignature);
  appendU8(out, kVersion);
  appendU32(out, static_cast<std::uint32_t>(fileLength));
  appendBytes(out, rect);
  appendU16(out, frameRate_);
  appendU16(out, frameCount_);
  return out;
}

bool SwfMovie::finish() {
  if (!file_.isOpen()) {
    lastError_ = "finish without an open file";
    return false;
  }
  // FileLength is 32 bits; header and End tag take at most 30 bytes.
  if (tags_.size() > std::numeric_limits<std::uint32_t>::max() - 32) {
    file_.discard();
    lastError_ = "movie larger than 4 GiB";
    return false;
  }
  std::vector<std::uint8_t> end;
  writeTagHeader(end, TagCode::kEnd, 0);
  const bool ok = file_.write(header()) && file_.write(tags_) && file_.write(end) && file_.commit();
  if (!ok) {
    lastError_ = file_.error();
    file_.discard();
  }
  return ok;
}

}  // namespace swf
