#include "app/gui/about_dialog.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/gui/link_label.h"
#include "app/gui/styled_label.h"
#include "app/gui/ui_hooks.h"

using gui::CAboutDialog;
using gui::CStyledLabel;

namespace {

// The horizontal extent of the pixels close to pure red, or an empty range.
std::pair<int, int> RedColumns(const QImage& image) {
  int first = image.width();
  int last = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (pixel.red() > 180 && pixel.green() < 90 && pixel.blue() < 90) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
  }
  return {first, last};
}

}  // namespace

class AboutDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void styledLabelDefaults();
  void styleCodes_data();
  void styleCodes();
  void styleCodesAddUp();
  void styledLabelPaintsCentredInItsColour();
  void styledLabelReportsLeftClicks();
  void templateTextsAndItems();
  void okAcceptsEscapeRejects();
  void emailClickStartsAMail();
  void homepageClickOpensTheHomepage();
  void controlsKeepTheDialogFontUnderAStyleSheet();

 private:
  QStringList m_messages;
  QStringList m_opened;
  bool m_openerAccepts = true;
};

void AboutDialogTest::init() {
  m_messages.clear();
  m_opened.clear();
  m_openerAccepts = true;
  gui::Hooks().showMessage = [this](QWidget*, const QString& text) { m_messages << text; };
  gui::Hooks().openExternal = [this](const QString& target) {
    m_opened << target;
    return m_openerAccepts;
  };
}

void AboutDialogTest::cleanup() { gui::ResetHooks(); }

void AboutDialogTest::styledLabelDefaults() {
  CStyledLabel label("text");
  QCOMPARE(CStyledLabel::SimSunFace(), QString::fromUtf8("\xE5\xAE\x8B\xE4\xBD\x93"));
  QCOMPARE(label.PaintFont().family(), CStyledLabel::SimSunFace());
  QCOMPARE(label.PaintFont().pixelSize(), 9);
  QCOMPARE(label.PaintFont().bold(), false);
  QCOMPARE(label.TextColour(), QColor(Qt::black));
  QCOMPARE(label.HorizontalAlignment(), Qt::Alignment(Qt::AlignLeft));
}

void AboutDialogTest::styleCodes_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<bool>("bold");
  QTest::addColumn<bool>("italic");
  QTest::addColumn<bool>("underline");
  QTest::addColumn<bool>("strikeOut");
  QTest::addColumn<bool>("smooth");
  QTest::addColumn<bool>("centred");
  QTest::newRow("1 bold") << 1 << true << false << false << false << false << false;
  QTest::newRow("2 italic") << 2 << false << true << false << false << false << false;
  QTest::newRow("3 underline") << 3 << false << false << true << false << false << false;
  QTest::newRow("4 strike-out") << 4 << false << false << false << true << false << false;
  QTest::newRow("5 smooth") << 5 << false << false << false << false << true << false;
  QTest::newRow("0 centres") << 0 << false << false << false << false << false << true;
  QTest::newRow("6 centres") << 6 << false << false << false << false << false << true;
  QTest::newRow("-1 centres") << -1 << false << false << false << false << false << true;
}

void AboutDialogTest::styleCodes() {
  QFETCH(int, style);
  QFETCH(bool, bold);
  QFETCH(bool, italic);
  QFETCH(bool, underline);
  QFETCH(bool, strikeOut);
  QFETCH(bool, smooth);
  QFETCH(bool, centred);
  CStyledLabel label("text");
  label.SetTextFont("DejaVu Sans", 14, QColor(1, 2, 3), style);
  const QFont font = label.PaintFont();
  QCOMPARE(font.family(), QString("DejaVu Sans"));
  QCOMPARE(font.pixelSize(), 14);
  QCOMPARE(label.TextColour(), QColor(1, 2, 3));
  QCOMPARE(font.bold(), bold);
  QCOMPARE(font.italic(), italic);
  QCOMPARE(font.underline(), underline);
  QCOMPARE(font.strikeOut(), strikeOut);
  QCOMPARE(font.styleStrategy() == QFont::PreferAntialias, smooth);
  QCOMPARE(label.HorizontalAlignment(),
           centred ? Qt::Alignment(Qt::AlignHCenter) : Qt::Alignment(Qt::AlignLeft));
}

void AboutDialogTest::styleCodesAddUp() {
  CStyledLabel label("text");
  label.SetTextFont("DejaVu Sans", 12, Qt::black, 1);
  label.SetTextFont("DejaVu Sans", 12, Qt::black, 2);
  QVERIFY(label.PaintFont().bold());
  QVERIFY(label.PaintFont().italic());
  label.SetTextFont("DejaVu Sans", 12, Qt::black, 0);
  QVERIFY(!label.PaintFont().bold());
  QVERIFY(!label.PaintFont().italic());
  // Centring stays once chosen: no code goes back to the left.
  label.SetTextFont("DejaVu Sans", 12, Qt::black, 3);
  QCOMPARE(label.HorizontalAlignment(), Qt::Alignment(Qt::AlignHCenter));
}

void AboutDialogTest::styledLabelPaintsCentredInItsColour() {
  CStyledLabel label("mmmm");
  label.resize(200, 30);
  label.SetTextFont(CStyledLabel::SimSunFace(), 12, Qt::black, 0);
  label.SetTextColour(255, 0, 0);
  QCOMPARE(label.TextColour(), QColor(255, 0, 0));
  const QImage image = label.grab().toImage();
  const auto [first, last] = RedColumns(image);
  QVERIFY2(last >= first, "no red text was painted");
  const int leftMargin = first;
  const int rightMargin = image.width() - 1 - last;
  QVERIFY2(qAbs(leftMargin - rightMargin) <= 3,
           qPrintable(QString("margins %1 and %2").arg(leftMargin).arg(rightMargin)));
}

void AboutDialogTest::styledLabelReportsLeftClicks() {
  CStyledLabel label("text");
  label.resize(100, 20);
  label.show();
  QSignalSpy clicks(&label, &CStyledLabel::clicked);
  QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(5, 5));
  QCOMPARE(clicks.count(), 1);
}

void AboutDialogTest::templateTextsAndItems() {
  CAboutDialog dialog;
  QCOMPARE(dialog.windowTitle(), QString("About Quorvex 1.0"));
  QStringList texts;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
  for (const char* text : {"Quorvex Version 1.0", "Homepage:", "E-mail:"}) {
    QVERIFY2(texts.contains(text), text);
  }

  auto* ok = qobject_cast<QPushButton*>(dialog.item(1));
  QVERIFY(ok != nullptr);
  QCOMPARE(ok->text(), QString("OK"));
  QVERIFY(ok->isDefault());

  auto* homepage = qobject_cast<gui::CLinkLabel*>(dialog.item(1028));
  QVERIFY(homepage != nullptr);
  QCOMPARE(homepage->text(), QString(gui::kHomepageUrl));
  QCOMPARE(homepage->Address(), QString(gui::kHomepageUrl));

  auto* email = qobject_cast<CStyledLabel*>(dialog.item(1037));
  QVERIFY(email != nullptr);
  QCOMPARE(email->text(), QString(gui::kSupportEmail));
  QCOMPARE(email->TextColour(), QColor(255, 0, 0));
  QCOMPARE(email->HorizontalAlignment(), Qt::Alignment(Qt::AlignHCenter));
  QCOMPARE(email->PaintFont().family(), CStyledLabel::SimSunFace());
  QCOMPARE(email->PaintFont().pixelSize(), 12);

  QCOMPARE(dialog.item(1036), nullptr);
  // Every item lies inside the box.
  for (int id : {1, 1028, 1037}) {
    QVERIFY2(dialog.rect().contains(dialog.item(id)->geometry()), qPrintable(QString::number(id)));
  }
}

void AboutDialogTest::okAcceptsEscapeRejects() {
  CAboutDialog accepted;
  QTimer::singleShot(0, &accepted, [&] { QTest::mouseClick(accepted.item(1), Qt::LeftButton); });
  QCOMPARE(accepted.exec(), int(QDialog::Accepted));

  CAboutDialog rejected;
  QTimer::singleShot(0, &rejected, [&] { QTest::keyClick(&rejected, Qt::Key_Escape); });
  QCOMPARE(rejected.exec(), int(QDialog::Rejected));
}

void AboutDialogTest::emailClickStartsAMail() {
  m_openerAccepts = false;
  CAboutDialog dialog;
  dialog.show();
  QTest::mouseClick(dialog.item(1037), Qt::LeftButton, {}, QPoint(3, 3));
  QCOMPARE(m_opened, QStringList{"mailto:support@quorvex.example.org"});
  // Without a mail program nothing is said.
  QVERIFY(m_messages.isEmpty());
}

void AboutDialogTest::homepageClickOpensTheHomepage() {
  CAboutDialog dialog;
  dialog.show();
  QTest::mouseClick(dialog.item(1028), Qt::LeftButton, {}, QPoint(3, 3));
  QCOMPARE(m_opened, QStringList{gui::kHomepageUrl});
  QVERIFY(qobject_cast<gui::CLinkLabel*>(dialog.item(1028))->IsVisited());
}

void AboutDialogTest::controlsKeepTheDialogFontUnderAStyleSheet() {
  qApp->setStyleSheet("QDialog { background: #f3f4f6; }");
  CAboutDialog dialog;
  dialog.show();
  const QStringList dialogFamilies = dialog.font().families();
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    QCOMPARE(label->font().families(), dialogFamilies);
  }
  qApp->setStyleSheet(QString());
}

QTEST_MAIN(AboutDialogTest)
#include "about_dialog_test.moc"
