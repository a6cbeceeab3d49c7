#include "app/core/file_names.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(FileNames, TempFramesLieUnderTheOutputDirectory) {
  EXPECT_EQ(TempDirectory("C:/Tools/"), "C:/Tools/quorvex/Temp/");
  EXPECT_EQ(TempFramePath("C:/out/", "D:\\clips\\cat.walk.gif", 7),
            "C:/out/quorvex/Temp/cat.walk00007.jpg");
  EXPECT_EQ(TempFramePath("/o/", "C:\\anim\\walk.cycle.gif", 3),
            "/o/quorvex/Temp/walk.cycle00003.jpg");
}

TEST(FileNames, BaseNameDropsFoldersAndOnlyTheLastExtension) {
  EXPECT_EQ(MoviePath("C:/out/", "C:\\anim\\walk.cycle.gif"), "C:/out/walk.cycle.swf");
  EXPECT_EQ(MoviePath("/out/", "/home/u/a.b.c.gif"), "/out/a.b.c.swf");
  EXPECT_EQ(MoviePath("/out/", "/home/u.v/noext"), "/out/noext.swf");
  EXPECT_EQ(TempFramePath("/o/", "a.b.c.gif", 0), "/o/quorvex/Temp/a.b.c00000.jpg");
  EXPECT_EQ(TempFramePath("/o/", "a.b.c.gif", 1), "/o/quorvex/Temp/a.b.c00001.jpg");
}

TEST(FileNames, FrameNumbersHaveAtLeastFiveDigits) {
  EXPECT_EQ(TempFramePath("/o/", "x.gif", 1000), "/o/quorvex/Temp/x01000.jpg");
  EXPECT_EQ(TempFramePath("/o/", "x.gif", 99999), "/o/quorvex/Temp/x99999.jpg");
  EXPECT_EQ(TempFramePath("/o/", "x.gif", 123456), "/o/quorvex/Temp/x123456.jpg");
}

TEST(FileNames, SequenceFilesLieInTheQuorvexFolder) {
  EXPECT_EQ(SequenceFramePath("C:/out/", "C:\\gifs\\anim.gif", 7, ".bmp"),
            "C:/out/quorvex/anim00007.bmp");
  EXPECT_EQ(SequenceFramePath("/o/", "/g/anim.gif", 11, ".tga"), "/o/quorvex/anim00011.tga");
}

}  // namespace
}  // namespace core
