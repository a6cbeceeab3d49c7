#include "app/gui/skin.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>

#include "app/gui/data_files.h"

// The resources live in this static library; a static library's resource object is
// only linked when something calls its initialiser, which must sit outside every
// namespace.
static void registerProgramResources() { Q_INIT_RESOURCE(quorvex); }

namespace gui {
namespace {

constexpr char kSkinMagic[] = "USKN";
constexpr char kIconResource[] = ":/icons/128.png";

void ensureResources() {
  static const bool registered = (registerProgramResources(), true);
  static_cast<void>(registered);
}

// A file or a resource (":/..."), whole; empty when it cannot be opened.
QByteArray readAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

}  // namespace

QByteArray readResource(const QString& path) {
  ensureResources();
  return readAll(path);
}

QString skinStyleSheet(const QByteArray& skinData, const QString& skinName) {
  if (!skinData.startsWith(kSkinMagic)) return QString();
  const qsizetype lineEnd = skinData.indexOf('\n');
  if (lineEnd < 0) return QString();
  // Header: magic, format version, skin name, separated by single spaces.
  const QList<QByteArray> header = skinData.left(lineEnd).trimmed().split(' ');
  if (header.size() != 3 || QString::fromUtf8(header[2]) != skinName) return QString();
  return QString::fromUtf8(skinData.mid(lineEnd + 1));
}

QString findSkinStyleSheet(const QString& skinName, const QStringList& directories) {
  const QString skinFile = findDataFile(skinName, directories);
  if (!skinFile.isEmpty()) {
    QString fromFile = skinStyleSheet(readAll(skinFile), skinName);
    if (!fromFile.isEmpty()) return fromFile;
  }
  return skinStyleSheet(readResource(QString::fromLatin1(kSkinResource)), skinName);
}

bool applySkin(const QString& skinName) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (app == nullptr) return false;
  const QString styleSheet = findSkinStyleSheet(skinName, dataDirectories());
  if (styleSheet.isEmpty()) return false;
  // Fusion draws the same on every desktop, so the sheet meets one known base style.
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
    QApplication::setStyle(fusion);
  }
  app->setStyleSheet(styleSheet);
  return true;
}

QIcon appIcon() {
  ensureResources();
  return QIcon(QString::fromLatin1(kIconResource));
}

}  // namespace gui
