#pragma once

#include <QApplication>

namespace gui {

class CMainDialog;

// The application object: themes the process, runs the main window modally and
// ends the program when that window closes. Temporary frame files are left on disk
// and nothing is saved at exit.
class CConverterApp : public QApplication {
  Q_OBJECT

 public:
  CConverterApp(int& argc, char** argv);

  // Start-up and the whole run: applies the skin "tamsel.u3" before any window
  // exists, then creates the main window without a parent, runs it modally and
  // destroys it. Returns the program's exit status, 0 however the window closed.
  int InitInstance();

  // The main window while InitInstance runs it; null before and after.
  CMainDialog* mainWindow() const { return m_pMainWnd; }

 private:
  CMainDialog* m_pMainWnd = nullptr;
};

}  // namespace gui
