#pragma once

// The pictures a converted movie shows: each DefineBitsJPEG2 tag's JPEG, decoded.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/swf_tag_walker.h"
#include "image/image_codec_factory.h"
#include "image/image_sequence.h"

namespace testutil {

// Decodes the JPEG of a DefineBitsJPEG2 tag: its body is the 16-bit id, FF D9 FF D8, the JPEG
// file and a closing FF D9. An empty sequence when it does not decode.
inline image::ImageSequence decodeBitmapTag(const swftest::WalkedTag& tag) {
  image::ImageSequence decoded;
  EXPECT_GE(tag.body.size(), 8u);
  if (tag.body.size() < 8) return decoded;
  const auto codec = image::ImageCodecFactory::instance().CreateCodec(image::ImageType::Jpeg);
  EXPECT_TRUE(
      codec->LoadMemory(std::vector<uint8_t>(tag.body.begin() + 6, tag.body.end() - 2), decoded));
  return decoded;
}

}  // namespace testutil
