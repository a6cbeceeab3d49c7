#include "image/gif/gif_parser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <utility>

#include "image/image_buffer.h"

namespace image {
namespace {

// Block introducers and extension labels of the GIF89a stream.
constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kApplicationLabel = 0xFF;

// Application identifiers (8 bytes) and authentication codes (3 bytes) of the extensions that
// carry a loop count, and the id of the data sub-block that holds it.
constexpr std::array<std::string_view, 2> kLoopApplications = {"NETSCAPE2.0", "ANIMEXTS1.0"};
constexpr std::size_t kApplicationIdSize = 11;
constexpr uint8_t kLoopSubBlockId = 1;

constexpr std::size_t kHeaderSize = 6;            // "GIF87a" or "GIF89a"
constexpr std::size_t kScreenDescriptorSize = 7;  // after the header
constexpr std::size_t kImageDescriptorSize = 9;   // after the 0x2C separator
constexpr int kMaxMinCodeSize = 8;                // indices must fit a byte
constexpr std::size_t kProgressBytes = 4 << 20;   // between two calls of a GifParseProgress

// A read cursor that never moves past the end of its span.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

  std::size_t position() const { return m_position; }
  std::size_t remaining() const { return m_bytes.size() - m_position; }
  bool has(std::size_t count) const { return count <= remaining(); }

  // Callers check Has() first.
  uint8_t byte() { return m_bytes[m_position++]; }
  int word() {
    const int value = m_bytes[m_position] | (m_bytes[m_position + 1] << 8);
    m_position += 2;
    return value;
  }
  void skip(std::size_t count) { m_position += count; }

  // Walks a chain of data sub-blocks up to and including its zero terminator.
  // Returns false when the data ends first; `*payload` receives the bytes without the
  // length bytes.
  bool skipSubBlocks(std::size_t* payload) {
    std::size_t total = 0;
    while (has(1)) {
      const std::size_t length = byte();
      if (length == 0) {
        *payload = total;
        return true;
      }
      if (!has(length)) {
        return false;
      }
      skip(length);
      total += length;
    }
    return false;
  }

 private:
  std::span<const uint8_t> m_bytes;
  std::size_t m_position = 0;
};

// Graphic control extension fields that apply to the next image only.
struct GraphicControl {
  GifDisposal disposal = GifDisposal::Keep;
  int transparentIndex = -1;
  int delayCentiseconds = 0;
};

// Graphic control extension body (block size 4):
//   byte 0  packed: bits 2..4 disposal method, bit 0 transparent colour flag
//   bytes 1..2  delay time, hundredths of a second, little-endian
//   byte 3  transparent colour index
GraphicControl readGraphicControl(const uint8_t* body) {
  GraphicControl control;
  const int method = (body[0] >> 2) & 7;
  if (method == 2) {
    control.disposal = GifDisposal::Background;
  } else if (method == 3) {
    control.disposal = GifDisposal::Previous;
  }
  control.delayCentiseconds = body[1] | (body[2] << 8);
  if ((body[0] & 1) != 0) {
    control.transparentIndex = body[3];
  }
  return control;
}

enum class Step { Continue, Done, Cut, Fail };

class Parser {
 public:
  Parser(std::span<const uint8_t> bytes, GifFile* file, const GifParseProgress& progress)
      : m_bytes(bytes), m_in(bytes), m_file(file), m_progress(progress) {}

  ImageError run() {
    const ImageError header = readHeader();
    if (header != ImageError::None) {
      return header;
    }
    for (std::size_t reported = 0;;) {
      const Step step = readBlock();
      if (step == Step::Continue) {
        if (m_progress && m_in.position() - reported >= kProgressBytes) {
          reported = m_in.position();
          m_progress(reported);
        }
        continue;
      }
      if (step == Step::Fail) {
        return m_error;
      }
      if (m_file->frames.empty()) {
        return step == Step::Done ? ImageError::NoFrames : ImageError::Truncated;
      }
      m_file->truncated = step == Step::Cut;
      return ImageError::None;
    }
  }

 private:
  // Header and logical screen descriptor:
  //   0  6  signature "GIF87a" or "GIF89a"
  //   6  2  screen width, little-endian
  //   8  2  screen height
  //  10  1  packed: bit 7 global colour table flag, bits 0..2 table size (2^(n+1) entries)
  //  11  1  background colour index (browsers ignore it; so do we)
  //  12  1  pixel aspect ratio
  ImageError readHeader() {
    if (m_bytes.empty()) {
      return ImageError::Truncated;
    }
    const std::size_t compared = std::min(kHeaderSize, m_bytes.size());
    if (std::memcmp(m_bytes.data(), "GIF87a", compared) != 0 &&
        std::memcmp(m_bytes.data(), "GIF89a", compared) != 0) {
      return ImageError::BadSignature;
    }
    if (!m_in.has(kHeaderSize)) {
      return ImageError::Truncated;  // a cut-off signature
    }
    m_in.skip(kHeaderSize);
    if (!m_in.has(kScreenDescriptorSize)) {
      return ImageError::Truncated;
    }
    m_file->width = m_in.word();
    m_file->height = m_in.word();
    const uint8_t packed = m_in.byte();
    m_in.skip(2);
    if (m_file->width == 0 || m_file->height == 0) {
      return ImageError::BadDimensions;
    }
    if (m_file->width > kMaxDimension || m_file->height > kMaxDimension) {
      return ImageError::TooLarge;
    }
    if ((packed & 0x80) != 0) {
      m_file->paletteSize = 2 << (packed & 7);
      m_file->paletteOffset = m_in.position();
      const std::size_t tableBytes = 3 * static_cast<std::size_t>(m_file->paletteSize);
      if (!m_in.has(tableBytes)) {
        return ImageError::Truncated;
      }
      m_in.skip(tableBytes);
    }
    return ImageError::None;
  }

  Step readBlock() {
    if (!m_in.has(1)) {
      return Step::Cut;
    }
    switch (m_in.byte()) {
      case kTrailer:
        return Step::Done;
      case kExtensionIntroducer:
        return readExtension();
      case kImageSeparator:
        return readImage();
      default:
        // Browsers stop at a block they do not know and show what came before it.
        if (m_file->frames.empty()) {
          m_error = ImageError::Corrupt;
          return Step::Fail;
        }
        return Step::Done;
    }
  }

  Step readExtension() {
    if (!m_in.has(1)) {
      return Step::Cut;
    }
    const uint8_t label = m_in.byte();
    if (label == kGraphicControlLabel && m_in.has(5) && m_bytes[m_in.position()] >= 4) {
      m_control = readGraphicControl(m_bytes.data() + m_in.position() + 1);
    }
    if (label == kApplicationLabel) {
      readLoopCount(m_in.position());
    }
    std::size_t payload = 0;
    return m_in.skipSubBlocks(&payload) ? Step::Continue : Step::Cut;
  }

  // Application extension sub-blocks from `at`: the 11-byte identifier, then data sub-blocks. The
  // loop extensions keep the count in a sub-block of at least 3 bytes: id 1, then the count,
  // little-endian. Only reads; the caller walks the sub-blocks.
  void readLoopCount(std::size_t at) {
    if (m_bytes.size() - at <= kApplicationIdSize || m_bytes[at] != kApplicationIdSize) {
      return;
    }
    const std::string_view id(reinterpret_cast<const char*>(m_bytes.data() + at + 1),
                              kApplicationIdSize);
    if (std::find(kLoopApplications.begin(), kLoopApplications.end(), id) ==
        kLoopApplications.end()) {
      return;
    }
    for (at += 1 + kApplicationIdSize; at < m_bytes.size() && m_bytes[at] != 0;
         at += 1 + std::size_t{m_bytes[at]}) {
      const std::size_t length = m_bytes[at];
      if (length >= 3 && m_bytes.size() - at > 3 && m_bytes[at + 1] == kLoopSubBlockId) {
        m_file->loopCount = m_bytes[at + 2] | (m_bytes[at + 3] << 8);
      }
    }
  }

  // Image descriptor after the separator:
  //   0  2  left, 2  2  top, 4  2  width, 6  2  height (pixels, little-endian)
  //   8  1  packed: bit 7 local colour table flag, bit 6 interlace, bits 0..2 table size
  // then the optional local colour table, the LZW minimum code size byte and the data
  // sub-blocks.
  Step readImage() {
    if (!m_in.has(kImageDescriptorSize)) {
      return Step::Cut;
    }
    GifFrame frame;
    frame.left = m_in.word();
    frame.top = m_in.word();
    frame.width = m_in.word();
    frame.height = m_in.word();
    const uint8_t packed = m_in.byte();
    if (frame.width > kMaxDimension || frame.height > kMaxDimension) {
      m_error = ImageError::TooLarge;
      return Step::Fail;
    }
    frame.interlaced = (packed & 0x40) != 0;
    if ((packed & 0x80) != 0) {
      frame.paletteSize = 2 << (packed & 7);
      frame.paletteOffset = m_in.position();
      const std::size_t tableBytes = 3 * static_cast<std::size_t>(frame.paletteSize);
      if (!m_in.has(tableBytes)) {
        return Step::Cut;
      }
      m_in.skip(tableBytes);
    }
    if (!m_in.has(1)) {
      return Step::Cut;
    }
    frame.minCodeSize = m_in.byte();
    if (frame.minCodeSize < 1 || frame.minCodeSize > kMaxMinCodeSize) {
      m_error = ImageError::Corrupt;
      return Step::Fail;
    }
    frame.dataOffset = m_in.position();
    if (!m_in.skipSubBlocks(&frame.dataSize)) {
      return Step::Cut;
    }
    frame.disposal = m_control.disposal;
    frame.transparentIndex = m_control.transparentIndex;
    frame.delayCentiseconds = m_control.delayCentiseconds;
    m_control = GraphicControl{};
    m_file->frames.push_back(frame);
    return Step::Continue;
  }

  std::span<const uint8_t> m_bytes;
  ByteReader m_in;
  GifFile* m_file;
  const GifParseProgress& m_progress;
  GraphicControl m_control;
  ImageError m_error = ImageError::None;
};

}  // namespace

ImageResult parseGif(std::span<const uint8_t> bytes, GifFile* file,
                     const GifParseProgress& progress) {
  GifFile parsed;
  const ImageError result = Parser(bytes, &parsed, progress).run();
  if (result == ImageError::None) *file = std::move(parsed);
  return result;
}

}  // namespace image
