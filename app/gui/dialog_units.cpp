#include "app/gui/dialog_units.h"

#include <QFontMetrics>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <cstdint>

namespace gui {
namespace {

// value * numerator / denominator rounded to the nearest integer, halves away from
// zero, computed in 64 bits.
int ScaleRounded(int value, int numerator, int denominator) {
  const int64_t product = int64_t{value} * numerator;
  const int64_t half = denominator / 2;
  const int64_t rounded =
      product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
  return static_cast<int>(rounded);
}

}  // namespace

DialogUnits::DialogUnits(int baseWidthPx, int baseHeightPx)
    : m_baseWidth(std::max(1, baseWidthPx)), m_baseHeight(std::max(1, baseHeightPx)) {}

DialogUnits DialogUnits::FromFont(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  // The rounded mean of 52 advances: (sum / 26 + 1) / 2.
  return DialogUnits((letters / 26 + 1) / 2, metrics.height());
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
  const int left = ScaleRounded(x, m_baseWidth, 4);
  const int right = ScaleRounded(x + width, m_baseWidth, 4);
  const int top = ScaleRounded(y, m_baseHeight, 8);
  const int bottom = ScaleRounded(y + height, m_baseHeight, 8);
  return QRect(left, top, right - left, bottom - top);
}

QSize DialogUnits::ToPixels(int width, int height) const {
  return QSize(ScaleRounded(width, m_baseWidth, 4), ScaleRounded(height, m_baseHeight, 8));
}

QFont DialogFont(const char* face, int pointSize) {
  QFont font;
  // Liberation Sans and Arimo share Arial's metrics, the closest widely installed
  // match for the classic Windows dialog face.
  font.setFamilies(QStringList{QString::fromUtf8(face), QStringLiteral("Liberation Sans"),
                               QStringLiteral("Arimo"), QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(pointSize);
  return font;
}

DialogUnits UseDialogFont(QWidget& dialog, const char* face, int pointSize) {
  const QFont font = DialogFont(face, pointSize);
  dialog.setFont(font);
  return DialogUnits::FromFont(font);
}

}  // namespace gui
