#pragma once

#include <string>

#include "support/result.h"

namespace support {

// The folder holding the running executable, '/'-separated and ending in '/'.
// Computed on the first call and cached for the life of the process; empty when
// the platform cannot tell the executable's path.
std::string GetAppDirectory();

// True only when `path` exists and is a directory (a regular file gives false).
bool DirectoryExists(const std::string& path);

// Creates the directory named by a '/'-separated path, creating missing parents
// first. Returns true only when this call created the last directory of the path:
// for "a/b/" the parent "a/b" is created and the final mkdir of "a/b/" then fails,
// so callers that pass a trailing '/' rely on the directory existing afterwards,
// not on the result. A parent that is a filesystem root ("/", "C:", "C:/") counts
// as present; a path without any '/' creates nothing and returns false.
bool CreateDirectoryTree(const std::string& path);

// Makes sure the directory `path` ('/'-separated, with or without a trailing '/') exists,
// creating missing parents as CreateDirectoryTree does (a root such as "/" or "C:" counts as
// present). Fails (Write) with "cannot create directory <path>: <reason>" when a level cannot
// be created or a file is in the way ("Not a directory").
Status ensureDirectory(const std::string& path);

// The file name of `path` (after the last '\\' or '/', whichever comes later) cut
// before its last '.'. "C:\\Pics\\walk.old.gif" -> "walk.old"; "dir/" -> "".
std::string GetBaseName(const std::string& path);

// `directory` ending in '/', the form the output paths are built from; "" is "./".
std::string withTrailingSlash(std::string directory);

}  // namespace support
