#include "support/text.h"

#include <cstdio>

namespace support {

std::string FormatZeroPadded(int value, int width) {
  // The sign and at most ten digits, plus whatever padding the width asks for.
  std::string text(static_cast<std::size_t>(width > 0 ? width : 0) + 12, '\0');
  const int written = std::snprintf(text.data(), text.size(), "%0*d", width, value);
  text.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return text;
}

}  // namespace support
