#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace swf {

// How hard appendZlib works: Fast for data that compresses poorly anyway (dithered and
// photo-like pictures, where more effort gains a few percent), Small for data that compresses
// well (flat colours, alpha planes), where it pays.
enum class ZlibEffort { Fast, Small };

// Appends `bytes` to `out` as one zlib stream (RFC 1950), the form of the compressed bitmap data
// of DefineBitsLossless and of a JPEG3 alpha plane. The same bytes and effort always give the
// same stream on one machine. False, appending nothing, when no compressor can be had (out of
// memory).
bool appendZlib(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes,
                ZlibEffort effort);

}  // namespace swf
