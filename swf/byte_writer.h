#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Byte-aligned little-endian fields, as every SWF integer outside the bit-level records is stored.
namespace swf {

// Appends one byte.
void appendU8(std::vector<std::uint8_t>& out, std::uint8_t value);

// Appends a 16-bit value, low byte first.
void appendU16(std::vector<std::uint8_t>& out, std::uint16_t value);

// Appends a 32-bit value, low byte first.
void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value);

// Appends bytes unchanged.
void appendBytes(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes);

}  // namespace swf
