#include "app/gui/styled_label.h"

#include <QMouseEvent>
#include <QPainter>

namespace gui {

const QString& CStyledLabel::simSunFace() {
  static const QString face = QString::fromUtf8("\u5B8B\u4F53");
  return face;
}

CStyledLabel::CStyledLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void CStyledLabel::SetTextFont(const QString& face, int height, const QColor& colour, int style) {
  m_faceName = face;
  m_fontHeight = height;
  m_textColour = colour;
  switch (style) {
    case 1:
      m_bold = true;
      break;
    case 2:
      m_italic = true;
      break;
    case 3:
      m_underline = true;
      break;
    case 4:
      m_strikeOut = true;
      break;
    case 5:
      m_smooth = true;
      break;
    default:
      m_bold = m_italic = m_underline = m_strikeOut = m_smooth = false;
      m_alignment = Qt::AlignHCenter;
      break;
  }
  update();
}

void CStyledLabel::SetTextColour(int red, int green, int blue) {
  m_textColour = QColor(red, green, blue);
  update();
}

QFont CStyledLabel::paintFont() const {
  QFont paintFont;
  // The Chinese name is how SimSun knows itself; the Latin one is the alias font
  // packages give their substitutes.
  paintFont.setFamilies(m_faceName == simSunFace() ? QStringList{m_faceName, "SimSun"}
                                                   : QStringList{m_faceName});
  if (m_fontHeight > 0) paintFont.setPixelSize(m_fontHeight);
  paintFont.setBold(m_bold);
  paintFont.setItalic(m_italic);
  paintFont.setUnderline(m_underline);
  paintFont.setStrikeOut(m_strikeOut);
  paintFont.setStyleStrategy(m_smooth ? QFont::PreferAntialias : QFont::PreferDefault);
  return paintFont;
}

QColor CStyledLabel::textColour() const { return m_textColour; }

Qt::Alignment CStyledLabel::horizontalAlignment() const { return m_alignment; }

void CStyledLabel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setFont(paintFont());
  painter.setPen(m_textColour);
  painter.drawText(rect(), static_cast<int>(m_alignment | Qt::AlignTop) | Qt::TextWordWrap, text());
}

void CStyledLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
}

}  // namespace gui
