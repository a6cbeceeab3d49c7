#pragma once

#include <string>

namespace support {

// Decimal text of `value`, zero-padded on the left to at least `width`
// characters; a negative value keeps its '-' inside the width (7,5 -> "00007";
// -3,5 -> "-0003"); values needing more digits are never cut.
std::string FormatZeroPadded(int value, int width);

}  // namespace support
