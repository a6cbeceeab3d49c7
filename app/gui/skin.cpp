#include "app/gui/skin.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>

#include "app/gui/data_files.h"

// The resources live in this static library; a static library's resource object is
// only linked when something calls its initialiser, which must sit outside every
// namespace.
static void RegisterProgramResources() { Q_INIT_RESOURCE(quorvex); }

namespace gui {
namespace {

constexpr char kSkinMagic[] = "USKN";
constexpr char kIconResource[] = ":/icons/128.png";

void EnsureResources() {
  static const bool registered = (RegisterProgramResources(), true);
  static_cast<void>(registered);
}

// A file or a resource (":/..."), whole; empty when it cannot be opened.
QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

}  // namespace

QByteArray ReadResource(const QString& path) {
  EnsureResources();
  return ReadAll(path);
}

QString SkinStyleSheet(const QByteArray& skinData, const QString& skinName) {
  if (!skinData.startsWith(kSkinMagic)) return QString();
  const qsizetype lineEnd = skinData.indexOf('\n');
  if (lineEnd < 0) return QString();
  // Header: magic, format version, skin name, separated by single spaces.
  const QList<QByteArray> header = skinData.left(lineEnd).trimmed().split(' ');
  if (header.size() != 3 || QString::fromUtf8(header[2]) != skinName) return QString();
  return QString::fromUtf8(skinData.mid(lineEnd + 1));
}

QString FindSkinStyleSheet(const QString& skinName, const QStringList& directories) {
  const QString skinFile = FindDataFile(skinName, directories);
  if (!skinFile.isEmpty()) {
    QString fromFile = SkinStyleSheet(ReadAll(skinFile), skinName);
    if (!fromFile.isEmpty()) return fromFile;
  }
  return SkinStyleSheet(ReadResource(QString::fromLatin1(kSkinResource)), skinName);
}

bool ApplySkin(const QString& skinName) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (app == nullptr) return false;
  const QString styleSheet = FindSkinStyleSheet(skinName, DataDirectories());
  if (styleSheet.isEmpty()) return false;
  // Fusion draws the same on every desktop, so the sheet meets one known base style.
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
    QApplication::setStyle(fusion);
  }
  app->setStyleSheet(styleSheet);
  return true;
}

QIcon AppIcon() {
  EnsureResources();
  return QIcon(QString::fromLatin1(kIconResource));
}

}  // namespace gui
