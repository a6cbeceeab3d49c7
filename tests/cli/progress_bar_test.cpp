#include "cli/progress_bar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace cli {
namespace {

TEST(FormatProgress, FillsThirtyCellsInProportion) {
  EXPECT_EQ(FormatProgress("a.gif", 0, 10), "a.gif [------------------------------] 0/10");
  EXPECT_EQ(FormatProgress("a.gif", 5, 10), "a.gif [###############---------------] 5/10");
  EXPECT_EQ(FormatProgress("a.gif", 10, 10), "a.gif [##############################] 10/10");
  EXPECT_EQ(FormatProgress("b", 1, 3), "b [##########--------------------] 1/3");
}

TEST(FormatProgress, ClampsCountsOutsideTheTotal) {
  EXPECT_EQ(FormatProgress("x", 12, 10), "x [##############################] 12/10");
  EXPECT_EQ(FormatProgress("x", -1, 10), "x [------------------------------] -1/10");
  EXPECT_EQ(FormatProgress("x", 3, 0), "x [------------------------------] 3/0");
}

std::string Captured(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  return text;
}

TEST(ProgressBar, RedrawsInPlaceOnlyWhenTheTextChangesAndClearsItsLine) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  {
    ProgressBar bar(file, true);
    bar.Update("g", 1, 2);
    bar.Update("g", 1, 2);
    bar.Update("g", 2, 2);
    bar.Clear();
    bar.Clear();
  }
  EXPECT_EQ(Captured(file),
            "\rg [###############---------------] 1/2\033[K"
            "\rg [##############################] 2/2\033[K"
            "\r\033[K");
  std::fclose(file);
}

TEST(ProgressBar, DisabledBarPrintsNothing) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  ProgressBar bar(file, false);
  bar.Update("g", 1, 2);
  bar.Clear();
  EXPECT_EQ(Captured(file), "");
  std::fclose(file);
}

}  // namespace
}  // namespace cli
