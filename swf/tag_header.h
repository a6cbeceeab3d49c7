#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "swf/swf_constants.h"

namespace swf {

// Appends the header of a tag whose body is `bodyLength` bytes, in the form fixed for its code:
//   short (End, ShowFrame, SetBackgroundColor): u16 code * 64 + length     (length <= 62)
//   long  (every other tag):                    u16 code * 64 + 0x3F, u32 length
// A short-form body longer than 62 bytes is a programming error (asserted).
void writeTagHeader(std::vector<std::uint8_t>& out, TagCode code, std::uint32_t bodyLength);

// Appends a complete tag: its header and then `body` unchanged. Returns false, appending nothing,
// when the body does not fit the 32-bit length field.
bool appendTag(std::vector<std::uint8_t>& out, TagCode code, std::span<const std::uint8_t> body);

}  // namespace swf
