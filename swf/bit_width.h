#pragma once

#include <cstdint>
#include <initializer_list>

// Field-width rules of the SWF bit-level records.
namespace swf {

// Bits needed to hold every value of a group written with one common signed width, chosen by
// magnitude: with m the largest |v|, the smallest n >= 0 with 2^n > m, plus a sign bit. A group of
// zeros (or an empty group) gives 1; {-4} gives 4, {1023} 11, {1024} 12, {INT32_MIN} 33.
unsigned signedWidth(std::initializer_list<std::int32_t> values);

// Bits of an index into a style list of `count` entries (index 0 means "no style"): the smallest
// n >= 0 with 2^n >= count + 1. 0 gives 0, 1 gives 1, 3 gives 2, 4 gives 3.
unsigned unsignedWidth(std::uint32_t count);

}  // namespace swf
