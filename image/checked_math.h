#pragma once

#include <cstddef>
#include <limits>

namespace image {

// Sets `result` to a * b and returns true, or returns false (leaving `result` alone) when the
// product does not fit in size_t. Every width x height x bytes product in the image layer goes
// through this before anything is allocated or indexed with it.
inline bool checkedMul(std::size_t a, std::size_t b, std::size_t& result) {
  if (a != 0 && b > std::numeric_limits<std::size_t>::max() / a) {
    return false;
  }
  result = a * b;
  return true;
}

// Sets `result` to a + b and returns true, or returns false (leaving `result` alone) on overflow.
inline bool checkedAdd(std::size_t a, std::size_t b, std::size_t& result) {
  if (b > std::numeric_limits<std::size_t>::max() - a) {
    return false;
  }
  result = a + b;
  return true;
}

}  // namespace image
