#include "cli/progress_bar.h"

#include <algorithm>

namespace cli {
namespace {

constexpr int kCells = 30;

}  // namespace

std::string formatProgress(const std::string& label, int done, int total) {
  const int clamped = std::clamp(done, 0, std::max(total, 0));
  const int filled =
      total < 1 ? 0 : static_cast<int>(static_cast<long long>(clamped) * kCells / total);
  return label + " [" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(kCells - filled), '-') + "] " + std::to_string(done) +
         "/" + std::to_string(total);
}

void ProgressBar::update(const std::string& label, int done, int total) {
  if (!m_enabled) return;
  std::string text = formatProgress(label, done, total);
  if (text == m_shown) return;
  std::fprintf(m_stream, "\r%s\033[K", text.c_str());
  std::fflush(m_stream);
  m_shown = std::move(text);
}

void ProgressBar::clear() {
  if (!m_enabled || m_shown.empty()) return;
  std::fputs("\r\033[K", m_stream);
  std::fflush(m_stream);
  m_shown.clear();
}

}  // namespace cli
