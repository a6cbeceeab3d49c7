#include "swf/bit_width.h"

#include <algorithm>
#include <cstdlib>

namespace swf {
namespace {

// The smallest n >= 0 with 2^n > magnitude.
unsigned bitsAbove(std::uint64_t magnitude) {
  unsigned n = 0;
  while ((std::uint64_t{1} << n) <= magnitude) ++n;
  return n;
}

}  // namespace

unsigned signedWidth(std::initializer_list<std::int32_t> values) {
  std::uint64_t largest = 0;
  for (const std::int32_t value : values) {
    largest = std::max(largest, static_cast<std::uint64_t>(std::llabs(value)));
  }
  return bitsAbove(largest) + 1;
}

unsigned unsignedWidth(std::uint32_t count) { return bitsAbove(count); }

}  // namespace swf
