// The pieces the main window is built from: dialog units and fonts, the data
// exchange of number boxes, the data files and the skin, frame drawing, the player
// and the frame-number arrows.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <cstring>
#include <limits>
#include <memory>

#include "app/gui/about_dialog.h"
#include "app/gui/data_files.h"
#include "app/gui/dialog_data.h"
#include "app/gui/dialog_units.h"
#include "app/gui/export_dialog.h"
#include "app/gui/frame_image.h"
#include "app/gui/frame_player.h"
#include "app/gui/number_spin.h"
#include "app/gui/skin.h"
#include "gui/window_test_support.h"

using gui::CNumberSpin;
using gui::FieldResult;
using gui_test::guiData;

Q_DECLARE_METATYPE(FieldResult)

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// An install tree in a temporary folder: bin/ for the executable, share/quorvex/ for
// the installed data files.
struct DataTree {
  QTemporaryDir root;
  QString bin = root.filePath("bin");
  QString data = root.filePath("share/quorvex");
  DataTree() {
    QDir().mkpath(bin);
    QDir().mkpath(data);
  }
  // Writes `content` into `folder`/`name`.
  static void put(const QString& folder, const QString& name, const QByteArray& content) {
    QFile file(QDir(folder).filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
  }
};

}  // namespace

class WindowPartsTest : public QObject {
  Q_OBJECT

  // Frame-number arrows over 0..40 in steps of 1, writing to `buddy`.
  std::unique_ptr<QLineEdit> m_buddy;
  std::unique_ptr<CNumberSpin> m_spin;

 private slots:
  void init() {
    m_buddy = std::make_unique<QLineEdit>();
    m_spin = std::make_unique<CNumberSpin>();
    m_spin->setBuddy(m_buddy.get());
    m_spin->SetValueRange(0, 40, 1.0);
  }

  void dialogUnitsScaleEachEdge() {
    // The classic 8-point base units: 6 x 13 pixels.
    const gui::DialogUnits units(6, 13);
    QCOMPARE(units.toPixels(515, 310), QSize(773, 504));
    QCOMPARE(units.toPixels(7, 7, 321, 255), QRect(11, 11, 481, 415));
    // 1 du = 1.5 px: edges at 1.5 and 3.0 round to 2 and 3, so a one-unit control
    // starting at 1 is one pixel wide; halves round away from 0.
    QCOMPARE(units.toPixels(1, 0, 1, 0), QRect(2, 0, 1, 0));
    QCOMPARE(units.toPixels(-1, -4, 2, 8), QRect(-2, -7, 4, 14));
    const gui::DialogUnits tiny(0, -3);
    QCOMPARE(QSize(tiny.baseWidth(), tiny.baseHeight()), QSize(1, 1));
  }

  void dialogsTakeASansSerifFontBeforeTheirControls() {
    const QString family = QFontInfo(gui::dialogFont("Microsoft Sans Serif", 8)).family();
    QVERIFY2(!family.contains("Serif") || family.contains("Sans"), qPrintable(family));
    // Under an application style sheet, a control made before its dialog's font
    // was set keeps the application font.
    qApp->setStyleSheet("QDialog { background: #f3f4f6; }");
    gui::CAboutDialog about;
    gui::CExportDialog exporter(nullptr, "", "/nonexistent/", ".bmp");
    exporter.setTickInterval(std::chrono::hours(1));
    for (QDialog* dialog : std::initializer_list<QDialog*>{&about, &exporter}) {
      dialog->show();
      for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        QCOMPARE(label->font().families(), dialog->font().families());
      }
    }
    qApp->setStyleSheet(QString());
  }

  void storeIntegerField_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<FieldResult>("result");
    QTest::addColumn<int>("field");
    QTest::newRow("blanks and tabs around") << " \t42\t " << FieldResult::Stored << 42;
    QTest::newRow("plus sign") << "+7" << FieldResult::Stored << 7;
    QTest::newRow("beyond int clamps") << "99999999999" << FieldResult::OutOfRange << INT_MAX;
    QTest::newRow("beyond -int clamps") << "-99999999999" << FieldResult::OutOfRange << INT_MIN;
    QTest::newRow("inner blank") << "1 2" << FieldResult::NotAnInteger << -5;
    QTest::newRow("full-width digit")
        << QString::fromUtf8("\xef\xbc\x91") << FieldResult::NotAnInteger << -5;
  }
  void storeIntegerField() {
    QFETCH(QString, text);
    QFETCH(FieldResult, result);
    QFETCH(int, field);
    int value = -5;
    QCOMPARE(gui::storeIntegerField(text, 1, 50, value), result);
    QCOMPARE(value, field);
  }

  void skin() {
    QVERIFY(gui::readResource(gui::kSkinResource).startsWith("USKN"));
    QCOMPARE(gui::skinStyleSheet("USKN 1 tamsel.u3\nQWidget {}", "tamsel.u3"),
             QString("QWidget {}"));
    QVERIFY(gui::skinStyleSheet("USKN 1 tamsel.u3\nQWidget {}", "other.u3").isEmpty());
    QVERIFY(gui::skinStyleSheet("USKN 1 tamsel.u3", "tamsel.u3").isEmpty());
    QVERIFY(!gui::applySkin("missing.u3"));
    QVERIFY(qApp->styleSheet().isEmpty());
  }

  void dataFolders() {
    const DataTree tree;
    QCOMPARE(gui::dataDirectories(tree.bin + "/"), (QStringList{tree.bin, tree.data}));
    QVERIFY(gui::dataDirectories(QString()).isEmpty());
    QVERIFY(gui::findDataFile("tamsel.u3", {}).isEmpty());
  }

  void dataFileLookupOrder_data() {
    QTest::addColumn<bool>("besideExecutable");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("folderBesideExecutable");
    QTest::addColumn<QString>("foundIn");
    QTest::newRow("beside the executable") << true << false << false << "bin";
    QTest::newRow("installed") << false << true << false << "data";
    QTest::newRow("both: the executable's folder first") << true << true << false << "bin";
    QTest::newRow("a folder of that name is no file") << false << true << true << "data";
    QTest::newRow("nowhere") << false << false << false << "";
  }
  void dataFileLookupOrder() {
    QFETCH(bool, besideExecutable);
    QFETCH(bool, installed);
    QFETCH(bool, folderBesideExecutable);
    QFETCH(QString, foundIn);
    const DataTree tree;
    const QString name = gui::kHelpPageName;
    if (besideExecutable) DataTree::put(tree.bin, name, "<html>");
    if (installed) DataTree::put(tree.data, name, "<html>");
    if (folderBesideExecutable) QDir(tree.bin).mkdir(name);
    const QString folder = foundIn == "bin" ? tree.bin : tree.data;
    QCOMPARE(gui::findDataFile(name, gui::dataDirectories(tree.bin)),
             foundIn.isEmpty() ? QString() : QDir(folder).filePath(name));
  }

  void skinFromDataFilesOrBundled_data() {
    const QString bundled =
        gui::skinStyleSheet(gui::readResource(gui::kSkinResource), gui::kSkinName);
    QTest::addColumn<QByteArray>("installedFile");
    QTest::addColumn<QString>("skinName");
    QTest::addColumn<QString>("styleSheet");
    QTest::newRow("skin file") << QByteArray("USKN 1 tamsel.u3\nQLabel {}") << "tamsel.u3"
                               << "QLabel {}";
    QTest::newRow("no skin file") << QByteArray() << "tamsel.u3" << bundled;
    QTest::newRow("file of another skin")
        << QByteArray("USKN 1 other.u3\nQLabel {}") << "tamsel.u3" << bundled;
    QTest::newRow("no skin header") << QByteArray("QLabel {}") << "tamsel.u3" << bundled;
    QTest::newRow("a skin only the file has")
        << QByteArray("USKN 1 other.u3\nQLabel {}") << "other.u3"
        << "QLabel {}";
    QTest::newRow("no such skin") << QByteArray() << "other.u3" << QString();
  }
  void skinFromDataFilesOrBundled() {
    QFETCH(QByteArray, installedFile);
    QFETCH(QString, skinName);
    QFETCH(QString, styleSheet);
    const DataTree tree;
    if (!installedFile.isEmpty()) DataTree::put(tree.data, skinName, installedFile);
    QCOMPARE(gui::findSkinStyleSheet(skinName, gui::dataDirectories(tree.bin)), styleSheet);
  }

  void framesOfEveryDepthBecomeImages() {
    image::ImageBuffer frame;
    // B, G, R, A: over white, as the movie shows them.
    QVERIFY(frame.Create(3, 2, 32));
    std::memcpy(frame.PixelAddress(2, 1), "\x10\x20\x30\xFF", 4);
    std::memcpy(frame.PixelAddress(1, 1), "\x10\x20\x30\x00", 4);
    std::memcpy(frame.PixelAddress(0, 1), "\x00\x00\xFF\x80", 4);
    const QImage image = gui::toQImage(frame);
    QCOMPARE(image.size(), QSize(3, 2));
    QCOMPARE(image.pixel(2, 1), qRgb(0x30, 0x20, 0x10));
    QCOMPARE(image.pixel(1, 1), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(0, 1), qRgb(255, 127, 127));
    // Packed indexes, most significant bits first.
    const image::RgbQuad green{0, 180, 0, 0};
    QVERIFY(frame.Create(3, 2, 4));
    frame.SetPalette(5, 1, &green);
    frame.RowPointer(0)[0] = 0x05;
    QCOMPARE(gui::toQImage(frame).pixel(1, 0), qRgb(0, 180, 0));
    QVERIFY(gui::toQImage(frame).pixel(0, 0) != qRgb(0, 180, 0));
    QVERIFY(gui::toQImage(image::ImageBuffer()).isNull());
  }

  void playerStretchesWithHardEdges() {
    gui::CFramePlayer player;
    player.resize(100, 80);
    core::FrameStore store;
    QVERIFY(store.LoadGif(guiData("checker_2x2.gif").toStdString()));
    player.setStore(std::move(store));
    const QImage shot = player.grab().toImage();
    // Each source pixel covers one quarter, aspect ratio not kept.
    QCOMPARE(shot.pixel(49, 39), qRgb(255, 0, 0));
    QCOMPARE(shot.pixel(50, 0), qRgb(0, 255, 0));
    QCOMPARE(shot.pixel(0, 40), qRgb(0, 0, 255));
    QCOMPARE(shot.pixel(99, 79), qRgb(255, 255, 255));
    // No smoothing: only the four colours appear.
    const QSet<QRgb> colours{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                             qRgb(255, 255, 255)};
    for (int y = 0; y < shot.height(); ++y) {
      for (int x = 0; x < shot.width(); ++x)
        QVERIFY(colours.contains(shot.pixel(x, y) | 0xFF000000u));
    }
  }

  void spinRangeAndPosition_data() {
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("position");
    QTest::newRow("39.6 rounds to the end") << 40.0 << 1.0 << 39.6 << 40 << 40;
    QTest::newRow("below the minimum") << 40.0 << 1.0 << -1.0 << 40 << 0;
    QTest::newRow("above the maximum") << 40.0 << 1.0 << 41.0 << 40 << 40;
    QTest::newRow("half a step rounds up") << 40.0 << 1.0 << 0.5 << 40 << 1;
    QTest::newRow("plus infinity") << 40.0 << 1.0 << kInfinity << 40 << 40;
    QTest::newRow("fraction truncated") << 10.0 << 0.3 << 10.0 << 33 << 33;
    QTest::newRow("negative step") << 40.0 << -2.0 << 40.0 << 20 << 20;
    QTest::newRow("reversed bounds") << -40.0 << 1.0 << 0.0 << 40 << 40;
    QTest::newRow("exactly the cap") << 32767.0 << 1.0 << 0.0 << 32767 << 0;
    QTest::newRow("above the cap") << 32768.0 << 1.0 << 0.0 << 32767 << 0;
    QTest::newRow("infinite bound") << kInfinity << 1.0 << 0.0 << 32767 << 0;
    QTest::newRow("empty range") << 0.0 << 1.0 << 0.0 << 0 << 0;
  }
  void spinRangeAndPosition() {
    QFETCH(double, maximum);
    QFETCH(double, step);
    QFETCH(double, value);
    QFETCH(int, range);
    QFETCH(int, position);
    m_spin->SetValueRange(0, maximum, step);
    m_spin->SetValue(value);
    QCOMPARE(m_spin->controlRange(), range);
    QCOMPARE(m_spin->position(), position);
    // A zero step changes neither the range nor the position.
    m_spin->SetValueRange(0, 1000, 0.0);
    QCOMPARE(m_spin->controlRange(), range);
    QCOMPARE(m_spin->position(), position);
  }

  void spinStepAtTheEnds_data() {
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("expected");
    QTest::newRow("up at the maximum, no wrap") << false << 40.0 << 1 << 40;
    QTest::newRow("up at the maximum, wrap") << true << 40.0 << 1 << 0;
    QTest::newRow("down at the minimum, no wrap") << false << 0.0 << -1 << 0;
    QTest::newRow("down at the minimum, wrap") << true << 0.0 << -1 << 40;
    QTest::newRow("up to the maximum, wrap") << true << 39.0 << 1 << 40;
    QTest::newRow("several steps past the maximum") << false << 38.0 << 5 << 40;
  }
  void spinStepAtTheEnds() {
    QFETCH(bool, wrap);
    QFETCH(double, start);
    QFETCH(int, delta);
    QFETCH(int, expected);
    m_spin->setWrap(wrap);
    m_spin->SetValue(start);
    m_spin->stepBy(delta);
    QCOMPARE(m_buddy->text(), QString::number(expected));
    QCOMPARE(m_spin->position(), expected);
  }

  void spinStepWithinTolerance() {
    m_spin->SetDecimals(10);
    // 1e-10 past the maximum lies inside the tolerance of 1e-9 x 10 and stays.
    m_spin->SetValueRange(0, 10, 0.5000000001);
    m_spin->SetValue(9.5);
    m_spin->stepBy(1);
    QCOMPARE(m_buddy->text(), QString("10.0000000001"));
    m_spin->SetValueRange(0, 10, 0.6);
    m_spin->SetValue(9.5);
    m_spin->stepBy(1);
    QCOMPARE(m_buddy->text(), QString("10"));
  }

  void spinArrowsAndKeys() {
    m_spin->SetValue(3);
    m_spin->show();
    QTest::mouseClick(m_spin->findChild<QToolButton*>("up"), Qt::LeftButton);
    QCOMPARE(m_buddy->text() + " " + QString::number(m_spin->position()), QString("4 4"));
    QTest::mouseClick(m_spin->findChild<QToolButton*>("down"), Qt::LeftButton);
    QTest::keyClick(m_buddy.get(), Qt::Key_Down);
    QCOMPARE(m_buddy->text() + " " + QString::number(m_spin->position()), QString("2 2"));
    QTest::keyClick(m_buddy.get(), Qt::Key_Up);
    QCOMPARE(m_buddy->text(), QString("3"));
    m_spin->setEnabled(false);
    QTest::keyClick(m_buddy.get(), Qt::Key_Up);
    QCOMPARE(m_buddy->text(), QString("3"));
    // The value is read back from the box's text up to the first non-number.
    m_buddy->setText("  7.25xyz");
    QCOMPARE(m_spin->GetValue(), 7.25);
    m_spin->setBuddy(nullptr);
    QCOMPARE(m_spin->GetValue(), 0.0);
  }

  void formatNumber_data() {
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("trim");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("automatic") << -1 << true << 2.5 << "2.5";
    QTest::newRow("automatic, exponent") << -1 << true << 1234567.0 << "1.23457e+06";
    QTest::newRow("trimmed to whole") << 2 << true << 3.0 << "3";
    QTest::newRow("untrimmed") << 2 << false << 2.5 << "2.50";
    QTest::newRow("no decimals rounds") << 0 << false << 12.7 << "13";
    QTest::newRow("whole number keeps its zeros") << 0 << true << 100.0 << "100";
    QTest::newRow("exponent, trimmed to whole") << 2 << true << 1e20 << "1e+20";
    QTest::newRow("exponent, untrimmed") << 2 << false << 1e-7 << "1.00e-07";
  }
  void formatNumber() {
    QFETCH(int, decimals);
    QFETCH(bool, trim);
    QFETCH(double, value);
    QFETCH(QString, expected);
    m_spin->SetDecimals(decimals);
    m_spin->SetTrimZeros(trim);
    QCOMPARE(m_spin->FormatNumber(value), expected);
  }
};

QTEST_MAIN(WindowPartsTest)
#include "window_parts_test.moc"
