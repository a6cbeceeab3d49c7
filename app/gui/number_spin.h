#pragma once

#include <QPointer>
#include <QString>
#include <QToolButton>
#include <QWidget>

class QLineEdit;

namespace gui {

// Up and down arrows beside a buddy edit box that holds a floating-point value.
// The buddy's text is the value; the arrows keep an integer position of their own
// (0 .. ControlRange()) that follows the value whenever it is set. An arrow click,
// or the Up/Down key in the buddy, adds or subtracts one step to the text and
// moves the position by one.
class CNumberSpin : public QWidget {
  Q_OBJECT

 public:
  // The arrows' position never exceeds this: the position travels as a signed
  // 16-bit value.
  static constexpr int kMaxControlRange = 32767;

  explicit CNumberSpin(QWidget* parent = nullptr);

  // Attaches the edit box whose text this control writes and reads; nullptr
  // detaches. The box is not owned. Up/Down keys pressed in it step the value.
  void setBuddy(QLineEdit* buddy);
  QLineEdit* buddy() const;

  // Stores the value range and step. With a step of 0 nothing else changes;
  // otherwise the arrows' range becomes 0 .. |(maximum - minimum) / step|
  // truncated (at most kMaxControlRange) and the position follows GetValue().
  void SetValueRange(double minimum, double maximum, double step);

  // Writes FormatNumber(value) into the buddy (nothing without one) and moves the
  // arrows to the matching position.
  void SetValue(double value);

  // The buddy's text read as a number in the C library's current locale (leading
  // blanks skipped, reading stops at the first character that does not fit);
  // 0 when nothing fits or there is no buddy.
  double GetValue() const;

  // Digits after the decimal symbol; a negative count (the default, -1) lets
  // "%g" choose.
  void SetDecimals(int decimals);
  // Whether trailing zeros after the decimal symbol are removed (default true).
  void SetTrimZeros(bool trimZeros);
  // Whether stepping past one end of the range continues at the other end
  // (default false).
  void setWrap(bool wrap);

  // The text shown for `value`: "%g" with automatic decimals; otherwise fixed
  // ("%.Nf") or, when "%g" would use an exponent, exponent form ("%.Ne"), with
  // trailing zeros and a bare decimal symbol trimmed when trimming is on.
  QString FormatNumber(double value) const;

  // The arrows' own position, 0 .. ControlRange().
  int position() const;
  // The upper end of the arrows' range (100 until a range is set).
  int controlRange() const;

  // One arrow step: `delta` > 0 goes up, < 0 goes down, `delta` steps at once.
  // Values beyond the range by more than a relative tolerance of 1e-9 are clamped
  // (or wrapped with SetWrap(true)); the position moves by `delta` likewise.
  void stepBy(int delta);

  QSize sizeHint() const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Splits the control into the up arrow (upper half) and the down arrow.
  void resizeEvent(QResizeEvent* event) override;

 private:
  void applyRange();
  void syncPosition(double value);
  void movePosition(int delta);
  void OnArrowPressed(int delta);

  double m_minimum = 0.0;
  double m_maximum = 100.0;
  double m_step = 1.0;
  int m_controlRange = 100;
  int m_decimals = -1;
  bool m_trimZeros = true;
  char m_decimalSymbol = '.';
  bool m_wrap = false;
  int m_position = 0;
  QPointer<QLineEdit> m_buddy;
  QToolButton m_upButton{this};
  QToolButton m_downButton{this};
};

}  // namespace gui
