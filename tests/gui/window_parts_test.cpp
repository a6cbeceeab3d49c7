// The pieces the main window is built from: template data, dialog units, the
// data exchange of number boxes, the skin, frame drawing and the player.
#include <QApplication>
#include <QImage>
#include <QSet>
#include <QStyle>
#include <QTest>
#include <cstring>

#include "app/gui/dialog_data.h"
#include "app/gui/dialog_template.h"
#include "app/gui/dialog_units.h"
#include "app/gui/frame_image.h"
#include "app/gui/frame_player.h"
#include "app/gui/skin.h"
#include "gui/window_test_support.h"

using gui::FieldResult;
using gui_test::GuiData;

Q_DECLARE_METATYPE(FieldResult)

class WindowPartsTest : public QObject {
  Q_OBJECT

 private slots:
  void templateIdsAreUniqueAndCaptionsExact();
  void dialogUnitsScaleEachEdge();
  void dialogFontIsSansSerif();
  void storeIntegerField_data();
  void storeIntegerField();
  void fieldMessages();
  void skinResourceStartsWithItsMagic();
  void skinStyleSheetNeedsHeaderAndName();
  void applySkinThemesTheApplication();
  void framesOfEveryDepthBecomeImages();
  void invalidFrameGivesANullImage();
  void playerStretchesWithHardEdges();
  void playerWithoutFramesStartsNoWorker();
};

void WindowPartsTest::templateIdsAreUniqueAndCaptionsExact() {
  const gui::DialogTemplate& dialog = gui::MainDialogTemplate();
  QCOMPARE(dialog.width, 515);
  QCOMPARE(dialog.height, 310);
  QCOMPARE(QString(dialog.fontFace), QString("Microsoft Sans Serif"));
  QCOMPARE(dialog.fontPointSize, 8);
  QSet<int> ids;
  QMap<int, QString> captions;
  for (const gui::DialogControl& control : dialog.controls) {
    if (control.id == gui::kNoId) continue;
    QVERIFY2(!ids.contains(control.id), qPrintable(QString::number(control.id)));
    ids.insert(control.id);
    captions[control.id] = QString::fromUtf8(control.caption);
  }
  QCOMPARE(ids.size(), 25);
  QCOMPARE(captions[1014], QString("1/2 Original Size"));
  QCOMPARE(captions[1008], QString("Convert To Swf"));
  QCOMPARE(captions[1011], QString("Static"));
  QCOMPARE(captions[1040], QString("..."));

  const auto menu = gui::ContextMenuCommands();
  QCOMPARE(menu.size(), size_t{3});
  QCOMPARE(menu[0].id, 32771);
  QCOMPARE(QString(menu[0].text), QString("ExportSingle"));
  QCOMPARE(menu[2].id, 32773);
  QCOMPARE(QString(menu[2].text), QString("Export Tga Sequences"));
}

void WindowPartsTest::dialogUnitsScaleEachEdge() {
  // The classic 8-point base units: 6 x 13 pixels.
  const gui::DialogUnits units(6, 13);
  QCOMPARE(units.ToPixels(515, 310), QSize(773, 504));
  QCOMPARE(units.ToPixels(7, 7, 321, 255), QRect(11, 11, 481, 415));
  // 1 du = 1.5 px horizontally: edges at 1.5 and 3.0 round to 2 and 3, so a
  // one-unit control starting at 1 is one pixel wide; halves round away from 0.
  QCOMPARE(units.ToPixels(1, 0, 1, 0), QRect(2, 0, 1, 0));
  QCOMPARE(units.ToPixels(-1, -4, 2, 8), QRect(-2, -7, 4, 14));
  // Base units below 1 are raised to 1.
  const gui::DialogUnits tiny(0, -3);
  QCOMPARE(tiny.baseWidth(), 1);
  QCOMPARE(tiny.baseHeight(), 1);
}

void WindowPartsTest::dialogFontIsSansSerif() {
  const QFont font = gui::DialogFont("Microsoft Sans Serif", 8);
  QCOMPARE(font.pointSize(), 8);
  QCOMPARE(font.styleHint(), QFont::SansSerif);
  const QFontInfo info(font);
  QVERIFY2(!info.family().contains("Serif") || info.family().contains("Sans"),
           qPrintable(info.family()));
  const gui::DialogUnits units = gui::DialogUnits::FromFont(font);
  QVERIFY(units.baseWidth() >= 4 && units.baseWidth() <= 9);
  QVERIFY(units.baseHeight() >= 10 && units.baseHeight() <= 18);
}

void WindowPartsTest::storeIntegerField_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<FieldResult>("result");
  QTest::addColumn<int>("field");
  QTest::newRow("plain") << "42" << FieldResult::Stored << 42;
  QTest::newRow("blanks and tabs around") << " \t42\t " << FieldResult::Stored << 42;
  QTest::newRow("plus sign") << "+7" << FieldResult::Stored << 7;
  QTest::newRow("minus zero") << "-0" << FieldResult::OutOfRange << 0;
  QTest::newRow("lower bound") << "1" << FieldResult::Stored << 1;
  QTest::newRow("upper bound") << "50" << FieldResult::Stored << 50;
  QTest::newRow("below") << "0" << FieldResult::OutOfRange << 0;
  QTest::newRow("above") << "51" << FieldResult::OutOfRange << 51;
  QTest::newRow("negative") << "-3" << FieldResult::OutOfRange << -3;
  QTest::newRow("beyond int clamps") << "99999999999" << FieldResult::OutOfRange << INT_MAX;
  QTest::newRow("beyond negative int clamps")
      << "-99999999999" << FieldResult::OutOfRange << INT_MIN;
  QTest::newRow("empty") << "" << FieldResult::NotAnInteger << -5;
  QTest::newRow("blanks only") << "   " << FieldResult::NotAnInteger << -5;
  QTest::newRow("sign only") << "-" << FieldResult::NotAnInteger << -5;
  QTest::newRow("trailing letter") << "12a" << FieldResult::NotAnInteger << -5;
  QTest::newRow("inner blank") << "1 2" << FieldResult::NotAnInteger << -5;
  QTest::newRow("decimal point") << "2.0" << FieldResult::NotAnInteger << -5;
  QTest::newRow("hex") << "0x10" << FieldResult::NotAnInteger << -5;
  QTest::newRow("full-width digit")
      << QString::fromUtf8("\xef\xbc\x91") << FieldResult::NotAnInteger << -5;
}

void WindowPartsTest::storeIntegerField() {
  QFETCH(QString, text);
  QFETCH(FieldResult, result);
  QFETCH(int, field);
  int value = -5;
  QCOMPARE(gui::StoreIntegerField(text, 1, 50, value), result);
  QCOMPARE(value, field);
}

void WindowPartsTest::fieldMessages() {
  QCOMPARE(gui::FieldMessage(FieldResult::Stored, 0, 1600), QString());
  QCOMPARE(gui::FieldMessage(FieldResult::NotAnInteger, 0, 1600),
           QString("Please enter an integer."));
  QCOMPARE(gui::FieldMessage(FieldResult::OutOfRange, 0, 1600),
           QString("Please enter an integer between 0 and 1600."));
  QCOMPARE(gui::FieldMessage(FieldResult::OutOfRange, 1, 50),
           QString("Please enter an integer between 1 and 50."));
}

void WindowPartsTest::skinResourceStartsWithItsMagic() {
  const QByteArray data = gui::ReadResource(gui::kSkinResource);
  QVERIFY(data.startsWith("USKN"));
  QVERIFY(!gui::SkinStyleSheet(data, gui::kSkinName).isEmpty());
  QVERIFY(gui::ReadResource(":/U3/145").isEmpty());
  QVERIFY(!gui::AppIcon().isNull());
}

void WindowPartsTest::skinStyleSheetNeedsHeaderAndName() {
  QCOMPARE(gui::SkinStyleSheet("USKN 1 tamsel.u3\nQWidget {}", "tamsel.u3"), QString("QWidget {}"));
  QCOMPARE(gui::SkinStyleSheet("USKN 1 tamsel.u3\nQWidget {}", "other.u3"), QString());
  QCOMPARE(gui::SkinStyleSheet("USKX 1 tamsel.u3\nQWidget {}", "tamsel.u3"), QString());
  QCOMPARE(gui::SkinStyleSheet("USKN 1 tamsel.u3", "tamsel.u3"), QString());
  QCOMPARE(gui::SkinStyleSheet("USKN tamsel.u3\nQWidget {}", "tamsel.u3"), QString());
  QCOMPARE(gui::SkinStyleSheet("", "tamsel.u3"), QString());
}

void WindowPartsTest::applySkinThemesTheApplication() {
  qApp->setStyleSheet(QString());
  QVERIFY(!gui::ApplySkin("missing.u3"));
  QVERIFY(qApp->styleSheet().isEmpty());
  QVERIFY(gui::ApplySkin(gui::kSkinName));
  QVERIFY(qApp->styleSheet().contains("QPushButton"));
  qApp->setStyleSheet(QString());
  QCOMPARE(QString(QApplication::style()->metaObject()->className()), QString("QFusionStyle"));
}

namespace {

// A 3 x 2 frame of `bits` per pixel whose pixels are set by `fill`.
image::ImageBuffer MakeFrame(int bits) {
  image::ImageBuffer frame;
  frame.Create(3, 2, bits);
  return frame;
}

}  // namespace

void WindowPartsTest::framesOfEveryDepthBecomeImages() {
  {
    image::ImageBuffer frame = MakeFrame(32);
    // B, G, R, A with a transparent alpha byte: drawn opaque all the same.
    const uint8_t pixel[4] = {0x10, 0x20, 0x30, 0x00};
    std::memcpy(frame.PixelAddress(2, 1), pixel, 4);
    const QImage image = gui::ToQImage(frame);
    QCOMPARE(image.size(), QSize(3, 2));
    QCOMPARE(image.pixel(2, 1), qRgb(0x30, 0x20, 0x10));
    QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 0));
  }
  {
    image::ImageBuffer frame = MakeFrame(24);
    const uint8_t pixel[3] = {0x01, 0x02, 0x03};
    std::memcpy(frame.PixelAddress(1, 0), pixel, 3);
    QCOMPARE(gui::ToQImage(frame).pixel(1, 0), qRgb(0x03, 0x02, 0x01));
  }
  {
    // 5-5-5: red 31, green 0, blue 16 -> 255, 0, 132.
    image::ImageBuffer frame = MakeFrame(16);
    const uint16_t word = (31 << 10) | 16;
    frame.PixelAddress(0, 1)[0] = static_cast<uint8_t>(word & 0xFF);
    frame.PixelAddress(0, 1)[1] = static_cast<uint8_t>(word >> 8);
    QCOMPARE(gui::ToQImage(frame).pixel(0, 1), qRgb(255, 0, 132));
  }
  {
    image::ImageBuffer frame = MakeFrame(8);
    const image::RgbQuad red{0, 0, 200, 0};
    frame.SetPalette(7, 1, &red);
    frame.PixelAddress(2, 0)[0] = 7;
    QCOMPARE(gui::ToQImage(frame).pixel(2, 0), qRgb(200, 0, 0));
  }
  {
    // Packed indexes, most significant bits first: pixel 1 of row 0 is the low
    // nibble of the row's first byte.
    image::ImageBuffer frame = MakeFrame(4);
    const image::RgbQuad green{0, 180, 0, 0};
    frame.SetPalette(5, 1, &green);
    frame.RowPointer(0)[0] = 0x05;
    const QImage image = gui::ToQImage(frame);
    QCOMPARE(image.pixel(1, 0), qRgb(0, 180, 0));
    QVERIFY(image.pixel(0, 0) != qRgb(0, 180, 0));
  }
  {
    image::ImageBuffer frame = MakeFrame(1);
    const image::RgbQuad white{255, 255, 255, 0};
    frame.SetPalette(1, 1, &white);
    frame.RowPointer(1)[0] = 0x20;  // pixel 2 of row 1
    const QImage image = gui::ToQImage(frame);
    QCOMPARE(image.pixel(2, 1), qRgb(255, 255, 255));
    QVERIFY(image.pixel(1, 1) != qRgb(255, 255, 255));
  }
}

void WindowPartsTest::invalidFrameGivesANullImage() {
  const image::ImageBuffer empty;
  QVERIFY(gui::ToQImage(empty).isNull());
}

void WindowPartsTest::playerStretchesWithHardEdges() {
  gui::CFramePlayer player;
  player.resize(100, 80);
  // Nothing loaded: the control paints only its frame line.
  const QImage blank = player.grab().toImage();
  QCOMPARE(blank.pixel(50, 40), blank.pixel(30, 30));

  QVERIFY(player.store().LoadGif(GuiData("checker_2x2.gif").toStdString()));
  const QImage shot = player.grab().toImage();
  // Each source pixel covers one quarter, aspect ratio not kept.
  QCOMPARE(shot.pixel(0, 0), qRgb(255, 0, 0));
  QCOMPARE(shot.pixel(49, 39), qRgb(255, 0, 0));
  QCOMPARE(shot.pixel(50, 0), qRgb(0, 255, 0));
  QCOMPARE(shot.pixel(0, 40), qRgb(0, 0, 255));
  QCOMPARE(shot.pixel(99, 79), qRgb(255, 255, 255));
  // No smoothing: only the four colours appear.
  const QSet<QRgb> colours{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      QVERIFY2(colours.contains(shot.pixel(x, y) | 0xFF000000u),
               qPrintable(QString("%1,%2").arg(x).arg(y)));
    }
  }
}

void WindowPartsTest::playerWithoutFramesStartsNoWorker() {
  gui::CFramePlayer player;
  player.StopWorker();
  player.StartWorker();
  QVERIFY(!player.WorkerRunning());
  QVERIFY(!player.store().LoadGif(GuiData("truncated.gif").toStdString()));
  player.StartWorker();
  QVERIFY(!player.WorkerRunning());
  QVERIFY(!player.grab().isNull());
  QVERIFY(player.store().LoadGif(GuiData("one_frame.gif").toStdString()));
  player.StartWorker();
  QVERIFY(!player.WorkerRunning());
  // A two-frame GIF does run one, and stopping it keeps the position.
  QVERIFY(player.store().LoadGif(GuiData("size_101x75.gif").toStdString()));
  player.StartWorker();
  QVERIFY(player.WorkerRunning());
  player.StopWorker();
  QVERIFY(!player.WorkerRunning());
  QCOMPARE(player.CurrentIndex(), 0);
}

QTEST_MAIN(WindowPartsTest)
#include "window_parts_test.moc"
