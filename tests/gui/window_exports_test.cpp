#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

#include "app/gui/main_dialog.h"
#include "app/gui/ui_hooks.h"

using gui::CMainDialog;

namespace {

const QString kTwelveFrames = QUORVEX_TEST_DATA_DIR "/gui/controls/twelve_frames.gif";

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

uint32_t Le32(const QByteArray& bytes, int offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

void Click(CMainDialog& dialog, int id) {
  qobject_cast<QAbstractButton*>(dialog.item(id))->click();
}

}  // namespace

// The exports as the window runs them: menu commands and hidden buttons, the save
// dialog's answer through the extension rule, the files written.
class WindowExportsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void sequenceExportsFromTheContextMenu();
  void hiddenButtonsRunTheSequenceExports();
  void singleExportFollowsTheTypedName();
  void singleExportUsesTheOutputSize();

 private:
  void OpenGifAndOutput(CMainDialog& dialog);
  void ExportSingle(CMainDialog& dialog, const QString& path, int filterIndex, bool typed);

  QTemporaryDir m_dir;
  QString m_output;
  QStringList m_messages;
  std::optional<gui::SaveChoice> m_saveChoice;
};

void WindowExportsTest::init() {
  QVERIFY(m_dir.isValid());
  m_output = m_dir.path() + "/" + QTest::currentTestFunction();
  QVERIFY(QDir().mkpath(m_output));
  m_messages.clear();
  gui::UiHooks& hooks = gui::Hooks();
  hooks.showMessage = [this](QWidget*, const QString& text) { m_messages << text; };
  hooks.chooseGifFile = [](QWidget*) { return std::optional<QString>(kTwelveFrames); };
  hooks.chooseDirectory = [this](QWidget*, const QString&) {
    return std::optional<QString>(m_output);
  };
  hooks.chooseSavePath = [this](QWidget*, const QStringList&) { return m_saveChoice; };
  hooks.openExternal = [](const QString&) { return false; };
}

void WindowExportsTest::cleanup() { gui::ResetHooks(); }

void WindowExportsTest::OpenGifAndOutput(CMainDialog& dialog) {
  Click(dialog, 1040);
  Click(dialog, 1005);
  QCOMPARE(QString::fromStdString(dialog.gifPath()), kTwelveFrames);
  QCOMPARE(QString::fromStdString(dialog.settings().outputDirectory), m_output + "/");
}

void WindowExportsTest::ExportSingle(CMainDialog& dialog, const QString& path, int filterIndex,
                                     bool typed) {
  m_saveChoice = gui::SaveChoice{path, filterIndex, typed};
  QVERIFY(dialog.OnCommand(32771));
}

void WindowExportsTest::sequenceExportsFromTheContextMenu() {
  CMainDialog dialog;
  OpenGifAndOutput(dialog);
  QVERIFY(dialog.OnCommand(32772));
  QVERIFY(dialog.OnCommand(32773));
  const QStringList files = QDir(m_output + "/quorvex").entryList(QDir::Files, QDir::Name);
  QCOMPARE(files.size(), 24);
  QCOMPARE(files.first(), QString("twelve_frames00000.bmp"));
  QCOMPARE(files.last(), QString("twelve_frames00011.tga"));
  // The sequence keeps the GIF's own size whatever the output size.
  QCOMPARE(Le32(ReadAll(m_output + "/quorvex/twelve_frames00011.bmp"), 18), 5u);
  QVERIFY(m_messages.isEmpty());
}

void WindowExportsTest::hiddenButtonsRunTheSequenceExports() {
  CMainDialog dialog;
  OpenGifAndOutput(dialog);
  for (int id : {1006, 1007}) {
    QVERIFY(!dialog.item(id)->isVisible());
    QVERIFY(dialog.item(id)->isEnabled());
    // Stopped before its first tick: the dialog ran and wrote nothing.
    QString title;
    QTimer::singleShot(0, [&title] {
      if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        title = modal->windowTitle();
        modal->reject();
      }
    });
    Click(dialog, id);
    QCOMPARE(title, QString("On Exporting Files..."));
  }
  QVERIFY(QDir(m_output + "/quorvex").entryList(QDir::Files).isEmpty());
  QVERIFY(m_messages.isEmpty());
}

void WindowExportsTest::singleExportFollowsTheTypedName() {
  CMainDialog dialog;
  OpenGifAndOutput(dialog);

  // "frame.bmp" typed with the PNG filter stays a BMP file.
  ExportSingle(dialog, m_output + "/frame.bmp", 4, true);
  QCOMPARE(QString::fromStdString(dialog.singleExportPath()), m_output + "/frame.bmp");
  QCOMPARE(ReadAll(m_output + "/frame.bmp").left(2), QByteArray("BM"));

  // ".tga" typed by hand goes to the TGA writer: image type 2, 32 bits.
  ExportSingle(dialog, m_output + "/frame.tga", 1, true);
  const QByteArray tga = ReadAll(m_output + "/frame.tga");
  QCOMPARE(tga.size(), 30 + 5 * 3 * 4);
  QCOMPARE(static_cast<int>(tga[2]), 2);
  QCOMPARE(static_cast<int>(tga[16]), 32);
  QVERIFY(m_messages.isEmpty());

  // A '.' in a folder name: no extension is added, so no writer takes the name.
  QVERIFY(QDir().mkpath(m_output + "/my.pics"));
  ExportSingle(dialog, m_output + "/my.pics/frame", 4, false);
  QCOMPARE(QString::fromStdString(dialog.singleExportPath()), m_output + "/my.pics/frame");
  QVERIFY(!QFile::exists(m_output + "/my.pics/frame"));
  QCOMPARE(m_messages.size(), 1);
  QVERIFY2(m_messages[0].contains(m_output + "/my.pics/frame"), qPrintable(m_messages[0]));
}

void WindowExportsTest::singleExportUsesTheOutputSize() {
  CMainDialog dialog;
  OpenGifAndOutput(dialog);
  ExportSingle(dialog, m_output + "/actual", 1, false);
  QByteArray bmp = ReadAll(m_output + "/actual.bmp");
  QCOMPARE(Le32(bmp, 18), 5u);
  QCOMPARE(Le32(bmp, 22), 3u);

  Click(dialog, 1017);  // "Triple Size"
  QCOMPARE(dialog.settings().width, 15);
  ExportSingle(dialog, m_output + "/triple", 1, false);
  bmp = ReadAll(m_output + "/triple.bmp");
  QCOMPARE(Le32(bmp, 18), 15u);
  QCOMPARE(Le32(bmp, 22), 9u);
  QVERIFY(m_messages.isEmpty());
}

QTEST_MAIN(WindowExportsTest)
#include "window_exports_test.moc"
