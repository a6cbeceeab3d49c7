#pragma once

// Test-side reading of compressed movies: a "CWS" file's zlib stream inflated with zlib itself,
// so that the tag walker can read what the writer compressed.

#include <zlib.h>

#include <cstdint>
#include <span>
#include <vector>

namespace testutil {

// The uncompressed movie ("FWS", its version kept) that a "CWS" movie holds; empty when `data`
// is not a CWS movie or its stream does not inflate to exactly FileLength - 8 bytes.
inline std::vector<std::uint8_t> inflateCws(std::span<const std::uint8_t> data) {
  if (data.size() < 8 || data[0] != 'C' || data[1] != 'W' || data[2] != 'S') return {};
  const uLong length =
      uLong{data[4]} | uLong{data[5]} << 8 | uLong{data[6]} << 16 | uLong{data[7]} << 24;
  if (length < 8) return {};
  std::vector<std::uint8_t> movie(data.begin(), data.begin() + 8);
  movie[0] = 'F';
  movie.resize(length);
  uLongf inflated = length - 8;
  uLong consumed = data.size() - 8;
  if (uncompress2(movie.data() + 8, &inflated, data.data() + 8, &consumed) != Z_OK ||
      inflated != length - 8 || consumed != data.size() - 8) {
    return {};
  }
  return movie;
}

}  // namespace testutil
