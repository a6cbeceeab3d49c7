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
int scaleRounded(int value, int numerator, int denominator) {
  const int64_t product = int64_t{value} * numerator;
  const int64_t half = denominator / 2;
  const int64_t rounded =
      product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
  return static_cast<int>(rounded);
}

}  // namespace

DialogUnits::DialogUnits(int baseWidthPx, int baseHeightPx)
    : m_baseWidth(std::max(1, baseWidthPx)), m_baseHeight(std::max(1, baseHeightPx)) {}

DialogUnits DialogUnits::fromFont(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  // The rounded mean of 52 advances: (sum / 26 + 1) / 2.
  return DialogUnits((letters / 26 + 1) / 2, metrics.height());
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const {
  const int left = scaleRounded(x, m_baseWidth, 4);
  const int right = scaleRounded(x + width, m_baseWidth, 4);
  const int top = scaleRounded(y, m_baseHeight, 8);
  const int bottom = scaleRounded(y + height, m_baseHeight, 8);
  return QRect(left, top, right - left, bottom - top);
}

QSize DialogUnits::toPixels(int width, int height) const {
  return QSize(scaleRounded(width, m_baseWidth, 4), scaleRounded(height, m_baseHeight, 8));
}

QFont dialogFont(const char* face, int pointSize) {
  QFont font;
  // Liberation Sans and Arimo share Arial's metrics, the closest widely installed
  // match for the classic Windows dialog face.
  font.setFamilies(QStringList{QString::fromUtf8(face), QStringLiteral("Liberation Sans"),
                               QStringLiteral("Arimo"), QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(pointSize);
  return font;
}

DialogUnits useDialogFont(QWidget& dialog, const char* face, int pointSize) {
  const QFont font = dialogFont(face, pointSize);
  dialog.setFont(font);
  return DialogUnits::fromFont(font);
}

}  // namespace gui
