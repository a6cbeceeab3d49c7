#pragma once

#include <QApplication>
#include <QStringList>

namespace gui {

class CMainDialog;

// A file given by the desktop ("Open With") or on the command line: `arguments[1]`,
// when there is one, is opened in `dialog` as a GIF once its event loop runs.
// `arguments` are the program's, its name first.
void openFileArgument(CMainDialog& dialog, const QStringList& arguments);

// The application object: themes the process, runs the main window modally and
// ends the program when that window closes. Temporary frame files are left on disk
// and nothing is saved at exit.
class CConverterApp : public QApplication {
  Q_OBJECT

 public:
  CConverterApp(int& argc, char** argv);

  // Start-up and the whole run: applies the skin "tamsel.u3" before any window
  // exists, then creates the main window without a parent, runs it modally and
  // destroys it; the first command-line argument, if any, is opened as a GIF once
  // the window runs. Returns the program's exit status, 0 however the window closed.
  int initInstance();

  // The main window while InitInstance runs it; null before and after.
  CMainDialog* mainWindow() const { return m_pMainWnd; }

 private:
  CMainDialog* m_pMainWnd = nullptr;
};

}  // namespace gui
