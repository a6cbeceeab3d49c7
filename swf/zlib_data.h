#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace swf {

// Appends `bytes` to `out` as one zlib stream (RFC 1950), the form of the compressed bitmap data
// of DefineBitsLossless and of a JPEG3 alpha plane. `level` is the compression level, 1 (fastest)
// to 12 (smallest); the same bytes and level always give the same stream. False, appending
// nothing, when no compressor can be had (out of memory).
bool appendZlib(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes, int level);

}  // namespace swf
