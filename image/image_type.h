#pragma once

namespace image {

// Integer code of a file type, taken from the lower-cased extension of a file name. The values
// are fixed: they are the codes the rest of the program and its callers exchange.
enum class ImageType : int {
  Unknown = 0,
  Bmp = 1,
  Pcx = 2,
  Jpeg = 3,
  Gif = 4,
  Tga = 5,
  Tiff = 6,
  Png = 7,
  Psd = 8,
  Ico = 9,
  Xpm = 10,
  Oxo = 11,
};

}  // namespace image
