#pragma once

#include <QString>
#include <QStringList>

namespace gui {

// The save-image dialog's filters as Qt name filters, in the order whose 1-based
// position is the filter index: BMP, GIF, JPEG, PNG, TIFF.
QStringList imageSaveFilters();

// The path a chosen single-frame image is saved under. When `chosenPath` has no
// '.' anywhere and the typed name had no extension of its own
// (`typedExtension` false), "." and the extension of filter `filterIndex`
// (1 "bmp", 2 "gif", 3 "jpg", 4 "png", 5 "tif") are appended; otherwise, and for
// an index outside 1..5, the path is returned unchanged. A '.' in a folder name
// therefore also keeps the path unchanged.
QString imageSavePath(const QString& chosenPath, int filterIndex, bool typedExtension);

}  // namespace gui
