#include "app/core/file_names.h"

#include "support/paths.h"
#include "support/text.h"

namespace core {
namespace {

constexpr int kFrameNumberDigits = 5;

std::string NumberedName(const std::string& gifPath, int index, const std::string& extension) {
  return support::GetBaseName(gifPath) + support::FormatZeroPadded(index, kFrameNumberDigits) +
         extension;
}

}  // namespace

std::string TempDirectory(const std::string& outputDirectory) {
  return SequenceFolder(outputDirectory) + "Temp/";
}

std::string TempFramePath(const std::string& outputDirectory, const std::string& gifPath,
                          int index) {
  return TempDirectory(outputDirectory) + NumberedName(gifPath, index, ".jpg");
}

std::string MoviePath(const std::string& outputDirectory, const std::string& gifPath) {
  return outputDirectory + support::GetBaseName(gifPath) + ".swf";
}

std::string SequenceFolder(const std::string& outputDirectory) {
  return outputDirectory + "quorvex/";
}

std::string SequenceFramePath(const std::string& outputDirectory, const std::string& gifPath,
                              int index, const std::string& extension) {
  return SequenceFolder(outputDirectory) + NumberedName(gifPath, index, extension);
}

}  // namespace core
