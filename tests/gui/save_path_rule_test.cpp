#include "app/gui/save_path_rule.h"

#include <QTest>

class SavePathRuleTest : public QObject {
  Q_OBJECT

 private slots:
  void filtersInDialogOrder();
  void savePath_data();
  void savePath();
};

void SavePathRuleTest::filtersInDialogOrder() {
  const QStringList expected = {"BMP File (*.bmp)", "GIF File (*.gif)", "JPEG File (*.jpg *.jpeg)",
                                "PNG Files (*.png)", "TIFF Files (*.tif *.tiff)"};
  QCOMPARE(gui::ImageSaveFilters(), expected);
}

void SavePathRuleTest::savePath_data() {
  QTest::addColumn<QString>("chosen");
  QTest::addColumn<int>("filterIndex");
  QTest::addColumn<bool>("typedExtension");
  QTest::addColumn<QString>("expected");
  QTest::newRow("no extension, PNG filter")
      << "/home/ann/frame" << 4 << false << "/home/ann/frame.png";
  QTest::newRow("BMP filter") << "/home/ann/frame" << 1 << false << "/home/ann/frame.bmp";
  QTest::newRow("GIF filter") << "/home/ann/frame" << 2 << false << "/home/ann/frame.gif";
  QTest::newRow("JPEG filter") << "/home/ann/frame" << 3 << false << "/home/ann/frame.jpg";
  QTest::newRow("TIFF filter") << "/home/ann/frame" << 5 << false << "/home/ann/frame.tif";
  QTest::newRow("typed .bmp with the PNG filter stays")
      << "/home/ann/frame.bmp" << 4 << true << "/home/ann/frame.bmp";
  QTest::newRow("typed .tga stays") << "/home/ann/frame.tga" << 1 << true << "/home/ann/frame.tga";
  QTest::newRow("dot in a folder name: nothing added")
      << "/home/ann/my.pics/frame" << 4 << false << "/home/ann/my.pics/frame";
  QTest::newRow("extension reported without a dot: nothing added")
      << "/home/ann/frame" << 4 << true << "/home/ann/frame";
  QTest::newRow("filter index 0") << "/home/ann/frame" << 0 << false << "/home/ann/frame";
  QTest::newRow("filter index 6") << "/home/ann/frame" << 6 << false << "/home/ann/frame";
}

void SavePathRuleTest::savePath() {
  QFETCH(QString, chosen);
  QFETCH(int, filterIndex);
  QFETCH(bool, typedExtension);
  QFETCH(QString, expected);
  QCOMPARE(gui::ImageSavePath(chosen, filterIndex, typedExtension), expected);
}

QTEST_MAIN(SavePathRuleTest)
#include "save_path_rule_test.moc"
