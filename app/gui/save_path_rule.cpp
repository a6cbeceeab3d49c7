#include "app/gui/save_path_rule.h"

#include <array>

namespace gui {
namespace {

struct SaveFilter {
  const char* filter;
  const char* extension;
};

constexpr std::array<SaveFilter, 5> kSaveFilters{{
    {"BMP File (*.bmp)", "bmp"},
    {"GIF File (*.gif)", "gif"},
    {"JPEG File (*.jpg *.jpeg)", "jpg"},
    {"PNG Files (*.png)", "png"},
    {"TIFF Files (*.tif *.tiff)", "tif"},
}};

}  // namespace

QStringList imageSaveFilters() {
  QStringList filters;
  for (const SaveFilter& entry : kSaveFilters) filters << QString::fromLatin1(entry.filter);
  return filters;
}

QString imageSavePath(const QString& chosenPath, int filterIndex, bool typedExtension) {
  const bool knownFilter = filterIndex >= 1 && filterIndex <= static_cast<int>(kSaveFilters.size());
  if (!knownFilter || typedExtension || chosenPath.contains('.')) return chosenPath;
  return chosenPath + '.' +
         QString::fromLatin1(kSaveFilters[static_cast<std::size_t>(filterIndex - 1)].extension);
}

}  // namespace gui
