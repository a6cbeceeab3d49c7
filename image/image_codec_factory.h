#pragma once

#include <memory>
#include <string>

#include "image/image_codec.h"
#include "image/image_type.h"

namespace image {

// Process-wide mapping from a file name to an ImageType and from an ImageType to a codec, so
// that every load and save follows the file name's extension. Stateless after construction,
// so it may be used from several threads.
class ImageCodecFactory {
 public:
  // The one instance, created on first use and destroyed at process exit.
  static ImageCodecFactory& instance();

  // The type named by the text after the last '.' of the whole path, compared after ASCII
  // lower-casing; Unknown for a path without '.' or an extension not in the table.
  ImageType TypeOf(const std::string& path) const;

  // A new codec for `type`, owned by the caller; null for types that have no codec.
  std::unique_ptr<ImageCodec> CreateCodec(ImageType type) const;

 private:
  ImageCodecFactory() = default;
};

}  // namespace image
