// The main window driven through its control ids, with every dialog answered by
// scripted hooks.
#include "app/gui/main_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "app/core/convert.h"
#include "app/gui/control_ids.h"
#include "app/gui/converter_app.h"
#include "app/gui/dialog_template.h"
#include "app/gui/frame_player.h"
#include "app/gui/skin.h"
#include "common/test_gif.h"
#include "gui/window_test_support.h"

using gui::CMainDialog;
using enum gui::ControlId;
using gui_test::GuiData;
using gui_test::Le32;
using gui_test::ReadAll;
using testutil::FilledFrame;
using testutil::MakeGif;
using State = CMainDialog::WindowState;

namespace {

// Generous: the worker's 100 ms steps stretch on a loaded machine under sanitizers.
constexpr int kSlowMs = 60000;

// Ids whose enabled state the window states decide, and those on in each state.
const std::set<int> kStatefulIds = {
    StartButton,      PauseButton,    OpenFileButton,     ExportBmpButton,  ExportTgaButton,
    ConvertButton,    HalfSizeOption, OriginalSizeOption, DoubleSizeOption, TripleSizeOption,
    CustomSizeOption, CustomWidthBox, CustomHeightBox,    FrameRateBox,     AboutButton,
    HelpButton,       ExitButton,     BrowseOutputButton};
const std::set<int> kEmpty = {OpenFileButton, AboutButton, HelpButton, ExitButton,
                              BrowseOutputButton};
// With a GIF open and no conversion running; Start or Pause come on top.
const std::set<int> kWithGif = {
    OpenFileButton,     ExportBmpButton,  ExportTgaButton,  ConvertButton,     HalfSizeOption,
    OriginalSizeOption, DoubleSizeOption, TripleSizeOption, CustomSizeOption,  FrameRateBox,
    AboutButton,        HelpButton,       ExitButton,       BrowseOutputButton};

std::set<int> With(std::set<int> ids, int id) {
  ids.insert(id);
  return ids;
}

// The movie the streaming conversion makes of `gif` with `settings`.
QByteArray StreamedMovie(const QString& gif, core::OutputSettings settings) {
  QTemporaryDir out;
  settings.outputDirectory = out.path().toStdString() + "/";
  core::ConvertRequest request;
  request.gifPath = gif.toStdString();
  request.settings = settings;
  const core::MovieResult result = core::convertGif(request, {});
  return result.status ? ReadAll(QString::fromStdString(result.outputPath)) : QByteArray();
}

}  // namespace

class MainDialogTest : public QObject {
  Q_OBJECT

  std::optional<gui_test::ScriptedHooks> hooks;
  std::unique_ptr<CMainDialog> window;
  // The home folder of every test, so the default output folder is a scratch one.
  QTemporaryDir home;

  QWidget* Item(int id) { return window->item(id); }
  void Click(int id) { qobject_cast<QAbstractButton*>(Item(id))->click(); }
  QString Text(int id) {
    if (auto* edit = qobject_cast<QLineEdit*>(Item(id))) return edit->text();
    return qobject_cast<QLabel*>(Item(id))->text();
  }
  // The width and height boxes as "width x height".
  QString SizeBoxes() { return Text(CustomWidthBox) + "x" + Text(CustomHeightBox); }
  QString CaptureSize() {
    return QString("%1x%2")
        .arg(window->player()->CaptureWidth())
        .arg(window->player()->CaptureHeight());
  }
  bool IsChecked(int id) { return qobject_cast<QRadioButton*>(Item(id))->isChecked(); }
  int Trackbar() { return qobject_cast<QSlider*>(Item(PositionTrackbar))->value(); }
  // Types `text` into box `id`, which then loses the focus to another control.
  void Type(int id, const QString& text) {
    qobject_cast<QLineEdit*>(Item(id))->setText(text);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(Item(id), &focusOut);
  }
  // Opens `path` and waits until its frames are decoded.
  void Open(const QString& path) {
    hooks->gifFiles.emplace_back(path);
    Click(OpenFileButton);
    QTRY_VERIFY_WITH_TIMEOUT(window->windowState() != State::Loading, kSlowMs);
  }
  // Writes a GIF built in memory under the home folder and returns its path.
  QString WriteGif(const QString& name, const std::vector<uint8_t>& bytes) {
    const QString path = home.filePath(name);
    QFile file(path);
    [&] { QVERIFY(file.open(QIODevice::WriteOnly)); }();
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
  }
  // Converts with the current settings into `folder` and returns the movie.
  QByteArray Convert(const QString& folder, const QString& gifName) {
    Click(ConvertButton);
    [&] { QTRY_COMPARE_WITH_TIMEOUT(window->windowState(), State::Stopped, kSlowMs); }();
    return ReadAll(folder + "/" + gifName + ".swf");
  }
  void ChooseOutputDir(const QString& path) {
    hooks->directories.emplace_back(path);
    Click(BrowseOutputButton);
  }
  void Show() {
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }
  std::set<int> EnabledIds() {
    std::set<int> enabled;
    for (const int id : kStatefulIds) {
      if (Item(id)->isEnabled()) enabled.insert(id);
    }
    return enabled;
  }
  QStringList PropertyRows() {
    auto* list = qobject_cast<QTreeWidget*>(Item(PropertyList));
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      rows << list->topLevelItem(i)->text(0) + "=" + list->topLevelItem(i)->text(1);
    }
    return rows;
  }
  // Starts playback from the current frame; Pause is clicked the first time the
  // frame box shows `pauseAt`, inside the tick that shows it. Returns every text
  // the frame box shows until the window is Stopped again and shows its frame.
  // Only the worker moves the position or writes a frame: with it stopped, nothing does once
  // what is queued has been delivered.
  void ExpectNothingMoves() {
    QVERIFY(!window->player()->WorkerRunning());
    QCoreApplication::processEvents();
  }
  QStringList PlayUntilStopped(const QString& pauseAt = QString()) {
    QStringList texts;
    QObject context;
    connect(qobject_cast<QLineEdit*>(Item(FrameNumberBox)), &QLineEdit::textChanged, &context,
            [&](const QString& text) {
              texts << text;
              if (text == pauseAt) Click(PauseButton);
            });
    Click(StartButton);
    [&] {
      QTRY_COMPARE_WITH_TIMEOUT(window->windowState(), State::Stopped, kSlowMs);
      // The frame the worker stopped at shows with the next tick.
      QTRY_COMPARE_WITH_TIMEOUT(Text(FrameNumberBox),
                                QString::number(window->player()->CurrentIndex()), kSlowMs);
    }();
    return texts;
  }

 private slots:
  void initTestCase() {
    // Themed as the program themes itself, so the screenshot shows the real look.
    QVERIFY(gui::applySkin(gui::kSkinName));
    QVERIFY(home.isValid());
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
  }
  void init() {
    hooks.emplace();
    window = std::make_unique<CMainDialog>();
  }
  void cleanup() {
    window.reset();
    hooks.reset();
  }

  void startsEmpty() {
    QCOMPARE(window->windowTitle(), QString("Quorvex 1.0 Convert Gif File To Flash File"));
    QCOMPARE(window->windowState(), State::Empty);
    QCOMPARE(EnabledIds(), kEmpty);
    QVERIFY(!Item(PositionTrackbar)->isEnabled() && !Item(OutputDirectoryBox)->isEnabled());
    QVERIFY(Item(ExportBmpButton)->isHidden() && Item(ExportTgaButton)->isHidden());
    QCOMPARE(Text(FrameCountLabel) + " " + Text(FrameNumberBox), QString("/0 0"));
    QCOMPARE(SizeBoxes() + " " + Text(FrameRateBox), QString("0x0 10"));
    QVERIFY(IsChecked(OriginalSizeOption));
    QVERIFY(!window->playbackTimerActive());
    // The output folder is the home folder until a Videos folder exists.
    QCOMPARE(Text(OutputDirectoryBox), home.path() + "/");
    QCOMPARE(QString::fromStdString(window->settings().outputDirectory), home.path() + "/");
    QVERIFY(QDir(home.path()).mkdir("Videos"));
    QCOMPARE(qobject_cast<QLineEdit*>(CMainDialog().item(OutputDirectoryBox))->text(),
             home.path() + "/Videos/");
    QVERIFY(QDir(home.filePath("Videos")).removeRecursively());
    auto* list = qobject_cast<QTreeWidget*>(Item(PropertyList));
    QCOMPARE(list->columnCount(), 2);
    QCOMPARE(list->headerItem()->text(0) + " " + list->headerItem()->text(1),
             QString("Property Value"));
    QCOMPARE(QSize(list->columnWidth(0), list->columnWidth(1)), QSize(140, 110));
    QCOMPARE(list->topLevelItemCount(), 0);
    // Every template control is reached by its own id.
    std::set<int> ids;
    for (const gui::DialogControl& control : gui::mainDialogTemplate().controls) {
      if (control.id == gui::kNoId) continue;
      QVERIFY2(ids.insert(control.id).second, qPrintable(QString::number(control.id)));
      QCOMPARE(Item(control.id)->objectName(), QString("item%1").arg(control.id));
    }
    QCOMPARE(ids.size(), size_t{25});
    QCOMPARE(Item(9999), nullptr);
    QVERIFY(!window->OnCommand(9999));
  }

  void openingShowsPropertiesAndStops() {
    const QString path = GuiData("props_100x80.gif");
    Open(path);
    QVERIFY(hooks->messages.isEmpty());
    QCOMPARE(window->windowState(), State::Stopped);
    QCOMPARE(PropertyRows(), (QStringList{"Frame Count=3", "Frame Height=80", "Frame Width=100",
                                          QString("Gif Length=%1").arg(QFileInfo(path).size())}));
    QCOMPARE(SizeBoxes(), QString("100x80"));
    QVERIFY(IsChecked(OriginalSizeOption));
    QCOMPARE(CaptureSize(), QString("100x80"));
    QCOMPARE(EnabledIds(), With(kWithGif, StartButton));
    QCOMPARE(Text(FrameCountLabel), QString("/3"));
    // Cancelling the open dialog changes nothing.
    Click(OpenFileButton);
    QCOMPARE(window->gifPath(), path.toStdString());
    QCOMPARE(PropertyRows().size(), 4);
  }

  void playsFourFramesFromZeroPausesAndResumes() {
    Open(GuiData("four_frames.gif"));
    QSignalSpy trackbar(qobject_cast<QSlider*>(Item(PositionTrackbar)), &QSlider::valueChanged);
    QTimer::singleShot(0, this, [this] {
      QCOMPARE(window->windowState(), State::Playing);
      QCOMPARE(EnabledIds(), With(kWithGif, PauseButton));
    });
    // Every frame shown once, then back to frame 0, stopped.
    QCOMPARE(PlayUntilStopped(), (QStringList{"1", "2", "3", "0"}));
    QList<int> positions;
    for (const QList<QVariant>& change : trackbar) positions << change.at(0).toInt();
    QCOMPARE(positions, (QList<int>{25, 50, 75, 0}));
    QVERIFY(!window->player()->WorkerRunning());
    // Paused at frame 2, it stays there; Start resumes from it.
    QCOMPARE(PlayUntilStopped("2"), (QStringList{"1", "2"}));
    ExpectNothingMoves();
    QCOMPARE(window->player()->CurrentIndex(), 2);
    QCOMPARE(PlayUntilStopped(), (QStringList{"3", "0"}));
  }

  void oneFrameGifStopsWithinATick() {
    Open(GuiData("one_frame.gif"));
    Click(StartButton);
    QCOMPARE(window->windowState(), State::Playing);
    QVERIFY(!window->player()->WorkerRunning());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowState(), State::Stopped, kSlowMs);
    QCOMPARE(window->player()->CurrentIndex(), 0);
  }

  void sizeOptionsAndCustomBoxes() {
    QTemporaryDir out;
    ChooseOutputDir(out.path());
    Open(GuiData("size_101x75.gif"));
    const std::pair<int, QString> options[] = {{TripleSizeOption, "303x225"},
                                               {DoubleSizeOption, "202x150"},
                                               {OriginalSizeOption, "101x75"},
                                               {HalfSizeOption, "50x37"}};
    for (const auto& [id, size] : options) {
      Click(id);
      QVERIFY(IsChecked(id));
      QCOMPARE(SizeBoxes(), size);
      QCOMPARE(QString("%1x%2").arg(window->settings().width).arg(window->settings().height), size);
      QCOMPARE(CaptureSize(), size);
      QVERIFY(!Item(CustomWidthBox)->isEnabled());
    }
    // "Custom" opens the boxes with the last size and, like every size option,
    // empties the temporary frame folder.
    const QString stray = out.path() + "/quorvex/Temp/stray.jpg";
    QFile(stray).open(QIODevice::WriteOnly);
    Click(CustomSizeOption);
    QVERIFY(!QFileInfo::exists(stray));
    QVERIFY(Item(CustomWidthBox)->isEnabled() && Item(CustomHeightBox)->isEnabled());
    QCOMPARE(SizeBoxes(), QString("50x37"));
    Type(CustomWidthBox, "64");
    Type(CustomHeightBox, "48");
    QCOMPARE(CaptureSize(), QString("64x48"));
    // Another GIF keeps the typed size; the boxes open only on another "Custom".
    Open(GuiData("props_100x80.gif"));
    QVERIFY(IsChecked(CustomSizeOption) && !Item(CustomWidthBox)->isEnabled());
    QCOMPARE(SizeBoxes() + " " + CaptureSize(), QString("64x48 64x48"));
    Click(CustomSizeOption);
    QVERIFY(Item(CustomWidthBox)->isEnabled());
    QVERIFY(hooks->messages.isEmpty());
  }

  void validation_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("stored");
    const QString width = "Please enter an integer between 0 and 1600.";
    const QString rate = "Please enter an integer between 1 and 50.";
    const QString integer = "Please enter an integer.";
    QTest::newRow("width at the limit") << int{CustomWidthBox} << " 1600 " << QString() << 1600;
    QTest::newRow("width above") << int{CustomWidthBox} << "1601" << width << 1601;
    QTest::newRow("width letters") << int{CustomWidthBox} << "12a" << integer << 101;
    QTest::newRow("height zero") << int{CustomHeightBox} << "0" << QString() << 0;
    QTest::newRow("height above") << int{CustomHeightBox} << "1401"
                                  << "Please enter an integer between 0 and 1400." << 1401;
    QTest::newRow("rate zero") << int{FrameRateBox} << "0" << rate << 0;
    QTest::newRow("rate 50") << int{FrameRateBox} << "50" << QString() << 50;
    QTest::newRow("rate 51") << int{FrameRateBox} << "51" << rate << 51;
    QTest::newRow("rate decimal") << int{FrameRateBox} << "2.5" << integer << 10;
  }
  void validation() {
    QFETCH(int, box);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(int, stored);
    Show();
    Open(GuiData("size_101x75.gif"));
    Click(CustomSizeOption);
    Item(box)->setFocus();
    Type(box, text);
    QCOMPARE(hooks->messages, message.isEmpty() ? QStringList() : QStringList{message});
    // The value is stored before its range is checked, and the focus goes back.
    const core::OutputSettings& settings = window->settings();
    QCOMPARE(box == CustomWidthBox    ? settings.width
             : box == CustomHeightBox ? settings.height
                                      : settings.frameRate,
             stored);
    if (!message.isEmpty()) QCOMPARE(QApplication::focusWidget(), Item(box));
    if (box == CustomWidthBox) QCOMPARE(window->player()->CaptureWidth(), stored);
  }

  void validationStopsAtTheFirstFailure() {
    Open(GuiData("size_101x75.gif"));
    Click(CustomSizeOption);
    qobject_cast<QLineEdit*>(Item(CustomWidthBox))->setText("x");
    qobject_cast<QLineEdit*>(Item(CustomHeightBox))->setText("2000");
    Type(FrameRateBox, "99");
    QCOMPARE(hooks->messages, QStringList{"Please enter an integer."});
    QCOMPARE(window->settings().height, 75);
    QCOMPARE(window->settings().frameRate, 10);
  }

  void tripleOf600x500IsConvertedAfterTheRangeMessage() {
    QTemporaryDir out;
    ChooseOutputDir(out.path());
    const QString gif = GuiData("size_600x500.gif");
    Open(gif);
    Click(TripleSizeOption);
    QCOMPARE(SizeBoxes(), QString("1800x1500"));
    QVERIFY(hooks->messages.isEmpty());
    Type(FrameRateBox, "10");
    QCOMPARE(hooks->messages, QStringList{"Please enter an integer between 0 and 1600."});
    // The message only informs: a size option's size is the movie's.
    Click(ConvertButton);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowState(), State::Stopped, kSlowMs);
    QCOMPARE(hooks->messages.size(), 1);
    const QByteArray movie = ReadAll(out.path() + "/size_600x500.swf");
    QVERIFY(movie.startsWith("FWS\x03"));
    QVERIFY(movie == StreamedMovie(gif, window->settings()));
  }

  void impossibleSizesAreReportedBeforeTheCapturePass() {
    QTemporaryDir out;
    const QString earlier = out.path() + "/one_frame.swf";
    QFile file(earlier);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("earlier movie") > 0);
    file.close();
    ChooseOutputDir(out.path());
    Open(GuiData("one_frame.gif"));
    Click(CustomSizeOption);
    Type(CustomWidthBox, "0");
    Type(CustomHeightBox, "0");
    QSignalSpy captured(window->player(), &gui::CFramePlayer::frameCaptured);
    Click(ConvertButton);
    QCOMPARE(hooks->messages,
             QStringList{"The movie " + earlier + " was not written.\nwidth 0 is below 1"});
    QCOMPARE(window->windowState(), State::Stopped);
    QVERIFY(!window->player()->CaptureEnabled());
    ExpectNothingMoves();
    QCOMPARE(captured.count(), 0);
    QVERIFY(QDir(out.path() + "/quorvex/Temp").entryList(QDir::Files).isEmpty());
    QCOMPARE(ReadAll(earlier), QByteArray("earlier movie"));
    // A typed size beyond the box's range is kept once the message is dismissed, and the
    // movie is made at that size.
    Type(CustomHeightBox, "80");
    Type(CustomWidthBox, "1601");
    QCOMPARE(hooks->messages.mid(1), QStringList{"Please enter an integer between 0 and 1600."});
    Click(ConvertButton);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowState(), State::Stopped, kSlowMs);
    QCOMPARE(hooks->messages.size(), 2);
    QVERIFY(ReadAll(earlier) == StreamedMovie(GuiData("one_frame.gif"), window->settings()));
  }

  void decodingKeepsTheWindowResponsiveAndCanBeAbandoned() {
    // Large enough to take a while to decode.
    const QString big =
        WriteGif("big.gif", MakeGif(1000, 1000, std::vector(6, FilledFrame(1000, 1000, 7))));
    int ticksWhileLoading = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
      if (window->windowState() == State::Loading) ++ticksWhileLoading;
    });
    timer.start(1);
    hooks->gifFiles.emplace_back(big);
    Click(OpenFileButton);
    QCOMPARE(window->windowState(), State::Loading);
    QCOMPARE(EnabledIds(), kEmpty);
    QCOMPARE(window->cursor().shape(), Qt::BusyCursor);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowState(), State::Stopped, kSlowMs);
    QVERIFY(ticksWhileLoading > 0);
    QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(Text(FrameCountLabel), QString("/6"));
    // Another GIF chosen during a decode replaces it, and the abandoned one never shows.
    hooks->gifFiles.emplace_back(big);
    Click(OpenFileButton);
    Open(GuiData("four_frames.gif"));
    // The end of the abandoned decode, had it been queued, would arrive now.
    QCoreApplication::processEvents();
    QCOMPARE(Text(FrameCountLabel) + " " + PropertyRows().first(), QString("/4 Frame Count=4"));
    // Closing during a decode abandons it.
    hooks->gifFiles.emplace_back(big);
    Click(OpenFileButton);
    Click(ExitButton);
    QVERIFY(!window->isVisible());
    QVERIFY(hooks->messages.isEmpty());
  }

  void truncatedGifOpensWithItsCompleteFrames() {
    std::vector<uint8_t> cut = MakeGif(8, 8, std::vector(3, FilledFrame(8, 8, 4)));
    cut.resize(cut.size() - 8);
    const QString path = WriteGif("cut.gif", cut);
    Open(path);
    QCOMPARE(hooks->messages,
             QStringList{path + ": the file ends early; only its 2 complete frames are used"});
    QCOMPARE(window->windowState(), State::Stopped);
    QCOMPARE(Text(FrameCountLabel), QString("/2"));
  }

  void previewShowsTransparentPixelsOverWhite() {
    Show();
    // A 2 x 2 picture of palette entry 9 in the corner of a 4 x 4 screen: the rest is
    // transparent.
    Open(WriteGif("corner.gif", MakeGif(4, 4, {{0, 0, 2, 2, std::vector<uint8_t>(4, 9)}})));
    const QImage shot = window->player()->grab().toImage();
    const std::array<uint8_t, 3> entry = testutil::TestPaletteColour(9);
    QCOMPARE(shot.pixel(shot.width() / 8, shot.height() / 8), qRgb(entry[0], entry[1], entry[2]));
    QCOMPARE(shot.pixel(shot.width() * 7 / 8, shot.height() * 7 / 8), qRgb(255, 255, 255));
  }

  void everyConversionEqualsTheStreamingMovie() {
    // Into the default folder, at several sizes in a row and the same size twice:
    // the frames held are never changed by a conversion.
    const QString gif = GuiData("size_101x75.gif");
    Open(gif);
    QByteArray original;
    for (const int option :
         {HalfSizeOption, OriginalSizeOption, OriginalSizeOption, DoubleSizeOption}) {
      Click(option);
      const QByteArray movie = Convert(home.path(), "size_101x75");
      QVERIFY(movie.startsWith("FWS\x03"));
      QVERIFY(movie == StreamedMovie(gif, window->settings()));
      if (option == OriginalSizeOption && !original.isEmpty()) QVERIFY(movie == original);
      if (option == OriginalSizeOption) original = movie;
    }
    QCOMPARE(window->player()->store().frames().At(0)->Width(), 101);
    QVERIFY(hooks->messages.isEmpty());
  }

  void convertWritesEveryFrameOnceAndTheStreamingMovie_data() {
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<int>("sizeOption");
    QTest::newRow("shown, original size") << false << int{OriginalSizeOption};
    // No paint comes: the capture step writes the frames itself.
    QTest::newRow("minimised, half size") << true << int{HalfSizeOption};
  }
  void convertWritesEveryFrameOnceAndTheStreamingMovie() {
    QFETCH(bool, minimised);
    QFETCH(int, sizeOption);
    if (minimised) {
      window->showMinimized();
    } else {
      Show();
    }
    QTemporaryDir out;
    ChooseOutputDir(out.path());
    const QString gif = GuiData("ten_frames.gif");
    Open(gif);
    Click(sizeOption);
    Type(FrameRateBox, "12");
    // Paused at frame 5, the pass still covers frames 0 to 9.
    PlayUntilStopped("5");
    QCOMPARE(window->player()->CurrentIndex(), 5);
    QSignalSpy captured(window->player(), &gui::CFramePlayer::frameCaptured);
    Click(ConvertButton);
    QCOMPARE(window->windowState(), State::Converting);
    QCOMPARE(EnabledIds(),
             (std::set<int>{AboutButton, HelpButton, ExitButton, BrowseOutputButton}));
    QTRY_COMPARE_WITH_TIMEOUT(window->windowState(), State::Stopped, kSlowMs);
    QList<int> order;
    for (const QList<QVariant>& frame : captured) {
      order << frame.at(0).toInt();
      QVERIFY(frame.at(1).toBool());
    }
    QCOMPARE(order, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    const QStringList frames = QDir(out.path() + "/quorvex/Temp").entryList(QDir::Files);
    QCOMPARE(frames.size(), 10);
    QCOMPARE(frames.first() + " " + frames.last(),
             QString("ten_frames00000.jpg ten_frames00009.jpg"));
    QVERIFY(hooks->messages.isEmpty());
    QCOMPARE(EnabledIds(), With(kWithGif, StartButton));
    QCOMPARE(QString::number(Trackbar()) + " " + Text(FrameNumberBox), QString("0 0"));
    QVERIFY(!window->playbackTimerActive());
    // The streaming conversion with the same settings writes the same bytes.
    const QByteArray movie = ReadAll(out.path() + "/ten_frames.swf");
    QVERIFY(movie.startsWith("FWS\x03"));
    QVERIFY(movie == StreamedMovie(gif, window->settings()));
  }

  void convertIntoAMissingOrUnwritableDirectoryReports() {
    Open(GuiData("four_frames.gif"));
    ChooseOutputDir("/");
    QCOMPARE(Text(OutputDirectoryBox), QString("/"));
    Click(ConvertButton);
    QCOMPARE(hooks->messages, QStringList{"Please select the directory for converted files"});
    QCOMPARE(window->windowState(), State::Stopped);
    QVERIFY(!window->player()->CaptureEnabled());
    // A folder path running through a regular file cannot be created, even by root.
    QTemporaryDir out;
    QFile(out.path() + "/blocker").open(QIODevice::WriteOnly);
    ChooseOutputDir(out.path() + "/blocker");
    // Reported at once, before any frame is written; the exports check their folder too.
    QSignalSpy captured(window->player(), &gui::CFramePlayer::frameCaptured);
    Click(ConvertButton);
    QCOMPARE(window->windowState(), State::Stopped);
    Click(ExportBmpButton);
    QCOMPARE(hooks->messages.size(), 3);
    QCOMPARE(hooks->messages[1], "The movie " + out.path() + "/blocker/four_frames.swf" +
                                     " was not written.\ncannot create directory " + out.path() +
                                     "/blocker/quorvex/Temp/: Not a directory");
    QCOMPARE(hooks->messages[2], "The frames were not exported.\ncannot create directory " +
                                     out.path() + "/blocker/quorvex/: Not a directory");
    QCoreApplication::processEvents();
    QCOMPARE(captured.count(), 0);
    QCOMPARE(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{"blocker"});
  }

  void openWhilePlayingStopsPlaybackFirst() {
    Open(GuiData("ten_frames.gif"));
    Click(StartButton);
    QTRY_VERIFY_WITH_TIMEOUT(window->player()->CurrentIndex() >= 2, kSlowMs);
    Open(GuiData("four_frames.gif"));
    QVERIFY(!window->player()->WorkerRunning());
    QCOMPARE(window->windowState(), State::Stopped);
    QCOMPARE(Text(FrameCountLabel) + " " + Text(FrameNumberBox) + " " + QString::number(Trackbar()),
             QString("/4 0 0"));
    ExpectNothingMoves();
    QCOMPARE(window->player()->CurrentIndex(), 0);
    QVERIFY(hooks->messages.isEmpty());
  }

  void openUndecodableFileReports_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("playingFirst");
    QTest::newRow("truncated, nothing open") << "truncated.gif" << false;
    QTest::newRow("not a GIF, while another plays") << "not_a_gif.gif" << true;
    QTest::newRow("missing file") << "no_such_file.gif" << true;
  }
  void openUndecodableFileReports() {
    QFETCH(QString, file);
    QFETCH(bool, playingFirst);
    if (playingFirst) {
      Open(GuiData("four_frames.gif"));
      Click(StartButton);
    }
    Open(GuiData(file));
    QCOMPARE(hooks->messages.size(), 1);
    QVERIFY2(hooks->messages[0].contains(GuiData(file)), qPrintable(hooks->messages[0]));
    QCOMPARE(window->windowState(), State::Empty);
    QCOMPARE(EnabledIds(), kEmpty);
    QCOMPARE(PropertyRows(), QStringList());
    QCOMPARE(Text(FrameCountLabel), QString("/0"));
    QVERIFY(!window->player()->WorkerRunning() && !window->playbackTimerActive());
    // Nothing left to play or convert, and the preview still paints.
    Click(StartButton);
    Click(ConvertButton);
    QCOMPARE(window->windowState(), State::Empty);
    QVERIFY(!window->player()->grab().isNull());
  }

  void contextMenuFromKeyboardAndMouse() {
    Show();
    // Where `open` shows the menu; its first entry, "ExportSingle", is chosen.
    const auto menuPlace = [](const std::function<void()>& open) {
      QPoint shownAt;
      QTimer::singleShot(0, [&shownAt] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        shownAt = menu->pos();
        QCOMPARE(menu->actions().size(), 3);
        QCOMPARE(menu->actions()[2]->text(), QString("Export Tga Sequences"));
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
      });
      open();
      return shownAt;
    };
    // From the keyboard (the menu key, Shift+F10): 5 pixels inside the client area.
    const QPoint corner = window->mapToGlobal(QPoint(5, 5));
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, {},
                              Item(OpenFileButton)->mapToGlobal(QPoint()));
    QCOMPARE(menuPlace([&] { QApplication::sendEvent(Item(OpenFileButton), &menuKey); }), corner);
    QCOMPARE(
        menuPlace([&] { QTest::keyClick(Item(OpenFileButton), Qt::Key_F10, Qt::ShiftModifier); }),
        corner);
    // A right click on the preview: at the cursor.
    const QPoint cursor = Item(PreviewPlayer)->mapToGlobal(QPoint(40, 30));
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(40, 30), cursor);
    QCOMPARE(menuPlace([&] { QApplication::sendEvent(Item(PreviewPlayer), &rightClick); }), cursor);
    QCOMPARE(hooks->messages, QStringList(3, "No gif files!"));
  }

  void exports() {
    QTemporaryDir temp;
    const QString out = temp.path();
    QVERIFY(window->OnCommand(ExportSingleCommand));
    QCOMPARE(hooks->messages, QStringList{"No gif files!"});
    QVERIFY(hooks->saveFilters.isEmpty());
    ChooseOutputDir(out);
    Open(gui_test::kTwelveFrames);
    // A hidden button and a menu command: the sequences keep the GIF's own size.
    Click(ExportBmpButton);
    QVERIFY(window->OnCommand(ExportTgaSequenceCommand));
    const QStringList files = QDir(out + "/quorvex").entryList(QDir::Files, QDir::Name);
    QCOMPARE(files.size(), 24);
    QCOMPARE(files.first() + " " + files.last(),
             QString("twelve_frames00000.bmp twelve_frames00011.tga"));
    QCOMPARE(Le32(ReadAll(out + "/quorvex/twelve_frames00011.bmp"), 18), 5u);

    // Single frames: the save dialog's answer through the extension rule, written
    // at the output size (triple: 15 x 9); a '.' in a folder name adds no
    // extension, so no writer takes the name and the failure names the path.
    Click(TripleSizeOption);
    QVERIFY(QDir().mkpath(out + "/my.pics"));
    const struct {
      QString chosen;
      int filter;
      bool typed;
      QString saved;
    } saves[] = {{"frame", 4, false, "frame.png"},
                 {"frame.bmp", 4, true, "frame.bmp"},
                 {"frame.tga", 1, true, "frame.tga"},
                 {"my.pics/frame", 4, false, "my.pics/frame"}};
    for (const auto& save : saves) {
      hooks->savePaths.push_back(gui::SaveChoice{out + "/" + save.chosen, save.filter, save.typed});
      QVERIFY(window->OnCommand(ExportSingleCommand));
      QCOMPARE(QString::fromStdString(window->singleExportPath()), out + "/" + save.saved);
    }
    QCOMPARE(hooks->saveFilters.size(), 5);
    QCOMPARE(QImage(out + "/frame.png").size(), QSize(15, 9));
    const QByteArray bmp = ReadAll(out + "/frame.bmp");
    QCOMPARE(QSize(int(Le32(bmp, 18)), int(Le32(bmp, 22))), QSize(15, 9));
    // TGA: an 18-byte header and a 12-byte ID before 32-bit rows.
    QCOMPARE(ReadAll(out + "/frame.tga").size(), 30 + 15 * 9 * 4);
    QVERIFY(!QFile::exists(out + "/my.pics/frame"));
    QCOMPARE(window->player()->store().frames().At(0)->Width(), 5);
    QCOMPARE(hooks->messages.size(), 2);
    QVERIFY2(hooks->messages[1].contains(out + "/my.pics/frame"), qPrintable(hooks->messages[1]));
  }

  void browseAndHelp() {
    ChooseOutputDir("/tmp/some where");
    QCOMPARE(hooks->directoryTitles, QStringList{"Open"});
    QCOMPARE(Text(OutputDirectoryBox), QString("/tmp/some where/"));
    QCOMPARE(window->settings().outputDirectory, std::string("/tmp/some where/"));
  }

  void helpOpensTheHelpFileOrTheInstalledPage() {
    QTemporaryDir current;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(current.path()));
    // Neither a help file here nor an installed page (none beside the test program).
    Click(HelpButton);
    QCOMPARE(hooks->opened, QStringList());
    const QString chm = current.filePath("quorvexhelp.chm");
    QCOMPARE(hooks->messages, QStringList{"The help could not be opened.\n" + chm +
                                          ": no such file\nquorvexhelp.html: not installed"});
    // The installed page, which the desktop refuses: said so.
    const QString page = QCoreApplication::applicationDirPath() + "/quorvexhelp.html";
    QVERIFY(QFile(page).open(QIODevice::WriteOnly));
    Click(HelpButton);
    QCOMPARE(hooks->opened, QStringList{page});
    QCOMPARE(hooks->messages.last(),
             "The help could not be opened.\n" + page + ": the desktop could not open it");
    // The help file in the current folder comes first.
    QVERIFY(QFile(chm).open(QIODevice::WriteOnly));
    hooks->openResult = true;
    Click(HelpButton);
    QCOMPARE(hooks->opened.last(), chm);
    QCOMPARE(hooks->messages.size(), 2);
    QVERIFY(QFile::remove(page));
    QVERIFY(QDir::setCurrent(before));
  }

  void gifGivenOnTheCommandLineOrDropped() {
    // The program's first argument opens once the window runs.
    gui::openFileArgument(*window, {"quorvex", GuiData("four_frames.gif")});
    gui::openFileArgument(*window, {"quorvex"});
    QCOMPARE(window->windowState(), State::Empty);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowState(), State::Stopped, kSlowMs);
    QCOMPARE(Text(FrameCountLabel), QString("/4"));
    // A file dropped onto the window opens the same way.
    const auto drop = [this](const QList<QUrl>& urls) {
      QMimeData data;
      data.setUrls(urls);
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
      QApplication::sendEvent(window.get(), &enter);
      if (!enter.isAccepted()) return false;
      QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
      QApplication::sendEvent(window.get(), &dropped);
      return true;
    };
    QVERIFY(drop({QUrl::fromLocalFile(GuiData("ten_frames.gif"))}));
    QTRY_COMPARE_WITH_TIMEOUT(window->windowState(), State::Stopped, kSlowMs);
    QCOMPARE(Text(FrameCountLabel), QString("/10"));
    QVERIFY(hooks->messages.isEmpty());
    // Anything else is refused with Open File's message.
    QVERIFY(drop({QUrl::fromLocalFile(GuiData("not_a_gif.gif"))}));
    QTRY_COMPARE_WITH_TIMEOUT(hooks->messages.size(), 1, kSlowMs);
    QVERIFY(hooks->messages[0].startsWith("The GIF file could not be opened.\n" +
                                          GuiData("not_a_gif.gif") + ": not a GIF file"));
    QVERIFY(drop({QUrl("https://example.org/a.gif")}));
    QVERIFY(drop({QUrl::fromLocalFile("/a.gif"), QUrl::fromLocalFile("/b.gif")}));
    QCOMPARE(hooks->messages.mid(1),
             (QStringList{"The GIF file could not be opened.\nhttps://example.org/a.gif: not a "
                          "local file",
                          "The GIF file could not be opened.\nonly one file can be opened at a "
                          "time"}));
    QCOMPARE(window->windowState(), State::Empty);
  }

  void closingWhilePlayingEndsTheWorker() {
    // Escape, "Exit", then destroyed while the worker runs: it ends first.
    for (const int close : {0, int{ExitButton}, -1}) {
      window = std::make_unique<CMainDialog>();
      window->show();
      Open(GuiData("ten_frames.gif"));
      Click(StartButton);
      QVERIFY(window->player()->WorkerRunning());
      if (close < 0) continue;
      if (close == 0) QTest::keyClick(window.get(), Qt::Key_Escape);
      if (close > 0) Click(close);
      QVERIFY(!window->isVisible());
      QCOMPARE(window->result(), 0);
      QVERIFY(!window->player()->WorkerRunning());
    }
    window.reset();
    QVERIFY(hooks->messages.isEmpty());
  }

  void screenshotWithAGifOpen() {
    Show();
    // A folder as a user would pick it, not the build folder the test runs from.
    ChooseOutputDir("/home/ann/Movies");
    Open(QStringLiteral(QUORVEX_SAMPLE_GIF));
    QVERIFY(hooks->messages.isEmpty());
    const QImage shot = window->grab().toImage();
    // The preview holds the first frame, not the dialog's background.
    QVERIFY(shot.pixel(Item(PreviewPlayer)->geometry().center()) != shot.pixel(2, 2));
    QVERIFY(shot.save("window.png"));
  }
};

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
