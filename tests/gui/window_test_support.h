#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

#include "app/gui/ui_hooks.h"

namespace gui_test {

// The path of a test GIF under tests/data/gui.
inline QString GuiData(const char* name) {
  return QStringLiteral(QUORVEX_TEST_DATA_DIR "/gui/") + QString::fromLatin1(name);
}

// Answers every dialog of the window from queues and records every message, so no
// test ever blocks on a modal dialog. Installed for its lifetime.
class ScriptedHooks {
 public:
  ScriptedHooks() {
    gui::UiHooks& hooks = gui::Hooks();
    hooks.showMessage = [this](QWidget*, const QString& text) { messages << text; };
    hooks.chooseGifFile = [this](QWidget*) { return Next(gifFiles); };
    hooks.chooseDirectory = [this](QWidget*, const QString& title) {
      directoryTitles << title;
      return Next(directories);
    };
    hooks.chooseSavePath = [this](QWidget*, const QStringList& filters) {
      saveFilters = filters;
      return Next(savePaths);
    };
    hooks.openExternal = [this](const QString& target) {
      opened << target;
      return openResult;
    };
  }
  ~ScriptedHooks() { gui::ResetHooks(); }
  ScriptedHooks(const ScriptedHooks&) = delete;
  ScriptedHooks& operator=(const ScriptedHooks&) = delete;

  QStringList messages;
  QStringList directoryTitles;
  QStringList saveFilters;
  QStringList opened;
  bool openResult = false;
  // Answers in order; an empty queue answers "cancelled".
  std::deque<std::optional<QString>> gifFiles;
  std::deque<std::optional<QString>> directories;
  std::deque<std::optional<gui::SaveChoice>> savePaths;

 private:
  template <typename T>
  static std::optional<T> Next(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) return std::nullopt;
    std::optional<T> answer = queue.front();
    queue.pop_front();
    return answer;
  }
};

}  // namespace gui_test
