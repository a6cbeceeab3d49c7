#include "app/gui/link_label.h"

#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>
#include <string>

#include "app/gui/ui_hooks.h"

using gui::CLinkLabel;

namespace {

const QString kAddress = "https://quorvex.example.org/";
const QString kUnableToOpen = "Unable to open hyperlink:\n\n";

void WriteFile(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(text);
}

}  // namespace

class LinkLabelTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void textIsTheAddress();
  void emptyTextShowsTheAddress();
  void coloursFollowHoverAndVisits();
  void clickOpensThroughTheDesktop();
  void refusedAddressWithoutHandlerIsReported();
  void refusedAddressRunsTheDefaultHandler();
  void handlerThatCannotStartIsReported();
  void overLongCommandIsNotRun();
  void rightClickDoesNothing();
  void launchErrorTexts();
  void fitToText_data();
  void fitToText();
  void desktopFallbackReadsTheDefaultHandler();

 private:
  std::unique_ptr<CLinkLabel> MakeLabel(std::optional<std::string> handler, bool runs);

  QStringList m_messages;
  QStringList m_opened;
  bool m_openerAccepts = true;
  QStringList m_schemes;
  QStringList m_commands;
  std::unique_ptr<QWidget> m_window;
};

void LinkLabelTest::init() {
  m_messages.clear();
  m_opened.clear();
  m_schemes.clear();
  m_commands.clear();
  m_openerAccepts = true;
  gui::Hooks().showMessage = [this](QWidget*, const QString& text) { m_messages << text; };
  gui::Hooks().openExternal = [this](const QString& target) {
    m_opened << target;
    return m_openerAccepts;
  };
  m_window = std::make_unique<QWidget>();
  m_window->resize(400, 200);
}

void LinkLabelTest::cleanup() {
  m_window.reset();
  gui::ResetHooks();
}

std::unique_ptr<CLinkLabel> LinkLabelTest::MakeLabel(std::optional<std::string> handler,
                                                     bool runs) {
  auto label = std::make_unique<CLinkLabel>(kAddress, m_window.get());
  label->setGeometry(10, 10, 300, 30);
  label->SetFallback({[this, handler](const std::string& scheme) {
                        m_schemes << QString::fromStdString(scheme);
                        return handler;
                      },
                      [this, runs](const std::string& command) {
                        m_commands << QString::fromStdString(command);
                        return runs;
                      }});
  m_window->show();
  return label;
}

void LinkLabelTest::textIsTheAddress() {
  const auto label = MakeLabel(std::nullopt, false);
  QCOMPARE(label->Address(), kAddress);
  QCOMPARE(label->text(), kAddress);
  QCOMPARE(label->toolTip(), kAddress);
  QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
  label->SetAddress("https://example.org/help");
  QCOMPARE(label->text(), kAddress);
  QCOMPARE(label->toolTip(), QString("https://example.org/help"));
}

void LinkLabelTest::emptyTextShowsTheAddress() {
  CLinkLabel label(QString{});
  QCOMPARE(label.Address(), QString());
  label.SetAddress(kAddress);
  QCOMPARE(label.text(), kAddress);
  QCOMPARE(label.Address(), kAddress);
}

void LinkLabelTest::coloursFollowHoverAndVisits() {
  const auto label = MakeLabel(std::nullopt, false);
  const QColor hover = label->palette().color(QPalette::Highlight);
  QCOMPARE(label->TextColour(), QColor(0, 0, 238));

  QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
  QApplication::sendEvent(label.get(), &enter);
  QVERIFY(label->IsMouseOver());
  QCOMPARE(label->TextColour(), hover);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(label.get(), &leave);
  QVERIFY(!label->IsMouseOver());
  QCOMPARE(label->TextColour(), QColor(0, 0, 238));

  QTest::mouseClick(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
  QVERIFY(label->IsVisited());
  QCOMPARE(label->TextColour(), QColor(85, 26, 139));
  QApplication::sendEvent(label.get(), &enter);
  QCOMPARE(label->TextColour(), hover);
}

void LinkLabelTest::clickOpensThroughTheDesktop() {
  const auto label = MakeLabel("web %1", true);
  QTest::mouseClick(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
  QCOMPARE(m_opened, QStringList{kAddress});
  QVERIFY(label->IsVisited());
  QVERIFY(m_schemes.isEmpty());
  QVERIFY(m_commands.isEmpty());
  QVERIFY(m_messages.isEmpty());
}

void LinkLabelTest::refusedAddressWithoutHandlerIsReported() {
  m_openerAccepts = false;
  const auto label = MakeLabel(std::nullopt, true);
  QTest::mouseClick(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
  QVERIFY(!label->IsVisited());
  QCOMPARE(m_schemes, QStringList{"https"});
  QVERIFY(m_commands.isEmpty());
  QCOMPARE(m_messages,
           QStringList{kUnableToOpen + "There is no application associated\nwith the given "
                                       "filename extension."});
}

void LinkLabelTest::refusedAddressRunsTheDefaultHandler() {
  m_openerAccepts = false;
  const auto label = MakeLabel("/usr/bin/web --new \"%1\"", true);
  QCOMPARE(label->LaunchUrl(kAddress), 33);
  QCOMPARE(m_commands, QStringList{"/usr/bin/web --new  " + kAddress});
  QTest::mouseClick(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
  QVERIFY(label->IsVisited());
  QVERIFY(m_messages.isEmpty());
}

void LinkLabelTest::handlerThatCannotStartIsReported() {
  const auto label = MakeLabel("web %1", false);
  QTest::mouseClick(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
  QVERIFY(label->IsVisited());
  // A later failed launch makes the link unvisited again.
  m_openerAccepts = false;
  QTest::mouseClick(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
  QVERIFY(!label->IsVisited());
  QCOMPARE(label->TextColour(), QColor(0, 0, 238));
  QCOMPARE(m_messages, QStringList{kUnableToOpen + "The specified file was not found."});
}

void LinkLabelTest::overLongCommandIsNotRun() {
  m_openerAccepts = false;
  const auto label = MakeLabel("web %1", true);
  const QString longAddress = "https://example.org/" + QString(600, 'a');
  QCOMPARE(label->LaunchUrl(longAddress), 31);
  QVERIFY(m_commands.isEmpty());
}

void LinkLabelTest::rightClickDoesNothing() {
  const auto label = MakeLabel(std::nullopt, false);
  QTest::mouseClick(label.get(), Qt::RightButton, {}, QPoint(5, 5));
  QVERIFY(m_opened.isEmpty());
  QVERIFY(m_messages.isEmpty());
}

void LinkLabelTest::launchErrorTexts() {
  CLinkLabel label(kAddress);
  label.ShowLaunchError(26);
  label.ShowLaunchError(1);
  QCOMPARE(m_messages, (QStringList{kUnableToOpen + "A sharing violation occurred. ",
                                    kUnableToOpen + "Unknown Error (1) occurred."}));
}

void LinkLabelTest::fitToText_data() {
  QTest::addColumn<int>("alignment");
  QTest::newRow("left, top") << int(Qt::AlignLeft | Qt::AlignTop);
  QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignTop);
  QTest::newRow("centred both ways") << int(Qt::AlignHCenter | Qt::AlignVCenter);
}

void LinkLabelTest::fitToText() {
  QFETCH(int, alignment);
  CLinkLabel label("Home", m_window.get());
  label.setAlignment(Qt::Alignment(alignment));
  const QRect area(20, 30, 300, 60);
  label.setGeometry(area);
  label.FitToText();
  const QRect fitted = label.geometry();
  QFont underlined = label.font();
  underlined.setUnderline(true);
  const QSize text = QFontMetrics(underlined).size(Qt::TextSingleLine, "Home");
  QVERIFY(text.width() > 0 && text.width() < area.width());
  QCOMPARE(fitted.size(), text);
  if (alignment & Qt::AlignRight) {
    QCOMPARE(fitted.right(), area.right());
  } else if (alignment & Qt::AlignHCenter) {
    QVERIFY(qAbs(fitted.center().x() - area.center().x()) <= 1);
  } else {
    QCOMPARE(fitted.left(), area.left());
  }
  if (alignment & Qt::AlignVCenter) {
    QVERIFY(qAbs(fitted.center().y() - area.center().y()) <= 1);
  } else {
    QCOMPARE(fitted.top(), area.top());
  }
}

void LinkLabelTest::desktopFallbackReadsTheDefaultHandler() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QByteArray config = (dir.path() + "/config").toLocal8Bit();
  const QByteArray data = (dir.path() + "/data").toLocal8Bit();
  const QByteArray savedVariables[] = {qgetenv("XDG_CONFIG_HOME"), qgetenv("XDG_CONFIG_DIRS"),
                                       qgetenv("XDG_DATA_HOME"), qgetenv("XDG_DATA_DIRS")};
  qputenv("XDG_CONFIG_HOME", config);
  qputenv("XDG_CONFIG_DIRS", config + "-none");
  qputenv("XDG_DATA_HOME", data);
  qputenv("XDG_DATA_DIRS", data + "-none");

  const gui::LinkFallback fallback = gui::DesktopLinkFallback();
  const std::optional<std::string> none = fallback.handlerCommand("https");

  WriteFile(dir.path() + "/config/mimeapps.list",
            "[Default Applications]\nx-scheme-handler/https=quorvex-test-web.desktop;\n");
  WriteFile(dir.path() + "/data/applications/quorvex-test-web.desktop",
            "[Desktop Entry]\nType=Application\nName=Web\nExec=/bin/true --new %u\n");
  WriteFile(dir.path() + "/data/applications/mimeapps.list",
            "[Default Applications]\ntext/html=quorvex-test-page.desktop\n");
  WriteFile(dir.path() + "/data/applications/quorvex-test-page.desktop",
            "[Desktop Entry]\nExec=page %f\n");
  const std::optional<std::string> https = fallback.handlerCommand("https");
  // No handler for the scheme: the handler for web pages.
  const std::optional<std::string> http = fallback.handlerCommand("http");

  const char* names[] = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"};
  for (int i = 0; i < 4; ++i) {
    if (savedVariables[i].isNull()) {
      qunsetenv(names[i]);
    } else {
      qputenv(names[i], savedVariables[i]);
    }
  }
  QCOMPARE(none, std::nullopt);
  QCOMPARE(https, std::optional<std::string>("/bin/true --new %1"));
  QCOMPARE(http, std::optional<std::string>("page %1"));

  QVERIFY(fallback.runCommand("/bin/true  https://quorvex.example.org/"));
  QVERIFY(!fallback.runCommand(dir.path().toStdString() + "/no-such-program x"));
  QVERIFY(!fallback.runCommand("   "));
}

QTEST_MAIN(LinkLabelTest)
#include "link_label_test.moc"
