#pragma once

#include <cstdint>
#include <vector>

namespace swf {

// Packs bit fields into a byte vector the SWF way: most significant bit first, each byte filled
// from its top bit, no gaps between fields. A record starts on a byte boundary and ends padded
// with zero bits; the writer pads when asked (`align`) and when it goes out of scope, so a record
// cannot leave a partial byte behind.
class BitWriter {
 public:
  // Appends to `out`, which must outlive the writer.
  explicit BitWriter(std::vector<std::uint8_t>& out);
  ~BitWriter();
  BitWriter(const BitWriter&) = delete;
  BitWriter& operator=(const BitWriter&) = delete;

  // Writes the low `width` bits of `value`; bits above 32 are zeros.
  void writeUBits(unsigned width, std::uint32_t value);

  // Writes the low `width` bits of `value` in two's complement; bits above 32 repeat the sign.
  void writeSBits(unsigned width, std::int32_t value);

  // Writes a single flag bit.
  void writeBit(bool flag);

  // Pads the current byte with zero bits and appends it; does nothing on a byte boundary.
  void align();

 private:
  void writeBits(unsigned width, std::uint64_t value);

  std::vector<std::uint8_t>& m_out;
  std::uint8_t m_pending = 0;
  unsigned m_pendingBits = 0;
};

}  // namespace swf
