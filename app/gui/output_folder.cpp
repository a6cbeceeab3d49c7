#include "app/gui/output_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/gui/local_path.h"

namespace gui {

std::string defaultOutputDirectory() {
  const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
  QString folder = !videos.isEmpty() && QFileInfo(videos).isDir() ? videos : QDir::homePath();
  folder = QDir::fromNativeSeparators(folder);
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return toLocalPath(folder);
}

}  // namespace gui
