#include "app/gui/number_spin.h"

#include <QByteArray>
#include <QKeyEvent>
#include <QLineEdit>
#include <QResizeEvent>
#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace gui {
namespace {

// `value` as std::to_chars writes it with `format` (the printf forms %g, %.*e and
// %.*f in the C locale), in a buffer grown until the text fits.
template <typename... Format>
std::string toChars(double value, Format... format) {
  std::string text(32, '\0');
  for (;;) {
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), value, format...);
    if (error == std::errc()) {
      text.resize(static_cast<std::size_t>(end - text.data()));
      return text;
    }
    text.resize(text.size() * 2);
  }
}

// Removes trailing '0's and then trailing decimal symbols, but only from a text
// that has a decimal symbol at all (so "100" keeps its zeros).
void trimFraction(std::string& text, char decimalSymbol) {
  if (text.find(decimalSymbol) == std::string::npos) return;
  while (!text.empty() && text.back() == '0') text.pop_back();
  while (!text.empty() && text.back() == decimalSymbol) text.pop_back();
}

char currentDecimalSymbol() {
  const char* symbol = std::localeconv()->decimal_point;
  return symbol != nullptr && symbol[0] != '\0' ? symbol[0] : '.';
}

}  // namespace

CNumberSpin::CNumberSpin(QWidget* parent) : QWidget(parent) {
  m_decimalSymbol = currentDecimalSymbol();

  const struct {
    QToolButton* button;
    Qt::ArrowType arrow;
    const char* name;
    int delta;
  } arrows[] = {{&m_upButton, Qt::UpArrow, "up", 1}, {&m_downButton, Qt::DownArrow, "down", -1}};
  for (const auto& arrow : arrows) {
    arrow.button->setObjectName(arrow.name);
    arrow.button->setArrowType(arrow.arrow);
    arrow.button->setAutoRepeat(true);
    arrow.button->setFocusPolicy(Qt::NoFocus);
    const int delta = arrow.delta;
    connect(arrow.button, &QToolButton::clicked, this, [this, delta] { OnArrowPressed(delta); });
  }
  applyRange();
}

void CNumberSpin::setBuddy(QLineEdit* buddy) {
  if (m_buddy) m_buddy->removeEventFilter(this);
  m_buddy = buddy;
  if (m_buddy) m_buddy->installEventFilter(this);
  applyRange();
}

QLineEdit* CNumberSpin::buddy() const { return m_buddy; }

void CNumberSpin::SetValueRange(double minimum, double maximum, double step) {
  m_minimum = minimum;
  m_maximum = maximum;
  m_step = step;
  applyRange();
}

void CNumberSpin::SetValue(double value) {
  if (m_buddy) m_buddy->setText(FormatNumber(value));
  syncPosition(value);
}

double CNumberSpin::GetValue() const {
  if (!m_buddy) return 0.0;
  const QByteArray text = m_buddy->text().toLocal8Bit();
  return std::strtod(text.constData(), nullptr);
}

void CNumberSpin::SetDecimals(int decimals) { m_decimals = decimals; }

void CNumberSpin::SetTrimZeros(bool trimZeros) { m_trimZeros = trimZeros; }

void CNumberSpin::setWrap(bool wrap) { m_wrap = wrap; }

QString CNumberSpin::FormatNumber(double value) const {
  // %g: six significant digits.
  std::string text = toChars(value, std::chars_format::general, 6);
  if (m_decimals >= 0) {
    const bool exponentForm = text.find('e') != std::string::npos;
    text = toChars(value, exponentForm ? std::chars_format::scientific : std::chars_format::fixed,
                   m_decimals);
  }
  if (m_trimZeros) {
    const std::size_t exponent = text.find('e');
    if (exponent == std::string::npos) {
      trimFraction(text, m_decimalSymbol);
    } else {
      std::string mantissa = text.substr(0, exponent);
      trimFraction(mantissa, m_decimalSymbol);
      text = mantissa + text.substr(exponent);
    }
  }
  return QString::fromLocal8Bit(text.c_str());
}

int CNumberSpin::position() const { return m_position; }

int CNumberSpin::controlRange() const { return m_controlRange; }

void CNumberSpin::stepBy(int delta) {
  double value = GetValue() + delta * m_step;
  if (delta < 0) {
    const double tolerance = std::max(std::fabs(1e-9 * std::max(value, m_minimum)), 1e-9);
    if (m_minimum - value > tolerance) value = m_wrap ? m_maximum : m_minimum;
  } else {
    const double tolerance = std::max(std::fabs(1e-9 * std::max(value, m_maximum)), 1e-9);
    if (value - m_maximum > tolerance) value = m_wrap ? m_minimum : m_maximum;
  }
  if (m_buddy) m_buddy->setText(FormatNumber(value));
  movePosition(delta);
}

bool CNumberSpin::eventFilter(QObject* watched, QEvent* event) {
  // The type is tested first: while the buddy is being destroyed, reading the
  // guarded pointer would cast a half-destroyed object.
  if (event->type() == QEvent::KeyPress && watched == m_buddy && isEnabled()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      stepBy(key == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

QSize CNumberSpin::sizeHint() const { return {16, 22}; }

void CNumberSpin::resizeEvent(QResizeEvent* event) {
  const int width = event->size().width();
  const int upperHeight = event->size().height() / 2;
  m_upButton.setGeometry(0, 0, width, upperHeight);
  m_downButton.setGeometry(0, upperHeight, width, event->size().height() - upperHeight);
}

void CNumberSpin::applyRange() {
  if (m_step == 0.0) return;
  const double steps = std::fabs((m_maximum - m_minimum) / m_step);
  // NaN and infinity (from infinite or NaN bounds) take the largest range too.
  m_controlRange = steps <= kMaxControlRange ? static_cast<int>(steps) : kMaxControlRange;
  m_position = std::clamp(m_position, 0, m_controlRange);
  syncPosition(GetValue());
}

void CNumberSpin::syncPosition(double value) {
  if (m_maximum == m_minimum || std::isnan(value)) return;
  if (value < m_minimum) {
    m_position = 0;
  } else if (value > m_maximum) {
    m_position = m_controlRange;
  } else {
    const double position = m_controlRange * (value - m_minimum) / (m_maximum - m_minimum) + 0.5;
    m_position = std::clamp(static_cast<int>(position), 0, m_controlRange);
  }
}

void CNumberSpin::movePosition(int delta) {
  const long long span = static_cast<long long>(m_controlRange) + 1;
  long long position = m_position + static_cast<long long>(delta);
  if (position < 0 || position > m_controlRange) {
    position = m_wrap ? ((position % span) + span) % span
                      : std::clamp(position, 0LL, static_cast<long long>(m_controlRange));
  }
  m_position = static_cast<int>(position);
}

void CNumberSpin::OnArrowPressed(int delta) {
  if (m_buddy && m_buddy->isEnabled()) m_buddy->setFocus();
  stepBy(delta);
}

}  // namespace gui
