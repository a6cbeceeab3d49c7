#include "app/gui/data_files.h"

#include <QDir>
#include <QFileInfo>

#include "app/gui/local_path.h"
#include "support/paths.h"

namespace gui {

QStringList dataDirectories(const QString& appDirectory) {
  if (appDirectory.isEmpty()) return {};
  const QDir app(appDirectory);
  return {QDir::cleanPath(app.absolutePath()),
          QDir::cleanPath(app.absoluteFilePath(QStringLiteral(QUORVEX_DATA_DIR_FROM_BIN)))};
}

QStringList dataDirectories() { return dataDirectories(fromLocalPath(support::GetAppDirectory())); }

QString findDataFile(const QString& name, const QStringList& directories) {
  for (const QString& directory : directories) {
    const QFileInfo file(QDir(directory), name);
    if (file.isFile()) return file.absoluteFilePath();
  }
  return QString();
}

QString findHelpPage() { return findDataFile(QString::fromLatin1(kHelpPageName)); }

}  // namespace gui
