#include "swf/tag_header.h"

#include <cassert>
#include <limits>

#include "support/byte_io.h"

namespace swf {

void writeTagHeader(std::vector<std::uint8_t>& out, TagCode code, std::uint32_t bodyLength) {
  const auto codeBits =
      static_cast<std::uint16_t>(static_cast<std::uint16_t>(code) << kTagCodeShift);
  if (tagHeaderForm(code) == TagHeaderForm::Short) {
    assert(bodyLength <= kMaxShortLength);
    support::appendLe16(out,
                        static_cast<std::uint16_t>(codeBits | (bodyLength & kLongLengthMarker)));
    return;
  }
  support::appendLe16(out, longTagHeaderWord(code));
  support::appendLe32(out, bodyLength);
}

bool appendTag(std::vector<std::uint8_t>& out, TagCode code, std::span<const std::uint8_t> body) {
  if (body.size() > std::numeric_limits<std::uint32_t>::max()) return false;
  writeTagHeader(out, code, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return true;
}

}  // namespace swf
