#pragma once

#include <string>

namespace core {

// Names of every file a conversion reads or writes. Output directories are '/'-separated and end
// in '/'; the GIF's base name is support::GetBaseName of its path (folders removed, cut before
// the last '.'), and frame numbers are decimal, zero-padded to at least five digits.

// The temporary frame folder: outputDirectory + "quorvex/Temp/".
std::string TempDirectory(const std::string& outputDirectory);

// The JPEG file of frame `index` (0-based): TempDirectory + base + number + ".jpg".
// "C:/out/", "D:\\clips\\cat.walk.gif", 7 -> "C:/out/quorvex/Temp/cat.walk00007.jpg".
std::string tempFramePath(const std::string& outputDirectory, const std::string& gifPath,
                          int index);

// The movie: outputDirectory + base + ".swf".
std::string moviePath(const std::string& outputDirectory, const std::string& gifPath);

// The folder of exported sequences: outputDirectory + "quorvex/".
std::string sequenceFolder(const std::string& outputDirectory);

// A file of an exported sequence: outputDirectory + "quorvex/" + base + number + extension, the
// extension given with its dot (".bmp", ".tga").
std::string sequenceFramePath(const std::string& outputDirectory, const std::string& gifPath,
                              int index, const std::string& extension);

}  // namespace core
