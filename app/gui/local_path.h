#pragma once

#include <QFile>
#include <QString>
#include <string>

namespace gui {

// A path from a widget or dialog as the file-system bytes the core libraries take.
inline std::string toLocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// File-system bytes of a path as text for a widget or message.
inline QString fromLocalPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace gui
