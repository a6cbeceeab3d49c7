#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "image/image_error.h"

namespace image {

// Reads the whole file at `path` into `out`. False, `out` unchanged, with `error` FileOpen
// when it cannot be opened, FileRead when reading fails and Truncated when it is empty.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& out, ImageError& error);

// Runs `writer` on a new temporary file name in the folder of `path` and, when it returns
// true, renames that file to `path` (replacing an existing file). On any failure the temporary
// file is removed and nothing appears at `path`; `error` is FileOpen when no temporary name
// can be created, FileWrite when the rename fails, and whatever `writer` set otherwise (it
// must set `error` when it returns false). For libraries that write files by name.
bool replaceFileAtomically(const std::string& path,
                           const std::function<bool(const std::string& tempPath)>& writer,
                           ImageError& error);

// Writes `bytes` to `path` through replaceFileAtomically. False, no file created, with
// `error` FileOpen or FileWrite.
bool writeFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                         ImageError& error);

}  // namespace image
