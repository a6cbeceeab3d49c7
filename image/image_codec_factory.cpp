#include "image/image_codec_factory.h"

#include <array>
#include <string_view>

#include "image/bmp_codec.h"
#include "image/gif_codec.h"
#include "image/ico_codec.h"
#include "image/jpeg_codec.h"
#include "image/png_codec.h"
#include "image/tga_codec.h"
#include "image/tiff_codec.h"

namespace image {
namespace {

struct ExtensionEntry {
  std::string_view extension;
  ImageType type;
};

constexpr std::array kExtensions{
    ExtensionEntry{"bmp", ImageType::Bmp},  ExtensionEntry{"pcx", ImageType::Pcx},
    ExtensionEntry{"jpg", ImageType::Jpeg}, ExtensionEntry{"jpeg", ImageType::Jpeg},
    ExtensionEntry{"gif", ImageType::Gif},  ExtensionEntry{"tga", ImageType::Tga},
    ExtensionEntry{"tif", ImageType::Tiff}, ExtensionEntry{"tiff", ImageType::Tiff},
    ExtensionEntry{"png", ImageType::Png},  ExtensionEntry{"psd", ImageType::Psd},
    ExtensionEntry{"ico", ImageType::Ico},  ExtensionEntry{"xpm", ImageType::Xpm},
    ExtensionEntry{"oxo", ImageType::Oxo},
};

template <typename Codec>
std::unique_ptr<ImageCodec> makeCodec() {
  return std::make_unique<Codec>();
}

struct CodecEntry {
  ImageType type;
  std::unique_ptr<ImageCodec> (*create)();
};

// One row per type that has a codec; types without a row (pcx, psd, xpm, oxo) have none.
constexpr std::array kCodecs{
    CodecEntry{ImageType::Bmp, &makeCodec<BmpCodec>},
    CodecEntry{ImageType::Gif, &makeCodec<GifCodec>},
    CodecEntry{ImageType::Tga, &makeCodec<TgaCodec>},
    CodecEntry{ImageType::Jpeg, &makeCodec<JpegCodec>},
    CodecEntry{ImageType::Png, &makeCodec<PngCodec>},
    CodecEntry{ImageType::Tiff, &makeCodec<TiffCodec>},
    CodecEntry{ImageType::Ico, &makeCodec<IcoCodec>},
};

char toLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

ImageCodecFactory& ImageCodecFactory::instance() {
  static ImageCodecFactory instance;
  return instance;
}

ImageType ImageCodecFactory::TypeOf(const std::string& path) const {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) {
    return ImageType::Unknown;
  }
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) {
    c = toLowerAscii(c);
  }
  for (const ExtensionEntry& entry : kExtensions) {
    if (entry.extension == extension) {
      return entry.type;
    }
  }
  return ImageType::Unknown;
}

std::unique_ptr<ImageCodec> ImageCodecFactory::CreateCodec(ImageType type) const {
  for (const CodecEntry& entry : kCodecs) {
    if (entry.type == type) {
      return entry.create();
    }
  }
  return nullptr;
}

}  // namespace image
