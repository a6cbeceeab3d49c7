// The sequence export dialog, run on its own, and the save-path rule of single
// frame exports.
#include "app/gui/export_dialog.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <optional>

#include "app/gui/save_path_rule.h"
#include "gui/window_test_support.h"

using gui::CExportDialog;
using gui_test::le32;
using gui_test::readAll;
using namespace std::chrono_literals;

namespace {

QString hex(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ')); }

// Frame i of the test GIF is filled with (R, G, B) = (10 i + 5, 200 - 10 i, 3 i + 100):
// the B, G, R, A bytes of its 32-bit pixels.
QString framePixel(int i) {
  const char bgra[] = {static_cast<char>(3 * i + 100), static_cast<char>(200 - 10 * i),
                       static_cast<char>(10 * i + 5), static_cast<char>(255)};
  return hex(QByteArray(bgra, 4));
}

QString frameName(int index, const char* extension) {
  return QString("twelve_frames%1%2").arg(index, 5, 10, QChar('0')).arg(extension);
}

}  // namespace

class ExportDialogTest : public QObject {
  Q_OBJECT

  std::optional<gui_test::ScriptedHooks> m_hooks;
  QTemporaryDir m_temp;
  QString m_output;
  QString m_sequenceDir;

  std::unique_ptr<CExportDialog> exporter(const QString& gif, const char* extension) {
    return std::make_unique<CExportDialog>(nullptr, gif.toStdString(), m_output.toStdString() + "/",
                                           extension);
  }
  QString countLabel(CExportDialog& dialog) {
    return qobject_cast<QLabel*>(dialog.item(gui::ExportCountLabel))->text();
  }

 private slots:
  void init() {
    m_hooks.emplace();
    m_output = m_temp.path() + "/" + QTest::currentTestFunction();
    QVERIFY(QDir().mkpath(m_output));
    m_sequenceDir = m_output + "/quorvex";
  }
  void cleanup() { m_hooks.reset(); }

  void bmpSequenceWritesEveryFrame() {
    const auto dialog = exporter(gui_test::kTwelveFrames, ".bmp");
    QCOMPARE(dialog->windowTitle(), QString("On Exporting Files..."));
    QString whenClosing;
    connect(dialog.get(), &QDialog::finished, this, [&] {
      const auto* bar = qobject_cast<QProgressBar*>(dialog->item(gui::ExportProgressBar));
      whenClosing =
          countLabel(*dialog) + QString(" bar %1 of %2").arg(bar->value()).arg(bar->maximum());
    });
    QCOMPARE(dialog->exec(), int(QDialog::Rejected));
    QCOMPARE(whenClosing, QString("12/12 bar 12 of 12"));
    QCOMPARE(dialog->failedCount(), 0);
    QVERIFY2(m_hooks->messages.isEmpty(), qPrintable(m_hooks->messages.join('\n')));
    // The missing "quorvex" folder was created; it holds exactly the twelve files,
    // each its frame at the GIF's size: "BM", a 40-byte info header with width 5,
    // height 3 and 32 bits per pixel, the first pixel at bfOffBits.
    QStringList expected;
    for (int i = 0; i < 12; ++i) expected << frameName(i, ".bmp");
    QCOMPARE(QDir(m_sequenceDir).entryList(QDir::Files, QDir::Name), expected);
    for (int i : {0, 11}) {
      const QByteArray bytes = readAll(m_sequenceDir + "/" + expected[i]);
      QVERIFY2(bytes.size() > 54, qPrintable(expected[i]));
      QCOMPARE(bytes.left(2), QByteArray("BM"));
      QCOMPARE(QList<uint32_t>({le32(bytes, 14), le32(bytes, 18), le32(bytes, 22)}),
               QList<uint32_t>({40, 5, 3}));
      QCOMPARE(int(bytes[28]), 32);
      QCOMPARE(hex(bytes.mid(int(le32(bytes, 10)), 4)), framePixel(i));
    }
  }

  void escapeOrCloseBoxLeavesTheFilesWritten() {
    for (const bool escape : {true, false}) {
      QVERIFY(QDir(m_sequenceDir).removeRecursively());
      const auto dialog = exporter(gui_test::kTwelveFrames, ".bmp");
      // Ticks are driven by hand here, so none comes from the clock.
      dialog->setTickInterval(1h);
      dialog->show();
      // Ticks before the GIF is decoded write nothing.
      dialog->OnTimer();
      QTRY_VERIFY(!dialog->decoding());
      QCOMPARE(dialog->position(), 0);
      for (int i = 0; i < 3; ++i) dialog->OnTimer();
      QCOMPARE(countLabel(*dialog), QString("3/12"));
      if (escape) {
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
      } else {
        QVERIFY(dialog->close());
      }
      QVERIFY(!dialog->isVisible());
      QCOMPARE(dialog->result(), int(QDialog::Rejected));
      // A tick that was already queued writes nothing more.
      dialog->OnTimer();
      QCOMPARE(dialog->position(), 3);
      QCOMPARE(QDir(m_sequenceDir).entryList(QDir::Files, QDir::Name),
               (QStringList{frameName(0, ".bmp"), frameName(1, ".bmp"), frameName(2, ".bmp")}));
    }
    QVERIFY(m_hooks->messages.isEmpty());
  }

  void noGifOpenClosesAfterOneTick() {
    const auto dialog = exporter("", ".bmp");
    QCOMPARE(dialog->exec(), int(QDialog::Rejected));
    QCOMPARE(dialog->frameCount(), 0);
    QCOMPARE(dialog->position(), 0);
    QVERIFY(!QDir(m_sequenceDir).exists());
    QVERIFY(m_hooks->messages.isEmpty());
  }

  void tgaSequenceOfThirtyTwoBitFrames() {
    const auto dialog = exporter(gui_test::kTwelveFrames, ".tga");
    dialog->setTickInterval(1ms);
    QCOMPARE(dialog->exec(), int(QDialog::Rejected));
    QCOMPARE(QDir(m_sequenceDir).entryList(QDir::Files).size(), 12);
    // 18-byte header: ID length 12, no colour map, type 2, map length 256 and entry
    // size 24 all the same, origin 0,0, 5 x 3, 32 bits, descriptor 0x20 (top row
    // first); then the 12-byte ID and 5 x 3 x 4 bytes of rows.
    const QByteArray header = QByteArray::fromHex(
        "0c 00 02 00 00 00 01 18 00 00 00 00 05 00 03 00 20 20"
        "56 61 76 4f 64 20 2d 2d 20 54 47 41");
    for (int i : {0, 11}) {
      const QByteArray bytes = readAll(m_sequenceDir + "/" + frameName(i, ".tga"));
      QCOMPARE(bytes.size(), 30 + 5 * 3 * 4);
      QCOMPARE(hex(bytes.left(30)), hex(header));
      QCOMPARE(hex(bytes.mid(30, 4)), framePixel(i));
      QCOMPARE(hex(bytes.right(4)), framePixel(i));
    }
  }

  void failuresAreReported() {
    const QString notGif = m_output + "/text.gif";
    QFile text(notGif);
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
    text.close();
    const auto unreadable = exporter(notGif, ".bmp");
    QCOMPARE(unreadable->exec(), int(QDialog::Rejected));
    QCOMPARE(unreadable->frameCount(), 0);
    QVERIFY(!QDir(m_sequenceDir).exists());
    QCOMPARE(m_hooks->messages.size(), 1);
    QVERIFY2(m_hooks->messages[0].startsWith("cannot read " + notGif + ": "),
             qPrintable(m_hooks->messages[0]));
    // A file where the "quorvex" folder should go: no frame can be written.
    QFile blocker(m_sequenceDir);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const auto unwritable = exporter(gui_test::kTwelveFrames, ".bmp");
    unwritable->setTickInterval(1ms);
    QCOMPARE(unwritable->exec(), int(QDialog::Rejected));
    QCOMPARE(unwritable->position(), 12);
    QCOMPARE(unwritable->failedCount(), 12);
    QCOMPARE(m_hooks->messages.size(), 2);
    QVERIFY2(m_hooks->messages[1].startsWith("12 of 12 files could not be written.\n\n") &&
                 m_hooks->messages[1].contains(m_sequenceDir),
             qPrintable(m_hooks->messages[1]));
  }

  void savePathRule_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<bool>("typedExtension");
    QTest::addColumn<QString>("expected");
    QTest::newRow("BMP filter") << "/a/frame" << 1 << false << "/a/frame.bmp";
    QTest::newRow("GIF filter") << "/a/frame" << 2 << false << "/a/frame.gif";
    QTest::newRow("JPEG filter") << "/a/frame" << 3 << false << "/a/frame.jpg";
    QTest::newRow("PNG filter") << "/a/frame" << 4 << false << "/a/frame.png";
    QTest::newRow("TIFF filter") << "/a/frame" << 5 << false << "/a/frame.tif";
    QTest::newRow("typed extension without a dot") << "/a/frame" << 4 << true << "/a/frame";
    QTest::newRow("filter index 0") << "/a/frame" << 0 << false << "/a/frame";
    QTest::newRow("filter index 6") << "/a/frame" << 6 << false << "/a/frame";
  }
  void savePathRule() {
    QFETCH(QString, chosen);
    QFETCH(int, filterIndex);
    QFETCH(bool, typedExtension);
    QFETCH(QString, expected);
    QCOMPARE(gui::imageSaveFilters(),
             (QStringList{"BMP File (*.bmp)", "GIF File (*.gif)", "JPEG File (*.jpg *.jpeg)",
                          "PNG Files (*.png)", "TIFF Files (*.tif *.tiff)"}));
    QCOMPARE(gui::imageSavePath(chosen, filterIndex, typedExtension), expected);
  }
};

QTEST_MAIN(ExportDialogTest)
#include "export_dialog_test.moc"
