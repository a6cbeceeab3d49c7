#pragma once

#include <cstdio>
#include <string>

namespace cli {

// A one-line "name [#####-----] done/total" bar redrawn in place on a terminal. Disabled bars
// print nothing, so callers need not ask themselves whether output goes to a terminal.
class ProgressBar {
 public:
  // `stream` receives the bar when `enabled`; it must outlive the bar.
  ProgressBar(std::FILE* stream, bool enabled) : m_stream(stream), m_enabled(enabled) {}

  // Draws the bar for `label` at done of total frames; redraws only when the text changes.
  void update(const std::string& label, int done, int total);

  // Erases the bar's line, so that the next message starts on a clean line.
  void clear();

 private:
  std::FILE* m_stream;
  bool m_enabled;
  std::string m_shown;
};

// The bar's text without the carriage return: label, 30 cells of '#' and '-', and done/total.
// "a.gif [###############---------------] 5/10". A total below 1 shows an empty bar.
std::string formatProgress(const std::string& label, int done, int total);

}  // namespace cli
