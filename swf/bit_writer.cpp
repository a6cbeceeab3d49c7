#include "swf/bit_writer.h"

namespace swf {

BitWriter::BitWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

BitWriter::~BitWriter() { align(); }

void BitWriter::writeUBits(unsigned width, std::uint32_t value) { writeBits(width, value); }

void BitWriter::writeSBits(unsigned width, std::int32_t value) {
  writeBits(width, static_cast<std::uint64_t>(static_cast<std::int64_t>(value)));
}

void BitWriter::writeBit(bool flag) {
  m_pending =
      static_cast<std::uint8_t>((static_cast<unsigned>(m_pending) << 1U) | (flag ? 1U : 0U));
  if (++m_pendingBits == 8) {
    m_out.push_back(m_pending);
    m_pending = 0;
    m_pendingBits = 0;
  }
}

void BitWriter::align() {
  if (m_pendingBits == 0) return;
  m_out.push_back(static_cast<std::uint8_t>(m_pending << (8 - m_pendingBits)));
  m_pending = 0;
  m_pendingBits = 0;
}

void BitWriter::writeBits(unsigned width, std::uint64_t value) {
  for (unsigned bit = width < 64 ? width : 64; bit > 0; --bit) {
    writeBit(((value >> (bit - 1)) & 1U) != 0);
  }
}

}  // namespace swf
