#include "image/gif/lzw_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace image {
namespace {

constexpr int kMaxCodeWidth = 12;
constexpr uint32_t kTableSize = 1u << kMaxCodeWidth;

// Little-endian 64-bit load from any address.
inline uint64_t loadLe64(const uint8_t* p) {
  uint64_t value = 0;
  std::memcpy(&value, p, sizeof value);
  if constexpr (std::endian::native == std::endian::big) {
    value = ((value & 0x00000000FFFFFFFFull) << 32) | (value >> 32);
    value = ((value & 0x0000FFFF0000FFFFull) << 16) | ((value >> 16) & 0x0000FFFF0000FFFFull);
    value = ((value & 0x00FF00FF00FF00FFull) << 8) | ((value >> 8) & 0x00FF00FF00FF00FFull);
  }
  return value;
}

// Every byte value, for the strings of literal codes, plus room for whole-chunk reads.
constexpr std::array<uint8_t, 256 + LzwDecoder::kOutputSlack> kAlphabet = [] {
  std::array<uint8_t, 256 + LzwDecoder::kOutputSlack> alphabet{};
  for (std::size_t i = 0; i < 256; ++i) {
    alphabet[i] = static_cast<uint8_t>(i);
  }
  return alphabet;
}();

inline void copy16(uint8_t* destination, const uint8_t* source) {
  uint8_t chunk[16];
  std::memcpy(chunk, source, 16);
  std::memcpy(destination, chunk, 16);
}

// Copies `count` (>= 1) bytes from kAlphabet or an earlier part of the output in 16-byte
// chunks. Requires source + count <= destination within the output (bytes the copy needs are
// never ones it writes) and 15 writable bytes after destination + count. Most strings of
// photographic images are short, so the first chunk is copied without a loop.
inline void copyEarlier(uint8_t* destination, const uint8_t* source, std::size_t count) {
  copy16(destination, source);
  for (std::size_t done = 16; done < count; done += 16) {
    copy16(destination + done, source + done);
  }
}

}  // namespace

void LzwDecoder::decode(std::span<const uint8_t> file, const GifFrame& frame, GifIndexBuffer& out) {
  gather(file, frame);
  run(frame.minCodeSize,
      static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height), out);
}

void LzwDecoder::decodeStream(std::span<const uint8_t> stream, int minCodeSize,
                              std::size_t pixelCount, GifIndexBuffer& out) {
  m_input.resize(stream.size() + 8);
  std::copy(stream.begin(), stream.end(), m_input.begin());
  std::fill(m_input.end() - 8, m_input.end(), uint8_t{0});
  m_inputBytes = stream.size();
  run(minCodeSize, pixelCount, out);
}

// Joins the sub-block payloads so that the code loop reads whole words without looking
// for block boundaries. ParseGif has checked that the chain lies inside `file`; the walk
// checks again so that a frame from another file cannot lead it astray.
void LzwDecoder::gather(std::span<const uint8_t> file, const GifFrame& frame) {
  m_input.resize(frame.dataSize + 8);
  std::size_t position = frame.dataOffset;
  std::size_t written = 0;
  while (position < file.size()) {
    const std::size_t length = file[position++];
    if (length == 0 || length > file.size() - position || length > frame.dataSize - written) {
      break;
    }
    std::memcpy(m_input.data() + written, file.data() + position, length);
    position += length;
    written += length;
  }
  std::fill(m_input.begin() + static_cast<std::ptrdiff_t>(written), m_input.end(), uint8_t{0});
  m_inputBytes = written;
}

void LzwDecoder::run(int minCodeSize, std::size_t pixelCount, GifIndexBuffer& out) {
  out.indices.resize(pixelCount + kOutputSlack);
  out.decodedPixels = 0;
  out.status = LzwStatus::Complete;
  if (pixelCount == 0) {
    return;
  }
  if (minCodeSize < 1 || minCodeSize > 8) {
    out.status = LzwStatus::Corrupt;
    return;
  }

  const uint32_t clearCode = 1u << minCodeSize;
  const uint32_t endCode = clearCode + 1;
  // Literal codes are one-byte strings of kAlphabet, so that they take the same path as
  // longer strings; the clear and end codes are marked by length 0.
  for (uint32_t code = 0; code < clearCode; ++code) {
    m_offset[code] = code;
    m_length[code] = 1;
  }
  m_length[clearCode] = 0;
  m_length[endCode] = 0;

  const uint8_t* const input = m_input.data();
  const uint64_t inputBits = static_cast<uint64_t>(m_inputBytes) * 8;
  uint8_t* const output = out.indices.data();

  uint64_t bitPosition = 0;
  int width = minCodeSize + 1;
  uint32_t mask = (1u << width) - 1;
  uint32_t nextCode = endCode + 1;
  std::size_t position = 0;        // next output pixel
  std::size_t previousStart = 0;   // where the previous code's string was written
  std::size_t previousLength = 0;  // 0: no previous code since the last clear
  LzwStatus status = LzwStatus::Short;

  for (;;) {
    if (bitPosition + static_cast<uint64_t>(width) > inputBits) {
      break;
    }
    const uint32_t code =
        static_cast<uint32_t>(loadLe64(input + (bitPosition >> 3)) >> (bitPosition & 7)) & mask;
    bitPosition += static_cast<uint64_t>(width);

    std::size_t length = 0;
    if (code < nextCode) {
      length = m_length[code];
      if (length == 0) {
        if (code == endCode) {
          break;
        }
        width = minCodeSize + 1;
        mask = (1u << width) - 1;
        nextCode = endCode + 1;
        previousLength = 0;
        continue;
      }
      const uint8_t* source = (code < clearCode ? kAlphabet.data() : output) + m_offset[code];
      if (length > pixelCount - position) {
        std::copy_n(source, pixelCount - position, output + position);
        position = pixelCount;
        status = LzwStatus::Complete;
        break;
      }
      copyEarlier(output + position, source, length);
    } else if (code == nextCode && previousLength != 0) {
      // The entry being defined by this very code: the previous string followed by its own
      // first byte.
      length = previousLength + 1;
      if (length > pixelCount - position) {
        for (std::size_t i = 0; position < pixelCount; ++i) {
          output[position++] = output[previousStart + i];
        }
        status = LzwStatus::Complete;
        break;
      }
      copyEarlier(output + position, output + previousStart, previousLength);
      output[position + previousLength] = output[previousStart];
    } else {
      status = LzwStatus::Corrupt;
      break;
    }

    if (previousLength != 0 && nextCode < kTableSize) {
      m_offset[nextCode] = static_cast<uint32_t>(previousStart);
      m_length[nextCode] = static_cast<uint16_t>(previousLength + 1);
      ++nextCode;
    }
    // Checked after every code, not only after a new entry, so that with a minimum code
    // size of 1 (end code + 1 == 4 already needs 3 bits) the width grows after the first
    // code, as giflib and the encoders that write such streams do.
    if (nextCode >= (1u << width) && width < kMaxCodeWidth) {
      ++width;
      mask = (1u << width) - 1;
    }
    previousStart = position;
    previousLength = length;
    position += length;
    if (position == pixelCount) {
      status = LzwStatus::Complete;
      break;
    }
  }
  out.decodedPixels = position;
  out.status = status;
}

}  // namespace image
