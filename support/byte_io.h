#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Byte-aligned little-endian fields, as the image formats and every SWF integer outside the
// bit-level records store them: the one reader and writer of such fields.
namespace support {

// Little-endian readers over a byte span; the caller guarantees offset + width <= size.
inline std::uint16_t readLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::uint32_t readLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

// Appends the low 16 bits of `value`, low byte first.
inline void appendLe16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFFU));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFU));
}

// Appends a 32-bit value, low byte first.
inline void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  appendLe16(out, value & 0xFFFFU);
  appendLe16(out, value >> 16);
}

// Appends bytes unchanged.
inline void appendBytes(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace support
