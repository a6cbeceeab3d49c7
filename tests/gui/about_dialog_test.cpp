// The About box and its two labels: the styled e-mail line and the web link, with
// the link's fallback to the desktop's default web handler.
#include "app/gui/about_dialog.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <optional>

#include "app/gui/control_ids.h"
#include "gui/window_test_support.h"

using gui::CAboutDialog;
using enum gui::ControlId;
using gui::CLinkLabel;
using gui::CStyledLabel;

namespace {

const QString kAddress = gui::kHomepageUrl;
const QString kUnableToOpen = "Unable to open hyperlink:\n\n";

void leftClick(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(3, 3)); }

}  // namespace

class AboutDialogTest : public QObject {
  Q_OBJECT

  std::optional<gui_test::ScriptedHooks> m_hooks;
  QStringList m_commands;

  // The fallback finds `handler` (none when empty); its command runner records
  // each command and answers `runs`.
  void setFallback(CLinkLabel& link, const QString& handler, bool runs) {
    link.setFallback({[handler](const std::string&) -> std::optional<std::string> {
                        if (handler.isEmpty()) return std::nullopt;
                        return handler.toStdString();
                      },
                      [this, runs](const std::string& command) {
                        m_commands << QString::fromStdString(command);
                        return runs;
                      }});
  }

 private slots:
  void init() {
    m_hooks.emplace();
    m_hooks->openResult = true;
    m_commands.clear();
  }
  void cleanup() { m_hooks.reset(); }

  void aboutBox() {
    CAboutDialog dialog;
    QCOMPARE(dialog.windowTitle(), QString("About Quorvex 1.0"));
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    for (const char* text : {"Quorvex Version 1.0", "Homepage:", "E-mail:"}) {
      QVERIFY2(texts.contains(text), text);
    }
    auto* ok = qobject_cast<QPushButton*>(dialog.item(OkButton));
    QVERIFY(ok->text() == "OK" && ok->isDefault());
    auto* email = qobject_cast<CStyledLabel*>(dialog.item(EmailLabel));
    QCOMPARE(email->text(), QString(gui::kSupportEmail));
    QCOMPARE(email->textColour(), QColor(255, 0, 0));
    QCOMPARE(email->horizontalAlignment(), Qt::Alignment(Qt::AlignHCenter));
    for (int id : {OkButton, HomepageLink, EmailLabel})
      QVERIFY(dialog.rect().contains(dialog.item(id)->geometry()));
    dialog.show();
    leftClick(dialog.item(EmailLabel));
    leftClick(dialog.item(HomepageLink));
    QCOMPARE(m_hooks->opened, (QStringList{"mailto:support@quorvex.example.org", kAddress}));
    // Without a mail program nothing is said.
    m_hooks->openResult = false;
    leftClick(dialog.item(EmailLabel));
    QVERIFY(m_hooks->messages.isEmpty());
    QTimer::singleShot(0, &dialog, [&] { leftClick(dialog.item(OkButton)); });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
  }

  void styledLabel() {
    CStyledLabel label("mmmm");
    QCOMPARE(label.paintFont().family(), CStyledLabel::simSunFace());
    QCOMPARE(label.paintFont().pixelSize(), 9);
    // Style codes add up; any other code clears them and centres, for good.
    for (int style : {1, 2, 3, 4, 5}) label.SetTextFont("DejaVu Sans", 12, Qt::black, style);
    const QFont all = label.paintFont();
    QCOMPARE(all.family() + " " + QString::number(all.pixelSize()), QString("DejaVu Sans 12"));
    QVERIFY(all.bold() && all.italic() && all.underline() && all.strikeOut());
    QCOMPARE(all.styleStrategy(), QFont::PreferAntialias);
    QCOMPARE(label.horizontalAlignment(), Qt::Alignment(Qt::AlignLeft));
    label.SetTextFont("DejaVu Sans", 12, Qt::black, -1);
    label.SetTextFont("DejaVu Sans", 12, Qt::black, 3);
    QVERIFY(label.paintFont().underline() && !label.paintFont().bold());
    QCOMPARE(label.horizontalAlignment(), Qt::Alignment(Qt::AlignHCenter));
    // Painted centred, in its colour.
    label.resize(200, 30);
    label.SetTextColour(255, 0, 0);
    const QImage image = label.grab().toImage();
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
    QVERIFY2(last >= first && qAbs(first - (image.width() - 1 - last)) <= 3,
             qPrintable(QString("red from %1 to %2").arg(first).arg(last)));
    label.show();
    QSignalSpy clicks(&label, &CStyledLabel::clicked);
    leftClick(&label);
    QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(3, 3));
    QCOMPARE(clicks.count(), 1);
  }

  void linkLooksAndFits() {
    QWidget window;
    CLinkLabel link(kAddress, &window);
    link.setGeometry(20, 30, 400, 60);
    window.show();
    QCOMPARE(link.toolTip(), kAddress);
    QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(link.textColour(), QColor(0, 0, 238));
    QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
    QApplication::sendEvent(&link, &enter);
    QCOMPARE(link.textColour(), link.palette().color(QPalette::Highlight));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    QCOMPARE(link.textColour(), QColor(0, 0, 238));
    leftClick(&link);
    QCOMPARE(link.textColour(), QColor(85, 26, 139));
    link.setAddress("https://example.org/help");
    QCOMPARE(link.text() + " " + link.toolTip(), kAddress + " https://example.org/help");
    // Fitted to its text, a right-aligned link keeps its right edge.
    link.setAlignment(Qt::AlignRight | Qt::AlignTop);
    link.FitToText();
    QVERIFY(link.width() < 400 && link.height() < 60);
    QCOMPARE(link.geometry().right(), 419);
  }

  void launchUrl() {
    const struct {
      const char* name;
      QString handler;
      bool runs;
      QString address;
      QString expected;  // launch result, then the command run
    } rows[] = {
        {"handler with %1", "web %1", true, kAddress, "33 web  " + kAddress},
        {"handler with \"%1\"", "/bin/web --new \"%1\"", true, kAddress,
         "33 /bin/web --new  " + kAddress},
        {"no placeholder", "web", true, kAddress, "33 web " + kAddress},
        {"no handler", "", true, kAddress, "31 "},
        {"handler cannot start", "web %1", false, kAddress, "2 web  " + kAddress},
        {"over-long command", "web %1", true, "https://a.org/" + QString(600, 'a'), "31 "},
    };
    m_hooks->openResult = false;
    for (const auto& row : rows) {
      m_commands.clear();
      CLinkLabel link(kAddress);
      setFallback(link, row.handler, row.runs);
      const int result = link.LaunchUrl(row.address);
      QCOMPARE(row.name + QString(": %1 ").arg(result) + m_commands.join('|'),
               row.name + QString(": ") + row.expected);
    }
    // The desktop's opener comes first.
    m_hooks->openResult = true;
    CLinkLabel link(kAddress);
    setFallback(link, "web %1", true);
    QCOMPARE(link.LaunchUrl(kAddress), 33);
    QVERIFY(m_commands.isEmpty());
  }

  void failedLaunchesAreShown() {
    CLinkLabel link(kAddress);
    link.resize(300, 30);
    link.show();
    leftClick(&link);
    QVERIFY(link.isVisited());
    // A later failed launch makes the link unvisited again.
    m_hooks->openResult = false;
    setFallback(link, "web %1", false);
    leftClick(&link);
    QVERIFY(!link.isVisited());
    setFallback(link, "", true);
    leftClick(&link);
    link.ShowLaunchError(26);
    link.ShowLaunchError(1);
    QCOMPARE(m_hooks->messages,
             (QStringList{kUnableToOpen + "The specified file was not found.",
                          kUnableToOpen + "There is no application associated\nwith the given "
                                          "filename extension.",
                          kUnableToOpen + "A sharing violation occurred. ",
                          kUnableToOpen + "Unknown Error (1) occurred."}));
  }
};

QTEST_MAIN(AboutDialogTest)
#include "about_dialog_test.moc"
