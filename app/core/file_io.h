#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "support/replacing_file.h"
#include "support/result.h"

namespace core {

using support::Status;

// Writes `bytes` as the file at `path`, replacing an earlier file whole or not at all (they go
// to a temporary file beside it, renamed over it when complete, flushed to disk first unless
// `durability` is Cached). Fails with the step, the path and the system's reason when the file
// cannot be written.
Status writeFileBytes(const std::string& path, std::span<const uint8_t> bytes,
                      support::Durability durability = support::Durability::Flushed);

// True when both paths name one existing file (the same device and inode), e.g. "a/x.swf" and
// "./a/x.swf", or a link and its file.
bool isSameFile(const std::string& first, const std::string& second);

// Success when writing `output` cannot replace the input `gifPath`; otherwise Refused with the
// sentence that refuses it.
Status checkNotInput(const std::string& output, const std::string& gifPath);

// support::ensureDirectory, then checks that a file can be created in `directory` (one is
// created and removed). Fails with the path and the system's reason when either fails; a folder
// this call created is then removed again.
Status ensureWritableDirectory(const std::string& directory);

}  // namespace core
