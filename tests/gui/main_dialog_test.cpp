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
using gui_test::guiData;
using gui_test::le32;
using gui_test::readAll;
using testutil::filledFrame;
using testutil::makeGif;
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

std::set<int> with(std::set<int> ids, int id) {
  ids.insert(id);
  return ids;
}

// The movie the streaming conversion makes of `gif` with `settings`.
QByteArray streamedMovie(const QString& gif, core::OutputSettings settings) {
  QTemporaryDir out;
  settings.outputDirectory = out.path().toStdString() + "/";
  core::ConvertRequest request;
  request.gifPath = gif.toStdString();
  request.settings = settings;
  const core::MovieResult result = core::convertGif(request, {});
  return result.status ? readAll(QString::fromStdString(result.outputPath)) : QByteArray();
}

}  // namespace

class MainDialogTest : public QObject {
  Q_OBJECT

  std::optional<gui_test::ScriptedHooks> m_hooks;
  std::unique_ptr<CMainDialog> m_window;
  // The home folder of every test, so the default output folder is a scratch one.
  QTemporaryDir m_home;

  QWidget* item(int id) { return m_window->item(id); }
  void click(int id) { qobject_cast<QAbstractButton*>(item(id))->click(); }
  QString text(int id) {
    if (auto* edit = qobject_cast<QLineEdit*>(item(id))) return edit->text();
    return qobject_cast<QLabel*>(item(id))->text();
  }
  // The width and height boxes as "width x height".
  QString sizeBoxes() { return text(CustomWidthBox) + "x" + text(CustomHeightBox); }
  QString captureSize() {
    return QString("%1x%2")
        .arg(m_window->player()->CaptureWidth())
        .arg(m_window->player()->CaptureHeight());
  }
  bool isChecked(int id) { return qobject_cast<QRadioButton*>(item(id))->isChecked(); }
  int trackbar() { return qobject_cast<QSlider*>(item(PositionTrackbar))->value(); }
  // Types `text` into box `id`, which then loses the focus to another control.
  void type(int id, const QString& text) {
    qobject_cast<QLineEdit*>(item(id))->setText(text);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(item(id), &focusOut);
  }
  // Opens `path` and waits until its frames are decoded.
  void open(const QString& path) {
    m_hooks->gifFiles.emplace_back(path);
    click(OpenFileButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->windowState() != State::Loading, kSlowMs);
  }
  // Writes a GIF built in memory under the home folder and returns its path.
  QString writeGif(const QString& name, const std::vector<uint8_t>& bytes) {
    const QString path = m_home.filePath(name);
    QFile file(path);
    [&] { QVERIFY(file.open(QIODevice::WriteOnly)); }();
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
  }
  // Converts with the current settings into `folder` and returns the movie.
  QByteArray convert(const QString& folder, const QString& gifName) {
    click(ConvertButton);
    [&] { QTRY_COMPARE_WITH_TIMEOUT(m_window->windowState(), State::Stopped, kSlowMs); }();
    return readAll(folder + "/" + gifName + ".swf");
  }
  void chooseOutputDir(const QString& path) {
    m_hooks->directories.emplace_back(path);
    click(BrowseOutputButton);
  }
  void show() {
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
  }
  std::set<int> enabledIds() {
    std::set<int> enabled;
    for (const int id : kStatefulIds) {
      if (item(id)->isEnabled()) enabled.insert(id);
    }
    return enabled;
  }
  QStringList propertyRows() {
    auto* list = qobject_cast<QTreeWidget*>(item(PropertyList));
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
  void expectNothingMoves() {
    QVERIFY(!m_window->player()->WorkerRunning());
    QCoreApplication::processEvents();
  }
  QStringList playUntilStopped(const QString& pauseAt = QString()) {
    QStringList texts;
    QObject context;
    connect(qobject_cast<QLineEdit*>(item(FrameNumberBox)), &QLineEdit::textChanged, &context,
            [&](const QString& text) {
              texts << text;
              if (text == pauseAt) click(PauseButton);
            });
    click(StartButton);
    [&] {
      QTRY_COMPARE_WITH_TIMEOUT(m_window->windowState(), State::Stopped, kSlowMs);
      // The frame the worker stopped at shows with the next tick.
      QTRY_COMPARE_WITH_TIMEOUT(text(FrameNumberBox),
                                QString::number(m_window->player()->CurrentIndex()), kSlowMs);
    }();
    return texts;
  }

 private slots:
  void initTestCase() {
    // Themed as the program themes itself, so the screenshot shows the real look.
    QVERIFY(gui::applySkin(gui::kSkinName));
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(".config")));
  }
  void init() {
    m_hooks.emplace();
    m_window = std::make_unique<CMainDialog>();
  }
  void cleanup() {
    m_window.reset();
    m_hooks.reset();
  }

  void startsEmpty() {
    QCOMPARE(m_window->windowTitle(), QString("Quorvex 1.0 Convert Gif File To Flash File"));
    QCOMPARE(m_window->windowState(), State::Empty);
    QCOMPARE(enabledIds(), kEmpty);
    QVERIFY(!item(PositionTrackbar)->isEnabled() && !item(OutputDirectoryBox)->isEnabled());
    QVERIFY(item(ExportBmpButton)->isHidden() && item(ExportTgaButton)->isHidden());
    QCOMPARE(text(FrameCountLabel) + " " + text(FrameNumberBox), QString("/0 0"));
    QCOMPARE(sizeBoxes() + " " + text(FrameRateBox), QString("0x0 10"));
    QVERIFY(isChecked(OriginalSizeOption));
    QVERIFY(!m_window->playbackTimerActive());
    // The output folder is the home folder until a Videos folder exists.
    QCOMPARE(text(OutputDirectoryBox), m_home.path() + "/");
    QCOMPARE(QString::fromStdString(m_window->settings().outputDirectory), m_home.path() + "/");
    QVERIFY(QDir(m_home.path()).mkdir("Videos"));
    QCOMPARE(qobject_cast<QLineEdit*>(CMainDialog().item(OutputDirectoryBox))->text(),
             m_home.path() + "/Videos/");
    QVERIFY(QDir(m_home.filePath("Videos")).removeRecursively());
    auto* list = qobject_cast<QTreeWidget*>(item(PropertyList));
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
      QCOMPARE(item(control.id)->objectName(), QString("item%1").arg(control.id));
    }
    QCOMPARE(ids.size(), size_t{25});
    QCOMPARE(item(9999), nullptr);
    QVERIFY(!m_window->OnCommand(9999));
  }

  void openingShowsPropertiesAndStops() {
    const QString path = guiData("props_100x80.gif");
    open(path);
    QVERIFY(m_hooks->messages.isEmpty());
    QCOMPARE(m_window->windowState(), State::Stopped);
    QCOMPARE(propertyRows(), (QStringList{"Frame Count=3", "Frame Height=80", "Frame Width=100",
                                          QString("Gif Length=%1").arg(QFileInfo(path).size())}));
    QCOMPARE(sizeBoxes(), QString("100x80"));
    QVERIFY(isChecked(OriginalSizeOption));
    QCOMPARE(captureSize(), QString("100x80"));
    QCOMPARE(enabledIds(), with(kWithGif, StartButton));
    QCOMPARE(text(FrameCountLabel), QString("/3"));
    // Cancelling the open dialog changes nothing.
    click(OpenFileButton);
    QCOMPARE(m_window->gifPath(), path.toStdString());
    QCOMPARE(propertyRows().size(), 4);
  }

  void playsFourFramesFromZeroPausesAndResumes() {
    open(guiData("four_frames.gif"));
    QSignalSpy trackbar(qobject_cast<QSlider*>(item(PositionTrackbar)), &QSlider::valueChanged);
    QTimer::singleShot(0, this, [this] {
      QCOMPARE(m_window->windowState(), State::Playing);
      QCOMPARE(enabledIds(), with(kWithGif, PauseButton));
    });
    // Every frame shown once, then back to frame 0, stopped.
    QCOMPARE(playUntilStopped(), (QStringList{"1", "2", "3", "0"}));
    QList<int> positions;
    for (const QList<QVariant>& change : trackbar) positions << change.at(0).toInt();
    QCOMPARE(positions, (QList<int>{25, 50, 75, 0}));
    QVERIFY(!m_window->player()->WorkerRunning());
    // Paused at frame 2, it stays there; Start resumes from it.
    QCOMPARE(playUntilStopped("2"), (QStringList{"1", "2"}));
    expectNothingMoves();
    QCOMPARE(m_window->player()->CurrentIndex(), 2);
    QCOMPARE(playUntilStopped(), (QStringList{"3", "0"}));
  }

  void oneFrameGifStopsWithinATick() {
    open(guiData("one_frame.gif"));
    click(StartButton);
    QCOMPARE(m_window->windowState(), State::Playing);
    QVERIFY(!m_window->player()->WorkerRunning());
    QTRY_COMPARE_WITH_TIMEOUT(m_window->windowState(), State::Stopped, kSlowMs);
    QCOMPARE(m_window->player()->CurrentIndex(), 0);
  }

  void sizeOptionsAndCustomBoxes() {
    QTemporaryDir out;
    chooseOutputDir(out.path());
    open(guiData("size_101x75.gif"));
    const std::pair<int, QString> options[] = {{TripleSizeOption, "303x225"},
                                               {DoubleSizeOption, "202x150"},
                                               {OriginalSizeOption, "101x75"},
                                               {HalfSizeOption, "50x37"}};
    for (const auto& [id, size] : options) {
      click(id);
      QVERIFY(isChecked(id));
      QCOMPARE(sizeBoxes(), size);
      QCOMPARE(QString("%1x%2").arg(m_window->settings().width).arg(m_window->settings().height),
               size);
      QCOMPARE(captureSize(), size);
      QVERIFY(!item(CustomWidthBox)->isEnabled());
    }
    // "Custom" opens the boxes with the last size and, like every size option,
    // empties the temporary frame folder.
    const QString stray = out.path() + "/quorvex/Temp/stray.jpg";
    QFile(stray).open(QIODevice::WriteOnly);
    click(CustomSizeOption);
    QVERIFY(!QFileInfo::exists(stray));
    QVERIFY(item(CustomWidthBox)->isEnabled() && item(CustomHeightBox)->isEnabled());
    QCOMPARE(sizeBoxes(), QString("50x37"));
    type(CustomWidthBox, "64");
    type(CustomHeightBox, "48");
    QCOMPARE(captureSize(), QString("64x48"));
    // Another GIF keeps the typed size; the boxes open only on another "Custom".
    open(guiData("props_100x80.gif"));
    QVERIFY(isChecked(CustomSizeOption) && !item(CustomWidthBox)->isEnabled());
    QCOMPARE(sizeBoxes() + " " + captureSize(), QString("64x48 64x48"));
    click(CustomSizeOption);
    QVERIFY(item(CustomWidthBox)->isEnabled());
    QVERIFY(m_hooks->messages.isEmpty());
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
    show();
    open(guiData("size_101x75.gif"));
    click(CustomSizeOption);
    item(box)->setFocus();
    type(box, text);
    QCOMPARE(m_hooks->messages, message.isEmpty() ? QStringList() : QStringList{message});
    // The value is stored before its range is checked, and the focus goes back.
    const core::OutputSettings& settings = m_window->settings();
    QCOMPARE(box == CustomWidthBox    ? settings.width
             : box == CustomHeightBox ? settings.height
                                      : settings.frameRate,
             stored);
    if (!message.isEmpty()) QCOMPARE(QApplication::focusWidget(), item(box));
    if (box == CustomWidthBox) QCOMPARE(m_window->player()->CaptureWidth(), stored);
  }

  void validationStopsAtTheFirstFailure() {
    open(guiData("size_101x75.gif"));
    click(CustomSizeOption);
    qobject_cast<QLineEdit*>(item(CustomWidthBox))->setText("x");
    qobject_cast<QLineEdit*>(item(CustomHeightBox))->setText("2000");
    type(FrameRateBox, "99");
    QCOMPARE(m_hooks->messages, QStringList{"Please enter an integer."});
    QCOMPARE(m_window->settings().height, 75);
    QCOMPARE(m_window->settings().frameRate, 10);
  }

  void tripleOf600x500IsConvertedAfterTheRangeMessage() {
    QTemporaryDir out;
    chooseOutputDir(out.path());
    const QString gif = guiData("size_600x500.gif");
    open(gif);
    click(TripleSizeOption);
    QCOMPARE(sizeBoxes(), QString("1800x1500"));
    QVERIFY(m_hooks->messages.isEmpty());
    type(FrameRateBox, "10");
    QCOMPARE(m_hooks->messages, QStringList{"Please enter an integer between 0 and 1600."});
    // The message only informs: a size option's size is the movie's.
    click(ConvertButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->windowState(), State::Stopped, kSlowMs);
    QCOMPARE(m_hooks->messages.size(), 1);
    const QByteArray movie = readAll(out.path() + "/size_600x500.swf");
    QVERIFY(movie.startsWith("FWS\x03"));
    QVERIFY(movie == streamedMovie(gif, m_window->settings()));
  }

  void impossibleSizesAreReportedBeforeTheCapturePass() {
    QTemporaryDir out;
    const QString earlier = out.path() + "/one_frame.swf";
    QFile file(earlier);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("earlier movie") > 0);
    file.close();
    chooseOutputDir(out.path());
    open(guiData("one_frame.gif"));
    click(CustomSizeOption);
    type(CustomWidthBox, "0");
    type(CustomHeightBox, "0");
    QSignalSpy captured(m_window->player(), &gui::CFramePlayer::frameCaptured);
    click(ConvertButton);
    QCOMPARE(m_hooks->messages,
             QStringList{"The movie " + earlier + " was not written.\nwidth 0 is below 1"});
    QCOMPARE(m_window->windowState(), State::Stopped);
    QVERIFY(!m_window->player()->CaptureEnabled());
    expectNothingMoves();
    QCOMPARE(captured.count(), 0);
    QVERIFY(QDir(out.path() + "/quorvex/Temp").entryList(QDir::Files).isEmpty());
    QCOMPARE(readAll(earlier), QByteArray("earlier movie"));
    // A typed size beyond the box's range is kept once the message is dismissed, and the
    // movie is made at that size.
    type(CustomHeightBox, "80");
    type(CustomWidthBox, "1601");
    QCOMPARE(m_hooks->messages.mid(1), QStringList{"Please enter an integer between 0 and 1600."});
    click(ConvertButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->windowState(), State::Stopped, kSlowMs);
    QCOMPARE(m_hooks->messages.size(), 2);
    QVERIFY(readAll(earlier) == streamedMovie(guiData("one_frame.gif"), m_window->settings()));
  }

  void decodingKeepsTheWindowResponsiveAndCanBeAbandoned() {
    // Large enough to take a while to decode.
    const QString big =
        writeGif("big.gif", makeGif(1000, 1000, std::vector(6, filledFrame(1000, 1000, 7))));
    int ticksWhileLoading = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
      if (m_window->windowState() == State::Loading) ++ticksWhileLoading;
    });
    timer.start(1);
    m_hooks->gifFiles.emplace_back(big);
    click(OpenFileButton);
    QCOMPARE(m_window->windowState(), State::Loading);
    QCOMPARE(enabledIds(), kEmpty);
    QCOMPARE(m_window->cursor().shape(), Qt::BusyCursor);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->windowState(), State::Stopped, kSlowMs);
    QVERIFY(ticksWhileLoading > 0);
    QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(text(FrameCountLabel), QString("/6"));
    // Another GIF chosen during a decode replaces it, and the abandoned one never shows.
    m_hooks->gifFiles.emplace_back(big);
    click(OpenFileButton);
    open(guiData("four_frames.gif"));
    // The end of the abandoned decode, had it been queued, would arrive now.
    QCoreApplication::processEvents();
    QCOMPARE(text(FrameCountLabel) + " " + propertyRows().first(), QString("/4 Frame Count=4"));
    // Closing during a decode abandons it.
    m_hooks->gifFiles.emplace_back(big);
    click(OpenFileButton);
    click(ExitButton);
    QVERIFY(!m_window->isVisible());
    QVERIFY(m_hooks->messages.isEmpty());
  }

  void truncatedGifOpensWithItsCompleteFrames() {
    std::vector<uint8_t> cut = makeGif(8, 8, std::vector(3, filledFrame(8, 8, 4)));
    cut.resize(cut.size() - 8);
    const QString path = writeGif("cut.gif", cut);
    open(path);
    QCOMPARE(m_hooks->messages,
             QStringList{path + ": the file ends early; only its 2 complete frames are used"});
    QCOMPARE(m_window->windowState(), State::Stopped);
    QCOMPARE(text(FrameCountLabel), QString("/2"));
  }

  void previewShowsTransparentPixelsOverWhite() {
    show();
    // A 2 x 2 picture of palette entry 9 in the corner of a 4 x 4 screen: the rest is
    // transparent.
    open(writeGif("corner.gif", makeGif(4, 4, {{0, 0, 2, 2, std::vector<uint8_t>(4, 9)}})));
    const QImage shot = m_window->player()->grab().toImage();
    const std::array<uint8_t, 3> entry = testutil::testPaletteColour(9);
    QCOMPARE(shot.pixel(shot.width() / 8, shot.height() / 8), qRgb(entry[0], entry[1], entry[2]));
    QCOMPARE(shot.pixel(shot.width() * 7 / 8, shot.height() * 7 / 8), qRgb(255, 255, 255));
  }

  void everyConversionEqualsTheStreamingMovie() {
    // Into the default folder, at several sizes in a row and the same size twice:
    // the frames held are never changed by a conversion.
    const QString gif = guiData("size_101x75.gif");
    open(gif);
    QByteArray original;
    for (const int option :
         {HalfSizeOption, OriginalSizeOption, OriginalSizeOption, DoubleSizeOption}) {
      click(option);
      const QByteArray movie = convert(m_home.path(), "size_101x75");
      QVERIFY(movie.startsWith("FWS\x03"));
      QVERIFY(movie == streamedMovie(gif, m_window->settings()));
      if (option == OriginalSizeOption && !original.isEmpty()) QVERIFY(movie == original);
      if (option == OriginalSizeOption) original = movie;
    }
    QCOMPARE(m_window->player()->store().frames().At(0)->Width(), 101);
    QVERIFY(m_hooks->messages.isEmpty());
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
      m_window->showMinimized();
    } else {
      show();
    }
    QTemporaryDir out;
    chooseOutputDir(out.path());
    const QString gif = guiData("ten_frames.gif");
    open(gif);
    click(sizeOption);
    type(FrameRateBox, "12");
    // Paused at frame 5, the pass still covers frames 0 to 9.
    playUntilStopped("5");
    QCOMPARE(m_window->player()->CurrentIndex(), 5);
    QSignalSpy captured(m_window->player(), &gui::CFramePlayer::frameCaptured);
    click(ConvertButton);
    QCOMPARE(m_window->windowState(), State::Converting);
    QCOMPARE(enabledIds(),
             (std::set<int>{AboutButton, HelpButton, ExitButton, BrowseOutputButton}));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->windowState(), State::Stopped, kSlowMs);
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
    QVERIFY(m_hooks->messages.isEmpty());
    QCOMPARE(enabledIds(), with(kWithGif, StartButton));
    QCOMPARE(QString::number(trackbar()) + " " + text(FrameNumberBox), QString("0 0"));
    QVERIFY(!m_window->playbackTimerActive());
    // The streaming conversion with the same settings writes the same bytes.
    const QByteArray movie = readAll(out.path() + "/ten_frames.swf");
    QVERIFY(movie.startsWith("FWS\x03"));
    QVERIFY(movie == streamedMovie(gif, m_window->settings()));
  }

  void convertIntoAMissingOrUnwritableDirectoryReports() {
    open(guiData("four_frames.gif"));
    chooseOutputDir("/");
    QCOMPARE(text(OutputDirectoryBox), QString("/"));
    click(ConvertButton);
    QCOMPARE(m_hooks->messages, QStringList{"Please select the directory for converted files"});
    QCOMPARE(m_window->windowState(), State::Stopped);
    QVERIFY(!m_window->player()->CaptureEnabled());
    // A folder path running through a regular file cannot be created, even by root.
    QTemporaryDir out;
    QFile(out.path() + "/blocker").open(QIODevice::WriteOnly);
    chooseOutputDir(out.path() + "/blocker");
    // Reported at once, before any frame is written; the exports check their folder too.
    QSignalSpy captured(m_window->player(), &gui::CFramePlayer::frameCaptured);
    click(ConvertButton);
    QCOMPARE(m_window->windowState(), State::Stopped);
    click(ExportBmpButton);
    QCOMPARE(m_hooks->messages.size(), 3);
    QCOMPARE(m_hooks->messages[1], "The movie " + out.path() + "/blocker/four_frames.swf" +
                                       " was not written.\ncannot create directory " + out.path() +
                                       "/blocker/quorvex/Temp/: Not a directory");
    QCOMPARE(m_hooks->messages[2], "The frames were not exported.\ncannot create directory " +
                                       out.path() + "/blocker/quorvex/: Not a directory");
    QCoreApplication::processEvents();
    QCOMPARE(captured.count(), 0);
    QCOMPARE(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{"blocker"});
  }

  void openWhilePlayingStopsPlaybackFirst() {
    open(guiData("ten_frames.gif"));
    click(StartButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->player()->CurrentIndex() >= 2, kSlowMs);
    open(guiData("four_frames.gif"));
    QVERIFY(!m_window->player()->WorkerRunning());
    QCOMPARE(m_window->windowState(), State::Stopped);
    QCOMPARE(text(FrameCountLabel) + " " + text(FrameNumberBox) + " " + QString::number(trackbar()),
             QString("/4 0 0"));
    expectNothingMoves();
    QCOMPARE(m_window->player()->CurrentIndex(), 0);
    QVERIFY(m_hooks->messages.isEmpty());
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
      open(guiData("four_frames.gif"));
      click(StartButton);
    }
    open(guiData(file));
    QCOMPARE(m_hooks->messages.size(), 1);
    QVERIFY2(m_hooks->messages[0].contains(guiData(file)), qPrintable(m_hooks->messages[0]));
    QCOMPARE(m_window->windowState(), State::Empty);
    QCOMPARE(enabledIds(), kEmpty);
    QCOMPARE(propertyRows(), QStringList());
    QCOMPARE(text(FrameCountLabel), QString("/0"));
    QVERIFY(!m_window->player()->WorkerRunning() && !m_window->playbackTimerActive());
    // Nothing left to play or convert, and the preview still paints.
    click(StartButton);
    click(ConvertButton);
    QCOMPARE(m_window->windowState(), State::Empty);
    QVERIFY(!m_window->player()->grab().isNull());
  }

  void contextMenuFromKeyboardAndMouse() {
    show();
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
    const QPoint corner = m_window->mapToGlobal(QPoint(5, 5));
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, {},
                              item(OpenFileButton)->mapToGlobal(QPoint()));
    QCOMPARE(menuPlace([&] { QApplication::sendEvent(item(OpenFileButton), &menuKey); }), corner);
    QCOMPARE(
        menuPlace([&] { QTest::keyClick(item(OpenFileButton), Qt::Key_F10, Qt::ShiftModifier); }),
        corner);
    // A right click on the preview: at the cursor.
    const QPoint cursor = item(PreviewPlayer)->mapToGlobal(QPoint(40, 30));
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(40, 30), cursor);
    QCOMPARE(menuPlace([&] { QApplication::sendEvent(item(PreviewPlayer), &rightClick); }), cursor);
    QCOMPARE(m_hooks->messages, QStringList(3, "No gif files!"));
  }

  void exports() {
    QTemporaryDir temp;
    const QString out = temp.path();
    QVERIFY(m_window->OnCommand(ExportSingleCommand));
    QCOMPARE(m_hooks->messages, QStringList{"No gif files!"});
    QVERIFY(m_hooks->saveFilters.isEmpty());
    chooseOutputDir(out);
    open(gui_test::kTwelveFrames);
    // A hidden button and a menu command: the sequences keep the GIF's own size.
    click(ExportBmpButton);
    QVERIFY(m_window->OnCommand(ExportTgaSequenceCommand));
    const QStringList files = QDir(out + "/quorvex").entryList(QDir::Files, QDir::Name);
    QCOMPARE(files.size(), 24);
    QCOMPARE(files.first() + " " + files.last(),
             QString("twelve_frames00000.bmp twelve_frames00011.tga"));
    QCOMPARE(le32(readAll(out + "/quorvex/twelve_frames00011.bmp"), 18), 5u);

    // Single frames: the save dialog's answer through the extension rule, written
    // at the output size (triple: 15 x 9); a '.' in a folder name adds no
    // extension, so no writer takes the name and the failure names the path.
    click(TripleSizeOption);
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
      m_hooks->savePaths.push_back(
          gui::SaveChoice{out + "/" + save.chosen, save.filter, save.typed});
      QVERIFY(m_window->OnCommand(ExportSingleCommand));
      QCOMPARE(QString::fromStdString(m_window->singleExportPath()), out + "/" + save.saved);
    }
    QCOMPARE(m_hooks->saveFilters.size(), 5);
    QCOMPARE(QImage(out + "/frame.png").size(), QSize(15, 9));
    const QByteArray bmp = readAll(out + "/frame.bmp");
    QCOMPARE(QSize(int(le32(bmp, 18)), int(le32(bmp, 22))), QSize(15, 9));
    // TGA: an 18-byte header and a 12-byte ID before 32-bit rows.
    QCOMPARE(readAll(out + "/frame.tga").size(), 30 + 15 * 9 * 4);
    QVERIFY(!QFile::exists(out + "/my.pics/frame"));
    QCOMPARE(m_window->player()->store().frames().At(0)->Width(), 5);
    QCOMPARE(m_hooks->messages.size(), 2);
    QVERIFY2(m_hooks->messages[1].contains(out + "/my.pics/frame"),
             qPrintable(m_hooks->messages[1]));
  }

  void browseAndHelp() {
    chooseOutputDir("/tmp/some where");
    QCOMPARE(m_hooks->directoryTitles, QStringList{"Open"});
    QCOMPARE(text(OutputDirectoryBox), QString("/tmp/some where/"));
    QCOMPARE(m_window->settings().outputDirectory, std::string("/tmp/some where/"));
  }

  void helpOpensTheHelpFileOrTheInstalledPage() {
    QTemporaryDir current;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(current.path()));
    // Neither a help file here nor an installed page (none beside the test program).
    click(HelpButton);
    QCOMPARE(m_hooks->opened, QStringList());
    const QString chm = current.filePath("quorvexhelp.chm");
    QCOMPARE(m_hooks->messages, QStringList{"The help could not be opened.\n" + chm +
                                            ": no such file\nquorvexhelp.html: not installed"});
    // The installed page, which the desktop refuses: said so.
    const QString page = QCoreApplication::applicationDirPath() + "/quorvexhelp.html";
    QVERIFY(QFile(page).open(QIODevice::WriteOnly));
    click(HelpButton);
    QCOMPARE(m_hooks->opened, QStringList{page});
    QCOMPARE(m_hooks->messages.last(),
             "The help could not be opened.\n" + page + ": the desktop could not open it");
    // The help file in the current folder comes first.
    QVERIFY(QFile(chm).open(QIODevice::WriteOnly));
    m_hooks->openResult = true;
    click(HelpButton);
    QCOMPARE(m_hooks->opened.last(), chm);
    QCOMPARE(m_hooks->messages.size(), 2);
    QVERIFY(QFile::remove(page));
    QVERIFY(QDir::setCurrent(before));
  }

  void gifGivenOnTheCommandLineOrDropped() {
    // The program's first argument opens once the window runs.
    gui::openFileArgument(*m_window, {"quorvex", guiData("four_frames.gif")});
    gui::openFileArgument(*m_window, {"quorvex"});
    QCOMPARE(m_window->windowState(), State::Empty);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->windowState(), State::Stopped, kSlowMs);
    QCOMPARE(text(FrameCountLabel), QString("/4"));
    // A file dropped onto the window opens the same way.
    const auto drop = [this](const QList<QUrl>& urls) {
      QMimeData data;
      data.setUrls(urls);
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
      QApplication::sendEvent(m_window.get(), &enter);
      if (!enter.isAccepted()) return false;
      QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
      QApplication::sendEvent(m_window.get(), &dropped);
      return true;
    };
    QVERIFY(drop({QUrl::fromLocalFile(guiData("ten_frames.gif"))}));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->windowState(), State::Stopped, kSlowMs);
    QCOMPARE(text(FrameCountLabel), QString("/10"));
    QVERIFY(m_hooks->messages.isEmpty());
    // Anything else is refused with Open File's message.
    QVERIFY(drop({QUrl::fromLocalFile(guiData("not_a_gif.gif"))}));
    QTRY_COMPARE_WITH_TIMEOUT(m_hooks->messages.size(), 1, kSlowMs);
    QVERIFY(m_hooks->messages[0].startsWith("The GIF file could not be opened.\n" +
                                            guiData("not_a_gif.gif") + ": not a GIF file"));
    QVERIFY(drop({QUrl("https://example.org/a.gif")}));
    QVERIFY(drop({QUrl::fromLocalFile("/a.gif"), QUrl::fromLocalFile("/b.gif")}));
    QCOMPARE(m_hooks->messages.mid(1),
             (QStringList{"The GIF file could not be opened.\nhttps://example.org/a.gif: not a "
                          "local file",
                          "The GIF file could not be opened.\nonly one file can be opened at a "
                          "time"}));
    QCOMPARE(m_window->windowState(), State::Empty);
  }

  void closingWhilePlayingEndsTheWorker() {
    // Escape, "Exit", then destroyed while the worker runs: it ends first.
    for (const int close : {0, int{ExitButton}, -1}) {
      m_window = std::make_unique<CMainDialog>();
      m_window->show();
      open(guiData("ten_frames.gif"));
      click(StartButton);
      QVERIFY(m_window->player()->WorkerRunning());
      if (close < 0) continue;
      if (close == 0) QTest::keyClick(m_window.get(), Qt::Key_Escape);
      if (close > 0) click(close);
      QVERIFY(!m_window->isVisible());
      QCOMPARE(m_window->result(), 0);
      QVERIFY(!m_window->player()->WorkerRunning());
    }
    m_window.reset();
    QVERIFY(m_hooks->messages.isEmpty());
  }

  void screenshotWithAGifOpen() {
    show();
    // A folder as a user would pick it, not the build folder the test runs from.
    chooseOutputDir("/home/ann/Movies");
    open(QStringLiteral(QUORVEX_SAMPLE_GIF));
    QVERIFY(m_hooks->messages.isEmpty());
    const QImage shot = m_window->grab().toImage();
    // The preview holds the first frame, not the dialog's background.
    QVERIFY(shot.pixel(item(PreviewPlayer)->geometry().center()) != shot.pixel(2, 2));
    QVERIFY(shot.save("window.png"));
  }
};

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
