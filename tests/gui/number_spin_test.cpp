#include "app/gui/number_spin.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <limits>

using gui::CNumberSpin;

class NumberSpinTest : public QObject {
  Q_OBJECT

 private slots:
  void controlRange_data();
  void controlRange();
  void zeroStepKeepsRangeAndPosition();
  void position_data();
  void position();
  void mainWindowSettingsShowWholeNumbers();
  void stepAtTheEnds_data();
  void stepAtTheEnds();
  void stepWithinToleranceIsNotClamped();
  void arrowsAndKeysStep();
  void withoutBuddy();
  void formatNumber_data();
  void formatNumber();
};

void NumberSpinTest::controlRange_data() {
  QTest::addColumn<double>("minimum");
  QTest::addColumn<double>("maximum");
  QTest::addColumn<double>("step");
  QTest::addColumn<int>("expected");
  QTest::newRow("whole steps") << 0.0 << 40.0 << 1.0 << 40;
  QTest::newRow("fraction truncated") << 0.0 << 10.0 << 0.3 << 33;
  QTest::newRow("reversed bounds") << 40.0 << 0.0 << 1.0 << 40;
  QTest::newRow("negative step") << 0.0 << 40.0 << -2.0 << 20;
  QTest::newRow("exactly the cap") << 0.0 << 32767.0 << 1.0 << 32767;
  QTest::newRow("above the cap") << 0.0 << 32768.0 << 1.0 << 32767;
  QTest::newRow("far above the cap") << 0.0 << 1e12 << 1.0 << 32767;
  QTest::newRow("infinite bound") << 0.0 << std::numeric_limits<double>::infinity() << 1.0 << 32767;
  QTest::newRow("empty range") << 5.0 << 5.0 << 1.0 << 0;
}

void NumberSpinTest::controlRange() {
  QFETCH(double, minimum);
  QFETCH(double, maximum);
  QFETCH(double, step);
  QFETCH(int, expected);
  CNumberSpin spin;
  QCOMPARE(spin.ControlRange(), 100);
  spin.SetValueRange(minimum, maximum, step);
  QCOMPARE(spin.ControlRange(), expected);
}

void NumberSpinTest::zeroStepKeepsRangeAndPosition() {
  QLineEdit buddy;
  CNumberSpin spin;
  spin.SetBuddy(&buddy);
  spin.SetValueRange(0, 40, 1.0);
  spin.SetValue(10);
  spin.SetValueRange(0, 1000, 0.0);
  QCOMPARE(spin.ControlRange(), 40);
  QCOMPARE(spin.Position(), 10);
}

void NumberSpinTest::position_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<int>("expected");
  QTest::newRow("rounded up to the end") << 39.6 << 40;
  QTest::newRow("below the minimum") << -1.0 << 0;
  QTest::newRow("above the maximum") << 41.0 << 40;
  QTest::newRow("minimum") << 0.0 << 0;
  QTest::newRow("below half a step") << 0.49 << 0;
  QTest::newRow("half a step") << 0.5 << 1;
  QTest::newRow("middle") << 20.0 << 20;
  QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << 0;
  QTest::newRow("plus infinity") << std::numeric_limits<double>::infinity() << 40;
}

void NumberSpinTest::position() {
  QFETCH(double, value);
  QFETCH(int, expected);
  QLineEdit buddy;
  CNumberSpin spin;
  spin.SetBuddy(&buddy);
  spin.SetValueRange(0, 40, 1.0);
  spin.SetValue(value);
  QCOMPARE(spin.Position(), expected);
}

void NumberSpinTest::mainWindowSettingsShowWholeNumbers() {
  QLineEdit buddy;
  CNumberSpin spin;
  spin.SetBuddy(&buddy);
  spin.SetDecimals(0);
  spin.SetTrimZeros(false);
  spin.SetValue(0);
  QCOMPARE(buddy.text(), QString("0"));
  spin.SetValueRange(0, 12, 1.0);
  spin.SetValue(12.0);
  QCOMPARE(buddy.text(), QString("12"));
  QCOMPARE(spin.Position(), 12);
  QCOMPARE(spin.GetValue(), 12.0);
  // The position follows the text already shown when the range changes.
  spin.SetValueRange(0, 24, 1.0);
  QCOMPARE(spin.Position(), 12);
}

void NumberSpinTest::stepAtTheEnds_data() {
  QTest::addColumn<bool>("wrap");
  QTest::addColumn<double>("start");
  QTest::addColumn<int>("delta");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("position");
  QTest::newRow("up at the maximum, no wrap") << false << 40.0 << 1 << "40" << 40;
  QTest::newRow("up at the maximum, wrap") << true << 40.0 << 1 << "0" << 0;
  QTest::newRow("down at the minimum, no wrap") << false << 0.0 << -1 << "0" << 0;
  QTest::newRow("down at the minimum, wrap") << true << 0.0 << -1 << "40" << 40;
  QTest::newRow("up inside the range") << true << 39.0 << 1 << "40" << 40;
  QTest::newRow("several steps past the maximum") << false << 38.0 << 5 << "40" << 40;
}

void NumberSpinTest::stepAtTheEnds() {
  QFETCH(bool, wrap);
  QFETCH(double, start);
  QFETCH(int, delta);
  QFETCH(QString, text);
  QFETCH(int, position);
  QLineEdit buddy;
  CNumberSpin spin;
  spin.SetBuddy(&buddy);
  spin.SetWrap(wrap);
  spin.SetValueRange(0, 40, 1.0);
  spin.SetValue(start);
  spin.StepBy(delta);
  QCOMPARE(buddy.text(), text);
  QCOMPARE(spin.Position(), position);
}

void NumberSpinTest::stepWithinToleranceIsNotClamped() {
  QLineEdit buddy;
  CNumberSpin spin;
  spin.SetBuddy(&buddy);
  spin.SetDecimals(10);
  spin.SetValueRange(0, 10, 0.5000000001);
  spin.SetValue(9.5);
  spin.StepBy(1);
  // 1e-10 above the maximum: inside the tolerance of 1e-9 x 10.
  QCOMPARE(buddy.text(), QString("10.0000000001"));

  spin.SetValueRange(0, 10, 0.6);
  spin.SetValue(9.5);
  spin.StepBy(1);
  QCOMPARE(buddy.text(), QString("10"));

  spin.SetValueRange(5, 10, 0.5000000001);
  spin.SetValue(5.5);
  spin.StepBy(-1);
  QCOMPARE(buddy.text(), QString("4.9999999999"));

  spin.SetValue(5.5);
  spin.StepBy(-2);
  QCOMPARE(buddy.text(), QString("5"));
}

void NumberSpinTest::arrowsAndKeysStep() {
  QWidget window;
  QLineEdit buddy(&window);
  buddy.setReadOnly(true);
  CNumberSpin spin(&window);
  spin.SetBuddy(&buddy);
  spin.SetDecimals(0);
  spin.SetTrimZeros(false);
  spin.SetValueRange(0, 10, 1.0);
  spin.SetValue(3);
  window.show();

  auto* up = spin.findChild<QToolButton*>("up");
  auto* down = spin.findChild<QToolButton*>("down");
  QVERIFY(up != nullptr);
  QVERIFY(down != nullptr);
  QTest::mouseClick(up, Qt::LeftButton);
  QCOMPARE(buddy.text(), QString("4"));
  QCOMPARE(spin.Position(), 4);
  QTest::mouseClick(down, Qt::LeftButton);
  QTest::mouseClick(down, Qt::LeftButton);
  QCOMPARE(buddy.text(), QString("2"));
  QCOMPARE(spin.Position(), 2);

  QTest::keyClick(&buddy, Qt::Key_Up);
  QCOMPARE(buddy.text(), QString("3"));
  QTest::keyClick(&buddy, Qt::Key_Down);
  QTest::keyClick(&buddy, Qt::Key_Down);
  QCOMPARE(buddy.text(), QString("1"));
  QCOMPARE(spin.Position(), 1);

  spin.setEnabled(false);
  QTest::keyClick(&buddy, Qt::Key_Up);
  QCOMPARE(buddy.text(), QString("1"));

  // A detached box no longer steps.
  spin.setEnabled(true);
  spin.SetBuddy(nullptr);
  QTest::keyClick(&buddy, Qt::Key_Up);
  QCOMPARE(buddy.text(), QString("1"));
}

void NumberSpinTest::withoutBuddy() {
  CNumberSpin spin;
  spin.SetValueRange(0, 40, 1.0);
  QCOMPARE(spin.GetValue(), 0.0);
  spin.SetValue(30);
  QCOMPARE(spin.Position(), 30);
  QCOMPARE(spin.GetValue(), 0.0);
  spin.StepBy(1);
  QCOMPARE(spin.Position(), 31);

  QLineEdit buddy("  7.25xyz");
  spin.SetBuddy(&buddy);
  QCOMPARE(spin.GetValue(), 7.25);
  QCOMPARE(spin.Position(), 7);
  buddy.setText("abc");
  QCOMPARE(spin.GetValue(), 0.0);
}

void NumberSpinTest::formatNumber_data() {
  QTest::addColumn<int>("decimals");
  QTest::addColumn<bool>("trim");
  QTest::addColumn<double>("value");
  QTest::addColumn<QString>("expected");
  QTest::newRow("automatic") << -1 << true << 2.5 << "2.5";
  QTest::newRow("automatic, exponent") << -1 << true << 1234567.0 << "1.23457e+06";
  QTest::newRow("other negative counts are automatic") << -5 << false << 2.5 << "2.5";
  QTest::newRow("two decimals, trimmed") << 2 << true << 2.5 << "2.5";
  QTest::newRow("two decimals, trimmed to whole") << 2 << true << 3.0 << "3";
  QTest::newRow("two decimals, untrimmed") << 2 << false << 2.5 << "2.50";
  QTest::newRow("no decimals, untrimmed") << 0 << false << 12.0 << "12";
  QTest::newRow("no decimals rounds") << 0 << false << 12.7 << "13";
  QTest::newRow("whole number keeps its zeros") << 0 << true << 100.0 << "100";
  QTest::newRow("negative, trimmed") << 2 << true << -2.5 << "-2.5";
  QTest::newRow("exponent, trimmed") << 2 << true << 1.5e20 << "1.5e+20";
  QTest::newRow("exponent, trimmed to whole") << 2 << true << 1e20 << "1e+20";
  QTest::newRow("exponent, untrimmed") << 2 << false << 1e-7 << "1.00e-07";
  QTest::newRow("large value in fixed form") << 1 << false << 123456.0 << "123456.0";
}

void NumberSpinTest::formatNumber() {
  QFETCH(int, decimals);
  QFETCH(bool, trim);
  QFETCH(double, value);
  QFETCH(QString, expected);
  CNumberSpin spin;
  spin.SetDecimals(decimals);
  spin.SetTrimZeros(trim);
  QCOMPARE(spin.FormatNumber(value), expected);
}

QTEST_MAIN(NumberSpinTest)
#include "number_spin_test.moc"
