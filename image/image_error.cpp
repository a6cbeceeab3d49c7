#include "image/image_error.h"

#include <cstring>

namespace image {

const char* toString(ImageError error) {
  switch (error) {
    case ImageError::None:
      return "no error";
    case ImageError::FileOpen:
      return "cannot open or create the file";
    case ImageError::FileRead:
      return "cannot read the file";
    case ImageError::FileWrite:
      return "cannot write the file";
    case ImageError::NoCodec:
      return "no codec for this file type";
    case ImageError::BadSignature:
      return "not a file of the expected format";
    case ImageError::Truncated:
      return "the data is truncated";
    case ImageError::BadDimensions:
      return "invalid image dimensions";
    case ImageError::TooLarge:
      return "the image is too large";
    case ImageError::UnsupportedDepth:
      return "unsupported bit depth, image type or compression";
    case ImageError::BadPalette:
      return "invalid colour map";
    case ImageError::Corrupt:
      return "the data is corrupt";
    case ImageError::NoFrames:
      return "the file holds no image";
    case ImageError::InvalidImage:
      return "no valid image was given";
    case ImageError::Library:
      return "the image library reported an error";
    case ImageError::OutOfMemory:
      return "out of memory";
    case ImageError::Cancelled:
      return "the loading was cancelled";
  }
  return "unknown error";
}

ImageResult saveFailure(const std::string& path, ImageError error, int systemError) {
  return {error,
          "cannot write " + path + ": " +
              (systemError != 0 ? std::strerror(systemError) : toString(error)),
          systemError};
}

}  // namespace image
