#pragma once

#include <string>

#include "support/result.h"

namespace image {

// Why the last image operation failed. Every operation of the image layer that returns false
// records one of these, so callers can say what went wrong without exceptions.
enum class ImageError {
  None,              // the last operation succeeded
  FileOpen,          // a file could not be opened or created
  FileRead,          // reading an open file failed
  FileWrite,         // writing or renaming the output file failed
  NoCodec,           // the file name's extension maps to no codec, or the codec cannot do this
  BadSignature,      // the data does not start the way the format requires
  Truncated,         // the data ends before the format says it should
  BadDimensions,     // width or height is zero or negative
  TooLarge,          // a side exceeds kMaxDimension or a size product overflows
  UnsupportedDepth,  // bit depth, image type or compression the codec does not handle
  BadPalette,        // colour map outside 0..255 or of an unsupported entry size
  Corrupt,           // the data is inconsistent in some other way
  NoFrames,          // the data decoded but held no picture
  InvalidImage,      // an empty image (or none) was given where a picture is needed
  Library,           // an underlying image library reported an error
  OutOfMemory,       // pixel or buffer memory could not be allocated
  Cancelled,         // the caller stopped the operation
};

// A short English description of `error` ("no error" for None); never null.
const char* toString(ImageError error);

// What an operation of the image layer returns: success, or the reason it failed with a message
// (the description of the code, or for a file the path and the system's reason).
using ImageResult = support::Result<ImageError>;

// A failed save to `path`: `error` with the message "cannot write <path>: <reason>", the reason
// being the system's for `systemError` (an errno) when it is not 0, else toString(error).
ImageResult saveFailure(const std::string& path, ImageError error, int systemError = 0);

}  // namespace image
