#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/image_error.h"

namespace image {

// Reads the whole file at `path` into `out`. False, `out` unchanged, with `error` FileOpen
// when it cannot be opened, FileRead when reading fails and Truncated when it is empty.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& out, ImageError& error);

}  // namespace image
