#include "swf/byte_writer.h"

namespace swf {

void appendU8(std::vector<std::uint8_t>& out, std::uint8_t value) { out.push_back(value); }

void appendU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFFU));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  appendU16(out, static_cast<std::uint16_t>(value & 0xFFFFU));
  appendU16(out, static_cast<std::uint16_t>(value >> 16));
}

void appendBytes(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace swf
