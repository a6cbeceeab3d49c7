#include "swf/bit_writer.h"

namespace swf {

BitWriter::BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

BitWriter::~BitWriter() { align(); }

void BitWriter::writeUBits(unsigned width, std::uint32_t value) { writeBits(width, value); }

void BitWriter::writeSBits(unsigned width, std::int32_t value) {
  writeBits(width, static_cast<std::uint64_t>(static_cast<std::int64_t>(value)));
}

void BitWriter::writeBit(bool flag) {
  pending_ = static_cast<std::uint8_t>((static_cast<unsigned>(pending_) << 1U) | (flag ? 1U : 0U));
  if (++pendingBits_ == 8) {
    out_.push_back(pending_);
    pending_ = 0;
    pendingBits_ = 0;
  }
}

void BitWriter::align() {
  if (pendingBits_ == 0) return;
  out_.push_back(static_cast<std::uint8_t>(pending_ << (8 - pendingBits_)));
  pending_ = 0;
  pendingBits_ = 0;
}

void BitWriter::writeBits(unsigned width, std::uint64_t value) {
  for (unsigned bit = width < 64 ? width : 64; bit > 0; --bit) {
    writeBit(((value >> (bit - 1)) & 1U) != 0);
  }
}

}  // namespace swf
