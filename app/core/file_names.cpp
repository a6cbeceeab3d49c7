#include "app/core/file_names.h"

#include "support/paths.h"
#include "support/text.h"

namespace core {
namespace {

constexpr int kFrameNumberDigits = 5;

std::string numberedName(const std::string& gifPath, int index, const std::string& extension) {
  return support::GetBaseName(gifPath) + support::FormatZeroPadded(index, kFrameNumberDigits) +
         extension;
}

}  // namespace

std::string TempDirectory(const std::string& outputDirectory) {
  return sequenceFolder(outputDirectory) + "Temp/";
}

std::string tempFramePath(const std::string& outputDirectory, const std::string& gifPath,
                          int index) {
  return TempDirectory(outputDirectory) + numberedName(gifPath, index, ".jpg");
}

std::string moviePath(const std::string& outputDirectory, const std::string& gifPath) {
  return outputDirectory + support::GetBaseName(gifPath) + ".swf";
}

std::string sequenceFolder(const std::string& outputDirectory) {
  return outputDirectory + "quorvex/";
}

std::string sequenceFramePath(const std::string& outputDirectory, const std::string& gifPath,
                              int index, const std::string& extension) {
  return sequenceFolder(outputDirectory) + numberedName(gifPath, index, extension);
}

}  // namespace core
