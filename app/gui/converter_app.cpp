#include "app/gui/converter_app.h"

#include "app/gui/main_dialog.h"
#include "app/gui/skin.h"

namespace gui {

CConverterApp::CConverterApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Quorvex"));
  setApplicationVersion(QStringLiteral("1.0"));
}

int CConverterApp::InitInstance() {
  // A skin that cannot be applied leaves the default look; start-up goes on.
  ApplySkin(QString::fromLatin1(kSkinName));
  CMainDialog dialog;
  m_pMainWnd = &dialog;
  dialog.exec();
  m_pMainWnd = nullptr;
  return 0;
}

}  // namespace gui
