#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <optional>

#include "app/gui/ui_hooks.h"

namespace gui_test {

// The path of a test file under tests/data/gui.
inline QString guiData(const QString& name) {
  return QStringLiteral(QUORVEX_TEST_DATA_DIR "/gui/") + name;
}

// 12 frames of 5 x 3 pixels, each filled with a colour of its own.
inline const QString kTwelveFrames = guiData("controls/twelve_frames.gif");

inline QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline uint32_t le32(const QByteArray& bytes, int offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

// Answers every dialog from queues and records every message, so no test ever
// blocks on a modal dialog. Installed for its lifetime.
class ScriptedHooks {
 public:
  ScriptedHooks() {
    gui::UiHooks& hooks = gui::uiHooks();
    hooks.showMessage = [this](QWidget*, const QString& text) { messages << text; };
    hooks.chooseGifFile = [this](QWidget*) { return next(gifFiles); };
    hooks.chooseDirectory = [this](QWidget*, const QString& title) {
      directoryTitles << title;
      return next(directories);
    };
    hooks.chooseSavePath = [this](QWidget*, const QStringList& filters) {
      saveFilters = filters;
      return next(savePaths);
    };
    hooks.openExternal = [this](const QString& target) {
      opened << target;
      return openResult;
    };
  }
  ~ScriptedHooks() { gui::resetHooks(); }
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
  static std::optional<T> next(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) return std::nullopt;
    const std::optional<T> answer = queue.front();
    queue.pop_front();
    if (!answer) return std::nullopt;
    return *answer;
  }
};

}  // namespace gui_test
