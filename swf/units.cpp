#include "swf/units.h"

#include <cmath>

namespace swf {
namespace {

std::int32_t truncateClamped(float value, std::int32_t limit) {
  if (std::isnan(value)) return 0;
  const double truncated = std::trunc(static_cast<double>(value));
  if (truncated > static_cast<double>(limit)) return limit;
  if (truncated < -static_cast<double>(limit)) return -limit;
  return static_cast<std::int32_t>(truncated);
}

}  // namespace

// The products are formed in float, as the callers' 32-bit inputs are, so that a value such as
// 0.01 pixel truncates the same way a float-based writer would truncate it.
std::int32_t twipsFromPixels(float pixels) {
  return truncateClamped(pixels * kTwipsPerPixel, kMaxFieldMagnitude);
}

std::int32_t fixed16FromFloat(float value) {
  return truncateClamped(value * kFixed16One, kMaxFieldMagnitude);
}

std::int32_t fixed8FromFloat(float value) {
  return truncateClamped(value * kFixed8One, kMaxColorTermMagnitude);
}

std::int32_t colorAddFromFloat(float value) {
  return truncateClamped(value, kMaxColorTermMagnitude);
}

}  // namespace swf
