#include "app/gui/export_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdint>
#include <string>

#include "app/gui/ui_hooks.h"
#include "image/image_buffer.h"
#include "image/image_sequence.h"

using gui::CExportDialog;
using namespace std::chrono_literals;

namespace {

const std::string kTwelveFrames = QUORVEX_TEST_DATA_DIR "/gui/controls/twelve_frames.gif";

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

uint32_t Le32(const QByteArray& bytes, int offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

QString Hex(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ')); }

// The colour the test GIF gives frame `index`, as the B, G, R, A bytes of a 32-bit pixel.
QByteArray FramePixel(int index) {
  const char pixel[] = {static_cast<char>(3 * index + 100), static_cast<char>(200 - 10 * index),
                        static_cast<char>(10 * index + 5), static_cast<char>(255)};
  return QByteArray(pixel, 4);
}

}  // namespace

class ExportDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void bmpSequenceWritesEveryFrame();
  void escapeAfterThreeTicksLeavesThreeFiles();
  void closeBoxStopsLikeEscape();
  void noGifOpenClosesAfterOneTick();
  void tgaSequenceOfThirtyTwoBitFrames();
  void undecodableGifIsReported();
  void unwritableFolderIsReported();
  void labelsKeepTheDialogFontUnderAStyleSheet();
  void frameCopyIsResizedAndSavedByExtension();
  void frameCopyWithUnknownExtensionWritesNothing();

 private:
  QStringList m_messages;
  QTemporaryDir m_dir;
  std::string m_output;
  QString m_sequenceDir;
};

void ExportDialogTest::init() {
  m_messages.clear();
  gui::Hooks().showMessage = [this](QWidget*, const QString& text) { m_messages << text; };
  QVERIFY(m_dir.isValid());
  m_output = m_dir.path().toStdString() + "/" + QTest::currentTestFunction() + "/";
  QVERIFY(QDir().mkpath(QString::fromStdString(m_output)));
  m_sequenceDir = QString::fromStdString(m_output) + "quorvex";
}

void ExportDialogTest::cleanup() { gui::ResetHooks(); }

void ExportDialogTest::bmpSequenceWritesEveryFrame() {
  CExportDialog dialog(nullptr, kTwelveFrames, m_output, ".bmp");
  QCOMPARE(dialog.windowTitle(), QString("On Exporting Files..."));
  QString labelWhenClosing;
  int barWhenClosing = -1;
  connect(&dialog, &QDialog::finished, this, [&] {
    labelWhenClosing = qobject_cast<QLabel*>(dialog.item(CExportDialog::kCountLabelId))->text();
    barWhenClosing =
        qobject_cast<QProgressBar*>(dialog.item(CExportDialog::kProgressBarId))->value();
  });
  QCOMPARE(dialog.exec(), int(QDialog::Rejected));
  QCOMPARE(labelWhenClosing, QString("12/12"));
  QCOMPARE(barWhenClosing, 12);
  QCOMPARE(qobject_cast<QProgressBar*>(dialog.item(CExportDialog::kProgressBarId))->maximum(), 12);
  QCOMPARE(dialog.FrameCount(), 12);
  QCOMPARE(dialog.FailedCount(), 0);
  QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));

  // The missing "quorvex" folder was created; it holds exactly the twelve files.
  QStringList expected;
  for (int i = 0; i < 12; ++i) expected << QString("twelve_frames%1.bmp").arg(i, 5, 10, QChar('0'));
  QCOMPARE(QDir(m_sequenceDir).entryList(QDir::Files, QDir::Name), expected);

  // Each file holds its frame at the GIF's size: BITMAPFILEHEADER "BM", a 40-byte
  // BITMAPINFOHEADER with width 5, height 3 (bottom-up) and 32 bits per pixel.
  for (int i = 0; i < 12; ++i) {
    const QByteArray bytes = ReadAll(m_sequenceDir + "/" + expected[i]);
    QVERIFY2(bytes.size() > 54, qPrintable(expected[i]));
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(Le32(bytes, 14), 40u);
    QCOMPARE(Le32(bytes, 18), 5u);
    QCOMPARE(Le32(bytes, 22), 3u);
    QCOMPARE(static_cast<int>(static_cast<uint8_t>(bytes[28])), 32);
    const uint32_t pixels = Le32(bytes, 10);
    QCOMPARE(Hex(bytes.mid(static_cast<int>(pixels), 4)), Hex(FramePixel(i)));
  }
}

void ExportDialogTest::escapeAfterThreeTicksLeavesThreeFiles() {
  CExportDialog dialog(nullptr, kTwelveFrames, m_output, ".bmp");
  // Ticks are driven by hand here, so none comes from the clock.
  dialog.SetTickInterval(1h);
  dialog.show();
  QCOMPARE(dialog.FrameCount(), 12);
  for (int i = 0; i < 3; ++i) dialog.OnTimer();
  QCOMPARE(qobject_cast<QLabel*>(dialog.item(CExportDialog::kCountLabelId))->text(),
           QString("3/12"));
  QTest::keyClick(&dialog, Qt::Key_Escape);
  QVERIFY(!dialog.isVisible());
  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  // A tick that was already queued writes nothing more.
  dialog.OnTimer();
  QCOMPARE(dialog.Position(), 3);
  const QStringList expected = {"twelve_frames00000.bmp", "twelve_frames00001.bmp",
                                "twelve_frames00002.bmp"};
  QCOMPARE(QDir(m_sequenceDir).entryList(QDir::Files, QDir::Name), expected);
  QVERIFY(m_messages.isEmpty());
}

void ExportDialogTest::closeBoxStopsLikeEscape() {
  CExportDialog dialog(nullptr, kTwelveFrames, m_output, ".bmp");
  dialog.SetTickInterval(1h);
  dialog.show();
  dialog.OnTimer();
  QVERIFY(dialog.close());
  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  QCOMPARE(QDir(m_sequenceDir).entryList(QDir::Files), QStringList{"twelve_frames00000.bmp"});
}

void ExportDialogTest::noGifOpenClosesAfterOneTick() {
  CExportDialog dialog(nullptr, "", m_output, ".bmp");
  QCOMPARE(dialog.exec(), int(QDialog::Rejected));
  QCOMPARE(dialog.FrameCount(), 0);
  QCOMPARE(dialog.Position(), 0);
  QVERIFY(!QDir(m_sequenceDir).exists());
  QVERIFY(m_messages.isEmpty());
}

void ExportDialogTest::tgaSequenceOfThirtyTwoBitFrames() {
  CExportDialog dialog(nullptr, kTwelveFrames, m_output, ".tga");
  dialog.SetTickInterval(1ms);
  QCOMPARE(dialog.exec(), int(QDialog::Rejected));
  QCOMPARE(QDir(m_sequenceDir).entryList(QDir::Files).size(), 12);
  // 18-byte header: ID length 12, no colour map, type 2, map length 256 and entry
  // size 24 all the same, origin 0,0, 5 x 3, 32 bits, descriptor 0x20 (top row
  // first); then the 12-byte ID and 5 x 3 x 4 bytes of rows.
  const QByteArray header = QByteArray::fromHex(
      "0c 00 02 00 00 00 01 18 00 00 00 00 05 00 03 00 20 20"
      "56 61 76 4f 64 20 2d 2d 20 54 47 41");
  for (int i : {0, 7, 11}) {
    const QString name = QString("twelve_frames%1.tga").arg(i, 5, 10, QChar('0'));
    const QByteArray bytes = ReadAll(m_sequenceDir + "/" + name);
    QCOMPARE(bytes.size(), 30 + 5 * 3 * 4);
    QCOMPARE(Hex(bytes.left(30)), Hex(header));
    QCOMPARE(Hex(bytes.mid(30, 4)), Hex(FramePixel(i)));
    QCOMPARE(Hex(bytes.right(4)), Hex(FramePixel(i)));
  }
}

void ExportDialogTest::undecodableGifIsReported() {
  const std::string notGif = m_dir.path().toStdString() + "/text.gif";
  QFile file(QString::fromStdString(notGif));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("this is not a picture");
  file.close();
  CExportDialog dialog(nullptr, notGif, m_output, ".bmp");
  dialog.SetTickInterval(1ms);
  QCOMPARE(dialog.exec(), int(QDialog::Rejected));
  QCOMPARE(dialog.FrameCount(), 0);
  QVERIFY(!QDir(m_sequenceDir).exists());
  QCOMPARE(m_messages.size(), 1);
  QVERIFY2(m_messages[0].startsWith("cannot read " + QString::fromStdString(notGif) + ": "),
           qPrintable(m_messages[0]));
}

void ExportDialogTest::unwritableFolderIsReported() {
  // A file where the "quorvex" folder should go: no frame can be written.
  QFile blocker(m_sequenceDir);
  QVERIFY(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  CExportDialog dialog(nullptr, kTwelveFrames, m_output, ".bmp");
  dialog.SetTickInterval(1ms);
  QCOMPARE(dialog.exec(), int(QDialog::Rejected));
  QCOMPARE(dialog.Position(), 12);
  QCOMPARE(dialog.FailedCount(), 12);
  QCOMPARE(m_messages.size(), 1);
  QVERIFY2(m_messages[0].startsWith("12 of 12 files could not be written.\n\n"),
           qPrintable(m_messages[0]));
  QVERIFY2(m_messages[0].contains(m_sequenceDir), qPrintable(m_messages[0]));
}

void ExportDialogTest::labelsKeepTheDialogFontUnderAStyleSheet() {
  qApp->setStyleSheet("QDialog { background: #f3f4f6; }");
  CExportDialog dialog(nullptr, "", m_output, ".bmp");
  dialog.SetTickInterval(1h);
  dialog.show();
  const QStringList dialogFamilies = dialog.font().families();
  QCOMPARE(dialog.item(CExportDialog::kCountLabelId)->font().families(), dialogFamilies);
  qApp->setStyleSheet(QString());
}

void ExportDialogTest::frameCopyIsResizedAndSavedByExtension() {
  image::ImageSequence frames;
  QVERIFY(frames.Load(kTwelveFrames));
  const image::ImageBuffer& frame = *frames.At(4);
  const std::string dir = m_output;
  std::string error;
  QVERIFY2(gui::ExportFrameCopy(frame, 10, 6, dir + "frame.bmp", &error), error.c_str());
  const QByteArray bmp = ReadAll(QString::fromStdString(dir + "frame.bmp"));
  QVERIFY(bmp.size() > 54);
  QCOMPARE(Le32(bmp, 18), 10u);
  QCOMPARE(Le32(bmp, 22), 6u);
  // A solid frame stays solid when it is scaled.
  QCOMPARE(Hex(bmp.mid(static_cast<int>(Le32(bmp, 10)), 4)), Hex(FramePixel(4)));

  // ".tga" typed by hand goes to the TGA writer.
  QVERIFY2(gui::ExportFrameCopy(frame, 2, 1, dir + "frame.tga", &error), error.c_str());
  const QByteArray tga = ReadAll(QString::fromStdString(dir + "frame.tga"));
  QCOMPARE(tga.size(), 30 + 2 * 1 * 4);
  QCOMPARE(Hex(tga.mid(12, 4)), QString("02 00 01 00"));

  // The held frame itself is never changed.
  QCOMPARE(frame.Width(), 5);
  QCOMPARE(frame.Height(), 3);
}

void ExportDialogTest::frameCopyWithUnknownExtensionWritesNothing() {
  image::ImageSequence frames;
  QVERIFY(frames.Load(kTwelveFrames));
  for (const char* name : {"frame.xyz", "frame"}) {
    const std::string path = m_output + name;
    std::string error;
    QVERIFY(!gui::ExportFrameCopy(*frames.At(0), 5, 3, path, &error));
    QVERIFY2(error.find(path) != std::string::npos, error.c_str());
    QVERIFY(!QFile::exists(QString::fromStdString(path)));
  }
  QCOMPARE(QDir(QString::fromStdString(m_output)).entryList(QDir::Files), QStringList());
}

QTEST_MAIN(ExportDialogTest)
#include "export_dialog_test.moc"
