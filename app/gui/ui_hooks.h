#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace gui {

// A file chosen in a save dialog, with the 1-based index of the filter that was
// selected and whether the typed file name carried an extension of its own.
struct SaveChoice {
  QString path;
  int filterIndex = 1;
  bool typedExtension = false;
};

// Every place where the window waits for the user or hands work to the desktop.
// The defaults show the real dialogs; tests replace members to answer without
// blocking and to read the exact texts shown.
struct UiHooks {
  // Modal message box with an OK button and no caption of its own.
  std::function<void(QWidget* parent, const QString& text)> showMessage;
  // Open dialog for one GIF; nullopt when cancelled.
  std::function<std::optional<QString>(QWidget* parent)> chooseGifFile;
  // Save dialog for one image, offering `filters` (Qt filter strings, in order).
  std::function<std::optional<SaveChoice>(QWidget* parent, const QStringList& filters)>
      chooseSavePath;
  // Folder chooser titled `title`; nullopt when cancelled.
  std::function<std::optional<QString>(QWidget* parent, const QString& title)> chooseDirectory;
  // Hands a local file or web address to the desktop's opener; false when it refused.
  std::function<bool(const QString& target)> openExternal;
};

// The process-wide hooks, set to the real dialogs on first use.
UiHooks& uiHooks();

// Puts the real dialogs back (tests call this between cases).
void resetHooks();

}  // namespace gui
