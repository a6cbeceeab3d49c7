#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/image_error.h"
#include "support/read_file.h"
#include "support/replacing_file.h"

namespace core {

// "<what> <path>: <strerror(errorNumber)>", e.g. "cannot open /x/a.jpg: No such file or
// directory". The one format of every file-system failure the core reports.
std::string SystemErrorText(const std::string& what, const std::string& path, int errorNumber);

// "cannot open <path>: <reason>" or "cannot read <path>: <reason>" for a failed read; for a path
// that is no regular file "cannot read <path>: it is a FIFO, not a regular file".
std::string ReadErrorText(const std::string& path, const support::ReadResult& read);

// Reads the whole file into `bytes`. False, with `error` set by SystemErrorText and `bytes`
// emptied, when the file cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string* error);

// Writes `bytes` as the file at `path`, replacing an earlier file whole or not at all (they go
// to a temporary file beside it, renamed over it when complete, flushed to disk first unless
// `durability` is kCached). False, with the step, the path and the system's reason in `error`
// (when given), when the file cannot be written.
bool WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes, std::string* error,
                    support::Durability durability = support::Durability::kFlushed);

// True when both paths name one existing file (the same device and inode), e.g. "a/x.swf" and
// "./a/x.swf", or a link and its file.
bool IsSameFile(const std::string& first, const std::string& second);

// Empty when writing `output` cannot replace the input `gifPath`; otherwise the sentence that
// refuses it.
std::string CheckNotInput(const std::string& output, const std::string& gifPath);

// Makes sure `directory` exists, creating missing parents. False, with the reason in `error`,
// when it cannot be created or a file of that name is in the way.
bool EnsureDirectory(const std::string& directory, std::string* error);

// EnsureDirectory, then checks that a file can be created in `directory` (one is created and
// removed). False, with the path and the system's reason in `error` (when given), when either
// fails; a folder this call created is then removed again.
bool EnsureWritableDirectory(const std::string& directory, std::string* error);

// The reason an image Save to `path` failed: the system's reason for the file errors (from
// `errorNumber`, the errno seen right after the failing call, when it is set), the image
// layer's description otherwise. Prefixed "cannot write <path>: ".
std::string SaveErrorText(const std::string& path, image::ImageError error, int errorNumber);

}  // namespace core
