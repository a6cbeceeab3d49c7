// The main window driven through its control ids, with every dialog answered by
// scripted hooks.
#include "app/gui/main_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <set>

#include "app/core/file_names.h"
#include "app/gui/dialog_template.h"
#include "app/gui/frame_player.h"
#include "app/gui/skin.h"
#include "gui/window_test_support.h"

using gui::CMainDialog;
using gui_test::GuiData;
using gui_test::ScriptedHooks;
using State = CMainDialog::WindowState;

namespace {

// Generous: the worker's 100 ms steps stretch on a loaded machine under sanitizers.
constexpr int kSlowMs = 60000;

// Ids whose enabled state the window states decide.
const std::set<int> kStatefulIds = {1003, 1004, 1005, 1006, 1007, 1008, 1014, 1015, 1016,
                                    1017, 1018, 1019, 1020, 1024, 1026, 1027, 1033, 1040};

std::set<int> EnabledIds(const CMainDialog& dialog) {
  std::set<int> enabled;
  for (const int id : kStatefulIds) {
    if (dialog.item(id)->isEnabled()) enabled.insert(id);
  }
  return enabled;
}

const std::set<int> kAlwaysOn = {1005, 1026, 1027, 1033, 1040};
const std::set<int> kOptions = {1006, 1007, 1008, 1014, 1015, 1016, 1017, 1018, 1024};

std::set<int> Union(std::set<int> a, const std::set<int>& b) {
  a.insert(b.begin(), b.end());
  return a;
}

void Click(CMainDialog& dialog, int id) {
  qobject_cast<QAbstractButton*>(dialog.item(id))->click();
}

QString Text(const CMainDialog& dialog, int id) {
  if (auto* edit = qobject_cast<QLineEdit*>(dialog.item(id))) return edit->text();
  return qobject_cast<QLabel*>(dialog.item(id))->text();
}

void SetText(CMainDialog& dialog, int id, const QString& text) {
  qobject_cast<QLineEdit*>(dialog.item(id))->setText(text);
}

// The box loses the keyboard focus to another control of the window.
void LeaveBox(CMainDialog& dialog, int id) {
  QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(dialog.item(id), &focusOut);
}

int Trackbar(const CMainDialog& dialog) {
  return qobject_cast<QSlider*>(dialog.item(1010))->value();
}

bool IsChecked(const CMainDialog& dialog, int id) {
  return qobject_cast<QRadioButton*>(dialog.item(id))->isChecked();
}

void Open(CMainDialog& dialog, ScriptedHooks& hooks, const QString& path) {
  hooks.gifFiles.emplace_back(path);
  Click(dialog, 1005);
}

void ChooseOutputDir(CMainDialog& dialog, ScriptedHooks& hooks, const QString& path) {
  hooks.directories.emplace_back(path);
  Click(dialog, 1040);
}

QStringList PropertyRows(const CMainDialog& dialog) {
  auto* list = qobject_cast<QTreeWidget*>(dialog.item(1002));
  QStringList rows;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    rows << list->topLevelItem(i)->text(0) + "=" + list->topLevelItem(i)->text(1);
  }
  return rows;
}

// Every text the frame box shows, in order.
class FrameBoxLog {
 public:
  explicit FrameBoxLog(CMainDialog& dialog) {
    QObject::connect(qobject_cast<QLineEdit*>(dialog.item(1012)), &QLineEdit::textChanged,
                     &m_context, [this](const QString& text) { texts << text; });
  }
  QStringList texts;

 private:
  QObject m_context;
};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

}  // namespace

class MainDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void startsEmpty();
  void everyTemplateControlHasItsId();
  void openingShowsPropertiesAndStops();
  void playsFourFramesThenStopsAtFrameZero();
  void pauseAtFrameTwoAndStartResumesThere();
  void oneFrameGifStopsWithinATick();
  void sizeOptions();
  void customBoxesOpenOnlyAfterCustom();
  void validation_data();
  void validation();
  void validationStopsAtTheFirstFailure();
  void tripleOf600x500ThenLeavingFrameRate();
  void convertNeedsADirectory();
  void convertWritesEveryFrameOnceAndTheCliMovie_data();
  void convertWritesEveryFrameOnceAndTheCliMovie();
  void convertIntoAnUnwritableDirectoryReports();
  void failedMovieLeavesTheEarlierOneUntouched();
  void openWhilePlayingStopsPlaybackFirst();
  void openUndecodableFileReports_data();
  void openUndecodableFileReports();
  void contextMenuFromKeyboardAndMouse();
  void exportSingle();
  void browseOutputDir();
  void helpOpensTheHelpFileQuietly();
  void aboutUsShowsTheAboutBox();
  void closingWhilePlayingEndsTheWorker();
  void screenshotWithAGifOpen();
};

void MainDialogTest::initTestCase() {
  // Themed as the program themes itself, so the screenshot shows the real look.
  QVERIFY(gui::ApplySkin(gui::kSkinName));
}

void MainDialogTest::startsEmpty() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  QCOMPARE(dialog.windowTitle(), QString("Quorvex 1.0 Convert Gif File To Flash File"));
  QCOMPARE(dialog.State(), State::Empty);
  QCOMPARE(EnabledIds(dialog), kAlwaysOn);
  QCOMPARE(Text(dialog, 1011), QString("/0"));
  QCOMPARE(Text(dialog, 1012), QString("0"));
  QCOMPARE(Text(dialog, 1019), QString("0"));
  QCOMPARE(Text(dialog, 1020), QString("0"));
  QCOMPARE(Text(dialog, 1024), QString("10"));
  QVERIFY(IsChecked(dialog, 1015));
  QVERIFY(!dialog.item(1010)->isEnabled());
  QVERIFY(!dialog.item(1042)->isEnabled());
  QVERIFY(dialog.item(1006)->isHidden());
  QVERIFY(dialog.item(1007)->isHidden());
  QVERIFY(qobject_cast<QPushButton*>(dialog.item(1005))->isDefault());
  QVERIFY(!dialog.playbackTimerActive());

  auto* list = qobject_cast<QTreeWidget*>(dialog.item(1002));
  QCOMPARE(list->columnCount(), 2);
  QCOMPARE(list->headerItem()->text(0), QString("Property"));
  QCOMPARE(list->headerItem()->text(1), QString("Value"));
  QCOMPARE(list->columnWidth(0), 140);
  QCOMPARE(list->columnWidth(1), 110);
  QCOMPARE(list->topLevelItemCount(), 0);

  // The program's folder, '/'-separated with a trailing '/'.
  const QString appDir = QCoreApplication::applicationDirPath() + "/";
  QCOMPARE(Text(dialog, 1042), appDir);
  QCOMPARE(QString::fromStdString(dialog.settings().outputDirectory), appDir);
  QCOMPARE(dialog.settings().frameRate, 10);
  QVERIFY(hooks.messages.isEmpty());
}

void MainDialogTest::everyTemplateControlHasItsId() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  const gui::DialogUnits& units = dialog.units();
  QCOMPARE(dialog.size(), units.ToPixels(515, 310));
  for (const gui::DialogControl& control : gui::MainDialogTemplate().controls) {
    if (control.id == gui::kNoId) continue;
    QWidget* widget = dialog.item(control.id);
    QVERIFY2(widget != nullptr, qPrintable(QString::number(control.id)));
    QCOMPARE(widget->objectName(), QString("item%1").arg(control.id));
    // The arrows sit inside their buddy's right edge; every other control keeps
    // its template rectangle.
    if (control.id != 1012 && control.id != 1013) {
      QCOMPARE(widget->geometry(),
               units.ToPixels(control.x, control.y, control.width, control.height));
    }
  }
  QVERIFY(qobject_cast<gui::CFramePlayer*>(dialog.item(1022)) != nullptr);
  QCOMPARE(dialog.item(1012)->geometry().right() + 1, dialog.item(1013)->geometry().left());
  QCOMPARE(dialog.item(9999), nullptr);
  QVERIFY(!dialog.OnCommand(9999));
}

void MainDialogTest::openingShowsPropertiesAndStops() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  const QString path = GuiData("props_100x80.gif");
  Open(dialog, hooks, path);
  QVERIFY(hooks.messages.isEmpty());
  QCOMPARE(dialog.State(), State::Stopped);
  QCOMPARE(PropertyRows(dialog),
           (QStringList{"Frame Count=3", "Frame Height=80", "Frame Width=100",
                        QString("Gif Length=%1").arg(QFileInfo(path).size())}));
  QCOMPARE(Text(dialog, 1019), QString("100"));
  QCOMPARE(Text(dialog, 1020), QString("80"));
  QVERIFY(IsChecked(dialog, 1015));
  QCOMPARE(dialog.player()->CaptureWidth(), 100);
  QCOMPARE(dialog.player()->CaptureHeight(), 80);
  QCOMPARE(EnabledIds(dialog), Union(Union(kAlwaysOn, kOptions), {1003}));
  QCOMPARE(Text(dialog, 1011), QString("/3"));
  QCOMPARE(dialog.player()->CurrentIndex(), 0);
  QVERIFY(dialog.playbackTimerActive());

  // Cancelling the open dialog changes nothing.
  Click(dialog, 1005);
  QCOMPARE(dialog.gifPath(), path.toStdString());
  QCOMPARE(PropertyRows(dialog).size(), 4);
}

void MainDialogTest::playsFourFramesThenStopsAtFrameZero() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  Open(dialog, hooks, GuiData("four_frames.gif"));
  QSignalSpy trackbar(qobject_cast<QSlider*>(dialog.item(1010)), &QSlider::valueChanged);
  FrameBoxLog frameBox(dialog);
  Click(dialog, 1003);
  QCOMPARE(dialog.State(), State::Playing);
  QCOMPARE(EnabledIds(dialog), Union(Union(kAlwaysOn, kOptions), {1004}));
  QTRY_COMPARE_WITH_TIMEOUT(dialog.State(), State::Stopped, kSlowMs);
  QTRY_COMPARE_WITH_TIMEOUT(Text(dialog, 1012), QString("0"), kSlowMs);

  QList<int> positions;
  for (const QList<QVariant>& change : trackbar) positions << change.at(0).toInt();
  QCOMPARE(positions, (QList<int>{25, 50, 75, 0}));
  QCOMPARE(frameBox.texts, (QStringList{"1", "2", "3", "0"}));
  QCOMPARE(dialog.player()->CurrentIndex(), 0);
  QVERIFY(!dialog.player()->WorkerRunning());
  QCOMPARE(Text(dialog, 1011), QString("/4"));
}

void MainDialogTest::pauseAtFrameTwoAndStartResumesThere() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  Open(dialog, hooks, GuiData("four_frames.gif"));
  FrameBoxLog frameBox(dialog);
  // Pause the moment the frame box shows 2, inside the tick that shows it.
  bool paused = false;
  QObject context;
  QObject::connect(qobject_cast<QLineEdit*>(dialog.item(1012)), &QLineEdit::textChanged, &context,
                   [&](const QString& text) {
                     if (text == "2" && !paused) {
                       paused = true;
                       Click(dialog, 1004);
                     }
                   });
  Click(dialog, 1003);
  QTRY_VERIFY_WITH_TIMEOUT(paused, kSlowMs);
  QCOMPARE(dialog.State(), State::Stopped);
  QTest::qWait(500);
  QCOMPARE(dialog.player()->CurrentIndex(), 2);
  QCOMPARE(Text(dialog, 1012), QString("2"));

  Click(dialog, 1003);
  QTRY_COMPARE_WITH_TIMEOUT(dialog.State(), State::Stopped, kSlowMs);
  QTRY_COMPARE_WITH_TIMEOUT(Text(dialog, 1012), QString("0"), kSlowMs);
  QCOMPARE(frameBox.texts, (QStringList{"1", "2", "3", "0"}));
}

void MainDialogTest::oneFrameGifStopsWithinATick() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  Open(dialog, hooks, GuiData("one_frame.gif"));
  Click(dialog, 1003);
  QCOMPARE(dialog.State(), State::Playing);
  QVERIFY(!dialog.player()->WorkerRunning());
  QTRY_COMPARE_WITH_TIMEOUT(dialog.State(), State::Stopped, kSlowMs);
  QCOMPARE(dialog.player()->CurrentIndex(), 0);
  QCOMPARE(Text(dialog, 1011), QString("/1"));
}

void MainDialogTest::sizeOptions() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  Open(dialog, hooks, GuiData("size_101x75.gif"));
  struct Row {
    int id;
    int width;
    int height;
  };
  for (const Row& row :
       {Row{1014, 50, 37}, Row{1017, 303, 225}, Row{1016, 202, 150}, Row{1015, 101, 75}}) {
    Click(dialog, row.id);
    QVERIFY(IsChecked(dialog, row.id));
    QCOMPARE(Text(dialog, 1019), QString::number(row.width));
    QCOMPARE(Text(dialog, 1020), QString::number(row.height));
    QCOMPARE(dialog.settings().width, row.width);
    QCOMPARE(dialog.settings().height, row.height);
    QCOMPARE(dialog.player()->CaptureWidth(), row.width);
    QCOMPARE(dialog.player()->CaptureHeight(), row.height);
    QVERIFY(!dialog.item(1019)->isEnabled());
  }
  QVERIFY(hooks.messages.isEmpty());
}

void MainDialogTest::customBoxesOpenOnlyAfterCustom() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  QTemporaryDir out;
  ChooseOutputDir(dialog, hooks, out.path());
  Open(dialog, hooks, GuiData("size_101x75.gif"));
  QVERIFY(!dialog.item(1019)->isEnabled());
  Click(dialog, 1014);

  // A stray file in the temporary frame folder goes with every size option click.
  const QString stray = out.path() + "/quorvex/Temp/stray.jpg";
  QFile(stray).open(QIODevice::WriteOnly);
  QVERIFY(QFileInfo::exists(stray));
  Click(dialog, 1018);
  QVERIFY(!QFileInfo::exists(stray));
  QVERIFY(dialog.item(1019)->isEnabled());
  QVERIFY(dialog.item(1020)->isEnabled());
  QCOMPARE(Text(dialog, 1019), QString("50"));
  QCOMPARE(Text(dialog, 1020), QString("37"));
  QCOMPARE(dialog.settings().sizeMode, core::SizeMode::CustomSize);

  SetText(dialog, 1019, "64");
  LeaveBox(dialog, 1019);
  SetText(dialog, 1020, "48");
  LeaveBox(dialog, 1020);
  QCOMPARE(dialog.player()->CaptureWidth(), 64);
  QCOMPARE(dialog.player()->CaptureHeight(), 48);

  // Another GIF while "Custom" is selected: the typed size stays and becomes the
  // capture size, but the boxes stay closed until "Custom" is clicked again.
  Open(dialog, hooks, GuiData("props_100x80.gif"));
  QVERIFY(IsChecked(dialog, 1018));
  QVERIFY(!dialog.item(1019)->isEnabled());
  QCOMPARE(Text(dialog, 1019), QString("64"));
  QCOMPARE(Text(dialog, 1020), QString("48"));
  QCOMPARE(dialog.player()->CaptureWidth(), 64);
  QCOMPARE(dialog.player()->CaptureHeight(), 48);
  Click(dialog, 1018);
  QVERIFY(dialog.item(1019)->isEnabled());
  QVERIFY(hooks.messages.isEmpty());
}

void MainDialogTest::validation_data() {
  QTest::addColumn<int>("box");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("message");
  QTest::addColumn<int>("stored");

  QTest::newRow("width above 1600") << 1019 << "2000"
                                    << "Please enter an integer between 0 and 1600." << 2000;
  QTest::newRow("width negative") << 1019 << "-1"
                                  << "Please enter an integer between 0 and 1600." << -1;
  QTest::newRow("width letters") << 1019 << "12a"
                                 << "Please enter an integer." << 101;
  QTest::newRow("width empty") << 1019 << ""
                               << "Please enter an integer." << 101;
  QTest::newRow("width at the limit") << 1019 << " 1600 "
                                      << "" << 1600;
  QTest::newRow("height above 1400") << 1020 << "1401"
                                     << "Please enter an integer between 0 and 1400." << 1401;
  QTest::newRow("height zero") << 1020 << "0"
                               << "" << 0;
  QTest::newRow("rate zero") << 1024 << "0"
                             << "Please enter an integer between 1 and 50." << 0;
  QTest::newRow("rate 51") << 1024 << "51"
                           << "Please enter an integer between 1 and 50." << 51;
  QTest::newRow("rate 50") << 1024 << "50"
                           << "" << 50;
  QTest::newRow("rate decimal") << 1024 << "2.5"
                                << "Please enter an integer." << 10;
}

void MainDialogTest::validation() {
  QFETCH(int, box);
  QFETCH(QString, text);
  QFETCH(QString, message);
  QFETCH(int, stored);
  ScriptedHooks hooks;
  CMainDialog dialog;
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  Open(dialog, hooks, GuiData("size_101x75.gif"));
  Click(dialog, 1018);
  dialog.item(box)->setFocus();
  SetText(dialog, box, text);
  LeaveBox(dialog, box);

  QCOMPARE(hooks.messages, message.isEmpty() ? QStringList() : QStringList{message});
  const core::OutputSettings& settings = dialog.settings();
  const int field = box == 1019   ? settings.width
                    : box == 1020 ? settings.height
                                  : settings.frameRate;
  QCOMPARE(field, stored);
  if (!message.isEmpty()) QCOMPARE(QApplication::focusWidget(), dialog.item(box));
  // Leaving a size box sets the capture size to whatever was stored.
  if (box == 1019) QCOMPARE(dialog.player()->CaptureWidth(), stored);
}

void MainDialogTest::validationStopsAtTheFirstFailure() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  Open(dialog, hooks, GuiData("size_101x75.gif"));
  Click(dialog, 1018);
  SetText(dialog, 1019, "x");
  SetText(dialog, 1020, "2000");
  SetText(dialog, 1024, "99");
  LeaveBox(dialog, 1024);
  QCOMPARE(hooks.messages, QStringList{"Please enter an integer."});
  QCOMPARE(dialog.settings().height, 75);
  QCOMPARE(dialog.settings().frameRate, 10);
}

void MainDialogTest::tripleOf600x500ThenLeavingFrameRate() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  Open(dialog, hooks, GuiData("size_600x500.gif"));
  Click(dialog, 1017);
  QCOMPARE(Text(dialog, 1019), QString("1800"));
  QCOMPARE(Text(dialog, 1020), QString("1500"));
  QVERIFY(hooks.messages.isEmpty());
  LeaveBox(dialog, 1024);
  QCOMPARE(hooks.messages, QStringList{"Please enter an integer between 0 and 1600."});
}

void MainDialogTest::convertNeedsADirectory() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  Open(dialog, hooks, GuiData("four_frames.gif"));
  ChooseOutputDir(dialog, hooks, "/");
  QCOMPARE(Text(dialog, 1042), QString("/"));
  Click(dialog, 1008);
  QCOMPARE(hooks.messages, QStringList{"Please select the directory for converted files"});
  QCOMPARE(dialog.State(), State::Stopped);
  QVERIFY(!dialog.player()->CaptureEnabled());
}

void MainDialogTest::convertWritesEveryFrameOnceAndTheCliMovie_data() {
  QTest::addColumn<Qt::WindowState>("window");
  QTest::addColumn<int>("sizeOption");
  QTest::addColumn<QString>("cliSize");
  QTest::newRow("shown, original size") << Qt::WindowActive << 1015 << "original";
  QTest::newRow("never shown, double size") << Qt::WindowNoState << 1016 << "double";
  QTest::newRow("minimised, half size") << Qt::WindowMinimized << 1014 << "half";
}

void MainDialogTest::convertWritesEveryFrameOnceAndTheCliMovie() {
  QFETCH(Qt::WindowState, window);
  QFETCH(int, sizeOption);
  QFETCH(QString, cliSize);
  ScriptedHooks hooks;
  CMainDialog dialog;
  if (window == Qt::WindowActive) {
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  } else if (window == Qt::WindowMinimized) {
    dialog.showMinimized();
  }
  QTemporaryDir out;
  ChooseOutputDir(dialog, hooks, out.path());
  const QString gif = GuiData("ten_frames.gif");
  Open(dialog, hooks, gif);
  Click(dialog, sizeOption);
  SetText(dialog, 1024, "12");
  LeaveBox(dialog, 1024);

  // Pause at frame 5, then convert: the pass still covers frames 0 to 9.
  bool paused = false;
  QObject context;
  QObject::connect(qobject_cast<QLineEdit*>(dialog.item(1012)), &QLineEdit::textChanged, &context,
                   [&](const QString& text) {
                     if (text == "5" && !paused) {
                       paused = true;
                       Click(dialog, 1004);
                     }
                   });
  Click(dialog, 1003);
  QTRY_VERIFY_WITH_TIMEOUT(paused, kSlowMs);
  QCOMPARE(dialog.player()->CurrentIndex(), 5);

  QSignalSpy captured(dialog.player(), &gui::CFramePlayer::frameCaptured);
  Click(dialog, 1008);
  QCOMPARE(dialog.State(), State::Converting);
  QCOMPARE(EnabledIds(dialog), (std::set<int>{1026, 1027, 1033, 1040}));
  QTRY_COMPARE_WITH_TIMEOUT(dialog.State(), State::Stopped, kSlowMs);

  QList<int> order;
  for (const QList<QVariant>& frame : captured) {
    order << frame.at(0).toInt();
    QVERIFY(frame.at(1).toBool());
  }
  QCOMPARE(order, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  for (int i = 0; i < 10; ++i) {
    QVERIFY(QFileInfo::exists(
        out.path() + QString("/quorvex/Temp/ten_frames%1.jpg").arg(i, 5, 10, QLatin1Char('0'))));
  }
  QVERIFY(hooks.messages.isEmpty());
  QCOMPARE(EnabledIds(dialog), Union(Union(kAlwaysOn, kOptions), {1003}));
  QCOMPARE(Trackbar(dialog), 0);
  QCOMPARE(Text(dialog, 1012), QString("0"));
  QCOMPARE(dialog.player()->CurrentIndex(), 0);
  QVERIFY(!dialog.playbackTimerActive());

  const QByteArray movie = ReadAll(out.path() + "/ten_frames.swf");
  QVERIFY(movie.startsWith("FWS\x03"));
  QTemporaryDir cliOut;
  QProcess cli;
  cli.start(QUORVEX_CONVERT_PATH, {"-q", "-o", cliOut.path(), "-s", cliSize, "-r", "12", gif});
  QVERIFY(cli.waitForFinished(kSlowMs));
  QCOMPARE(cli.exitCode(), 0);
  QVERIFY(movie == ReadAll(cliOut.path() + "/ten_frames.swf"));
}

void MainDialogTest::convertIntoAnUnwritableDirectoryReports() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  QTemporaryDir out;
  // A folder path running through a regular file cannot be created, even by root.
  QFile(out.path() + "/blocker").open(QIODevice::WriteOnly);
  Open(dialog, hooks, GuiData("four_frames.gif"));
  ChooseOutputDir(dialog, hooks, out.path() + "/blocker");
  Click(dialog, 1008);
  QTRY_COMPARE_WITH_TIMEOUT(dialog.State(), State::Stopped, kSlowMs);
  QCOMPARE(hooks.messages.size(), 1);
  QVERIFY2(hooks.messages[0].contains(out.path() + "/blocker/quorvex/Temp"),
           qPrintable(hooks.messages[0]));
  QVERIFY2(hooks.messages[0].contains("Not a directory"), qPrintable(hooks.messages[0]));
  QCOMPARE(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
           QStringList{"blocker"});
}

void MainDialogTest::failedMovieLeavesTheEarlierOneUntouched() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  QTemporaryDir out;
  const QString earlier = out.path() + "/one_frame.swf";
  {
    QFile file(earlier);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("earlier movie");
  }
  ChooseOutputDir(dialog, hooks, out.path());
  Open(dialog, hooks, GuiData("one_frame.gif"));
  // A custom width of 0 passes the box's range but makes no movie.
  Click(dialog, 1018);
  SetText(dialog, 1019, "0");
  LeaveBox(dialog, 1019);
  Click(dialog, 1008);
  QTRY_COMPARE_WITH_TIMEOUT(dialog.State(), State::Stopped, kSlowMs);
  QCOMPARE(hooks.messages.size(), 1);
  QVERIFY2(hooks.messages[0].contains(earlier), qPrintable(hooks.messages[0]));
  QCOMPARE(ReadAll(earlier), QByteArray("earlier movie"));
}

void MainDialogTest::openWhilePlayingStopsPlaybackFirst() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  Open(dialog, hooks, GuiData("ten_frames.gif"));
  Click(dialog, 1003);
  QTRY_VERIFY_WITH_TIMEOUT(dialog.player()->CurrentIndex() >= 2, kSlowMs);
  Open(dialog, hooks, GuiData("four_frames.gif"));
  QVERIFY(!dialog.player()->WorkerRunning());
  QCOMPARE(dialog.State(), State::Stopped);
  QCOMPARE(dialog.player()->CurrentIndex(), 0);
  QCOMPARE(Text(dialog, 1011), QString("/4"));
  QCOMPARE(Text(dialog, 1012), QString("0"));
  QCOMPARE(Trackbar(dialog), 0);
  QTest::qWait(300);
  QCOMPARE(dialog.player()->CurrentIndex(), 0);
  QVERIFY(hooks.messages.isEmpty());
}

void MainDialogTest::openUndecodableFileReports_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<bool>("openFirst");
  QTest::newRow("truncated, nothing open") << "truncated.gif" << false;
  QTest::newRow("not a GIF, after a good one") << "not_a_gif.gif" << true;
  QTest::newRow("missing file") << "no_such_file.gif" << true;
}

void MainDialogTest::openUndecodableFileReports() {
  QFETCH(QString, file);
  QFETCH(bool, openFirst);
  ScriptedHooks hooks;
  CMainDialog dialog;
  if (openFirst) {
    Open(dialog, hooks, GuiData("four_frames.gif"));
    Click(dialog, 1003);
  }
  const QString path = GuiData(file.toLatin1().constData());
  Open(dialog, hooks, path);
  QCOMPARE(hooks.messages.size(), 1);
  QVERIFY2(hooks.messages[0].contains(path), qPrintable(hooks.messages[0]));
  QCOMPARE(dialog.State(), State::Empty);
  QCOMPARE(EnabledIds(dialog), kAlwaysOn);
  QCOMPARE(PropertyRows(dialog), QStringList());
  QCOMPARE(Text(dialog, 1011), QString("/0"));
  QVERIFY(!dialog.player()->WorkerRunning());
  QVERIFY(!dialog.playbackTimerActive());
  // Nothing left to play or convert, and the preview still paints.
  Click(dialog, 1003);
  Click(dialog, 1008);
  QCOMPARE(dialog.State(), State::Empty);
  QVERIFY(!dialog.player()->grab().isNull());
}

void MainDialogTest::contextMenuFromKeyboardAndMouse() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  QStringList entries;
  QPoint shownAt;
  const auto inspectAndChooseFirst = [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu != nullptr);
    shownAt = menu->pos();
    entries.clear();
    for (const QAction* action : menu->actions()) entries << action->text();
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
  };

  // A keyboard request (the menu key) on a button: 5 pixels right of and below the
  // client area's corner.
  QTimer::singleShot(0, inspectAndChooseFirst);
  QContextMenuEvent fromKeyboard(QContextMenuEvent::Keyboard, QPoint(0, 0),
                                 dialog.item(1005)->mapToGlobal(QPoint(0, 0)));
  QApplication::sendEvent(dialog.item(1005), &fromKeyboard);
  QCOMPARE(entries, (QStringList{"ExportSingle", "Export BMP Sequences", "Export Tga Sequences"}));
  QCOMPARE(shownAt, dialog.mapToGlobal(QPoint(5, 5)));
  QCOMPARE(hooks.messages, QStringList{"No gif files!"});

  // Shift+F10 typed while a button has the focus: the same place.
  shownAt = QPoint();
  QTimer::singleShot(0, inspectAndChooseFirst);
  QTest::keyClick(dialog.item(1005), Qt::Key_F10, Qt::ShiftModifier);
  QCOMPARE(shownAt, dialog.mapToGlobal(QPoint(5, 5)));
  QCOMPARE(hooks.messages.size(), 2);

  // A right click on the preview: at the cursor.
  QTimer::singleShot(0, inspectAndChooseFirst);
  const QPoint inPreview(40, 30);
  QContextMenuEvent fromMouse(QContextMenuEvent::Mouse, inPreview,
                              dialog.item(1022)->mapToGlobal(inPreview));
  QApplication::sendEvent(dialog.item(1022), &fromMouse);
  QCOMPARE(shownAt, dialog.item(1022)->mapToGlobal(inPreview));
  QCOMPARE(hooks.messages.size(), 3);
}

void MainDialogTest::exportSingle() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  QTemporaryDir out;
  QVERIFY(dialog.OnCommand(32771));
  QCOMPARE(hooks.messages, QStringList{"No gif files!"});
  QVERIFY(hooks.saveFilters.isEmpty());

  Open(dialog, hooks, GuiData("four_frames.gif"));
  Click(dialog, 1016);
  // A name typed without an extension under the PNG filter gets ".png".
  hooks.savePaths.push_back(gui::SaveChoice{out.path() + "/frame", 4, false});
  QVERIFY(dialog.OnCommand(32771));
  QCOMPARE(hooks.saveFilters.size(), 5);
  QCOMPARE(QString::fromStdString(dialog.singleExportPath()), out.path() + "/frame.png");
  QCOMPARE(QImage(out.path() + "/frame.png").size(), QSize(80, 80));
  // The held frame keeps its size.
  QCOMPARE(dialog.player()->store().frames().At(0)->Width(), 40);

  // Cancelled: nothing happens.
  QVERIFY(dialog.OnCommand(32771));
  QCOMPARE(hooks.messages.size(), 1);

  // An extension no writer knows: the failure names the path.
  hooks.savePaths.push_back(gui::SaveChoice{out.path() + "/frame.xyz", 1, true});
  QVERIFY(dialog.OnCommand(32771));
  QCOMPARE(hooks.messages.size(), 2);
  QVERIFY2(hooks.messages[1].contains(out.path() + "/frame.xyz"), qPrintable(hooks.messages[1]));
  QVERIFY(!QFileInfo::exists(out.path() + "/frame.xyz"));
}

void MainDialogTest::browseOutputDir() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  const QString before = Text(dialog, 1042);
  Click(dialog, 1040);
  QCOMPARE(hooks.directoryTitles, QStringList{"Open"});
  QCOMPARE(Text(dialog, 1042), before);

  ChooseOutputDir(dialog, hooks, "/tmp/some where");
  QCOMPARE(Text(dialog, 1042), QString("/tmp/some where/"));
  QCOMPARE(dialog.settings().outputDirectory, std::string("/tmp/some where/"));
  ChooseOutputDir(dialog, hooks, "/");
  QCOMPARE(Text(dialog, 1042), QString("/"));
  QCOMPARE(dialog.settings().outputDirectory, std::string("/"));
}

void MainDialogTest::helpOpensTheHelpFileQuietly() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  Click(dialog, 1027);
  QCOMPARE(hooks.opened, QStringList{QDir::current().absoluteFilePath("quorvexhelp.chm")});
  QVERIFY(hooks.messages.isEmpty());
}

void MainDialogTest::aboutUsShowsTheAboutBox() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  QString title;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    QVERIFY(box != nullptr);
    title = box->windowTitle();
    qobject_cast<QDialog*>(box)->reject();
  });
  Click(dialog, 1026);
  QCOMPARE(title, QString("About Quorvex 1.0"));
}

void MainDialogTest::closingWhilePlayingEndsTheWorker() {
  ScriptedHooks hooks;
  {
    CMainDialog dialog;
    dialog.show();
    Open(dialog, hooks, GuiData("ten_frames.gif"));
    Click(dialog, 1003);
    QTRY_VERIFY_WITH_TIMEOUT(dialog.player()->WorkerRunning(), kSlowMs);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.player()->WorkerRunning());
  }
  {
    // Destroyed while the worker runs: it ends before the frames go.
    CMainDialog dialog;
    Open(dialog, hooks, GuiData("ten_frames.gif"));
    Click(dialog, 1003);
    QVERIFY(dialog.player()->WorkerRunning());
  }
  {
    CMainDialog dialog;
    dialog.show();
    Open(dialog, hooks, GuiData("four_frames.gif"));
    Click(dialog, 1003);
    Click(dialog, 1033);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    QVERIFY(!dialog.player()->WorkerRunning());
  }
  QVERIFY(hooks.messages.isEmpty());
}

void MainDialogTest::screenshotWithAGifOpen() {
  ScriptedHooks hooks;
  CMainDialog dialog;
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  Open(dialog, hooks, QStringLiteral(QUORVEX_SAMPLE_GIF));
  QVERIFY(hooks.messages.isEmpty());
  const QImage shot = dialog.grab().toImage();
  QCOMPARE(shot.size(), dialog.size());
  // The preview holds the first frame, not the dialog's background.
  const QRect preview = dialog.item(1022)->geometry();
  const QRgb background = shot.pixel(2, 2);
  QVERIFY(shot.pixel(preview.center()) != background);
  QVERIFY(shot.save("window.png"));
}

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
