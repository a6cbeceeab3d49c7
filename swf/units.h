#pragma once

#include <cstdint>

#include "swf/swf_constants.h"

// Conversions from the float values callers pass in to the integers the SWF records store.
// Every conversion truncates toward zero, as the format's authoring tools do, and saturates
// instead of overflowing: NaN becomes 0.
namespace swf {

// Largest magnitude of a field in a record whose width lives in 5 bits (31 signed bits).
inline constexpr std::int32_t kMaxFieldMagnitude = (1 << (kMaxRecordFieldWidth - 1)) - 1;

// Largest magnitude of a CXFORMWITHALPHA term, whose width lives in 4 bits (15 signed bits).
inline constexpr std::int32_t kMaxColorTermMagnitude =
    (1 << (kMaxColorTransformFieldWidth - 1)) - 1;

// Pixels to twips: trunc(pixels * 20), clamped to +-kMaxFieldMagnitude.
std::int32_t twipsFromPixels(float pixels);

// A scale or rotate term to 16.16 fixed point: trunc(value * 65536), clamped to
// +-kMaxFieldMagnitude (scales beyond +-16383.99 saturate).
std::int32_t fixed16FromFloat(float value);

// A colour multiply term to 8.8 fixed point: trunc(value * 256), clamped to
// +-kMaxColorTermMagnitude.
std::int32_t fixed8FromFloat(float value);

// A colour add term: trunc(value), clamped to +-kMaxColorTermMagnitude.
std::int32_t colorAddFromFloat(float value);

}  // namespace swf
