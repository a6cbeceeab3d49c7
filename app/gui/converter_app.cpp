#include "app/gui/converter_app.h"

#include <QMetaObject>
#include <QStringList>

#include "app/gui/main_dialog.h"
#include "app/gui/skin.h"

namespace gui {

void openFileArgument(CMainDialog& dialog, const QStringList& arguments) {
  if (arguments.size() < 2) return;
  QMetaObject::invokeMethod(
      &dialog, [&dialog, file = arguments[1]] { dialog.openGif(file); }, Qt::QueuedConnection);
}

CConverterApp::CConverterApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Quorvex"));
  setApplicationVersion(QStringLiteral("1.0"));
}

int CConverterApp::initInstance() {
  // A skin that cannot be applied leaves the default look; start-up goes on.
  applySkin(QString::fromLatin1(kSkinName));
  CMainDialog dialog;
  m_pMainWnd = &dialog;
  openFileArgument(dialog, arguments());
  dialog.exec();
  m_pMainWnd = nullptr;
  return 0;
}

}  // namespace gui
