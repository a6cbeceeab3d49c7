#include <gtest/gtest.h>

#include <vector>

#include "app/core/convert.h"
#include "app/core/file_names.h"
#include "app/core/frame_store.h"
#include "app/core/movie_build.h"
#include "app/core/sequence_export.h"
#include "common/swf_tag_walker.h"
#include "core/temp_folder.h"
#include "core/test_gif.h"
#include "image/gif/gif_parser.h"

namespace core {
namespace {

using testing::TempFolder;

const std::string kData = std::string(QUORVEX_TEST_DATA_DIR) + "/cli/";

// The window's way: every frame written by WriteFrame, then the movie built from the files.
std::vector<uint8_t> CaptureAndBuild(const std::string& gif, const OutputSettings& settings) {
  FrameStore store;
  EXPECT_TRUE(store.LoadGif(gif)) << store.LastErrorText();
  store.ClearTempFrames(settings.outputDirectory);
  for (int i = 0; i < store.frameCount(); ++i) {
    EXPECT_TRUE(store.WriteFrame(settings.outputDirectory, i, settings.width, settings.height))
        << store.LastErrorText();
  }
  const MovieResult result = BuildMovie(settings, gif, store.frameCount());
  EXPECT_TRUE(result.ok) << result.error;
  return swftest::readFileBytes(result.outputPath);
}

std::vector<uint8_t> Stream(const std::string& gif, const OutputSettings& settings, int jobs,
                            std::vector<int>* progress = nullptr) {
  ConvertRequest request;
  request.gifPath = gif;
  request.settings = settings;
  request.jobs = jobs;
  const MovieResult result = ConvertGif(request, [progress](int done, int total) {
    if (progress != nullptr) progress->push_back(done * 1000 + total);
  });
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.outputPath, MoviePath(settings.outputDirectory, gif));
  return swftest::readFileBytes(result.outputPath);
}

TEST(StreamingConversion, WritesTheBytesOfWriteFrameAndBuildMovie) {
  struct Row {
    const char* gif;
    int width;
    int height;
  };
  const Row rows[] = {
      {"anim.gif", 40, 30}, {"anim.gif", 80, 60},       {"anim.gif", 20, 15},
      {"anim.gif", 61, 17}, {"walk.cycle.gif", 72, 48},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.gif) + " at " + std::to_string(row.width) + "x" +
                 std::to_string(row.height));
    TempFolder window;
    TempFolder streamed;
    OutputSettings settings;
    settings.width = row.width;
    settings.height = row.height;
    settings.frameRate = 15;
    settings.outputDirectory = window.Path();
    const std::vector<uint8_t> expected = CaptureAndBuild(kData + row.gif, settings);
    ASSERT_FALSE(expected.empty());
    settings.outputDirectory = streamed.Path();
    for (const int jobs : {1, 2, 3}) {
      EXPECT_TRUE(Stream(kData + row.gif, settings, jobs) == expected) << jobs << " jobs";
    }
  }
}

TEST(StreamingConversion, ReportsProgressFrameByFrameInOrder) {
  TempFolder folder;
  OutputSettings settings;
  settings.width = 40;
  settings.height = 30;
  settings.outputDirectory = folder.Path();
  std::vector<int> progress;
  Stream(kData + "anim.gif", settings, 2, &progress);
  EXPECT_EQ(progress, (std::vector<int>{1003, 2003, 3003}));
}

TEST(StreamingConversion, ManyFramesThroughASmallWindowStayInOrder) {
  TempFolder folder;
  std::vector<testing::TestFrame> frames;
  for (int i = 0; i < 64; ++i) {
    frames.push_back({0, 0, 6, 4, std::vector<uint8_t>(24, static_cast<uint8_t>(i * 4))});
  }
  const std::string gif = folder.Path() + "many.gif";
  ASSERT_TRUE(testing::WriteBytes(gif, testing::MakeGif(6, 4, frames)));
  OutputSettings settings;
  settings.width = 12;
  settings.height = 8;
  settings.outputDirectory = folder.Path();
  const std::vector<uint8_t> expected = CaptureAndBuild(gif, settings);
  EXPECT_TRUE(Stream(gif, settings, 1) == expected);
  EXPECT_TRUE(Stream(gif, settings, 4) == expected);
}

TEST(StreamingConversion, RefusesTooManyFramesBeforeDecoding) {
  TempFolder folder;
  const std::string gif = folder.Path() + "long.gif";
  ASSERT_TRUE(testing::WriteBytes(
      gif, testing::MakeGif(1, 1, std::vector<testing::TestFrame>(32769, {0, 0, 1, 1, {7}}))));
  ConvertRequest request;
  request.gifPath = gif;
  request.settings.width = 1;
  request.settings.height = 1;
  request.settings.outputDirectory = folder.Path();
  int calls = 0;
  const MovieResult result = ConvertGif(request, [&calls](int, int) { ++calls; });
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error,
            "32769 frames are more than a movie can hold (32768: its character ids are 16-bit)");
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(std::filesystem::exists(result.outputPath));
}

TEST(StreamingConversion, KeepsTheEarlierMovieWhenTheNewOneFails) {
  TempFolder folder;
  const std::string gif = folder.Path() + "clip.gif";
  // The second frame's image reaches past the end of the data: decoding fails at frame 1.
  std::vector<uint8_t> bytes = testing::MakeGif(4, 4, {{0, 0, 4, 4, std::vector<uint8_t>(16, 1)}});
  ASSERT_TRUE(testing::WriteBytes(gif, bytes));
  ConvertRequest request;
  request.gifPath = gif;
  request.settings.width = 4;
  request.settings.height = 4;
  request.settings.outputDirectory = folder.Path();
  ASSERT_TRUE(ConvertGif(request, {}).ok);
  const std::vector<uint8_t> earlier = swftest::readFileBytes(MoviePath(folder.Path(), gif));

  request.settings.outputDirectory = folder.Path() + "gone/";
  const MovieResult missingFolder = ConvertGif(request, {});
  EXPECT_FALSE(missingFolder.ok);
  EXPECT_NE(missingFolder.error.find(folder.Path() + "gone/"), std::string::npos);

  request.settings.outputDirectory = folder.Path();
  request.settings.width = 16385;
  EXPECT_EQ(ConvertGif(request, {}).error, "width 16385 is above the limit of 16384");
  EXPECT_EQ(swftest::readFileBytes(MoviePath(folder.Path(), gif)), earlier);
}

TEST(StreamingConversion, AFrameThatDoesNotDecodeIsNamedAndNoMovieIsWritten) {
  TempFolder folder;
  std::vector<testing::TestFrame> frames;
  for (int i = 0; i < 12; ++i) {
    frames.push_back({0, 0, 8, 8, std::vector<uint8_t>(64, static_cast<uint8_t>(i))});
  }
  std::vector<uint8_t> bytes = testing::MakeGif(8, 8, frames);
  image::GifFile parsed;
  ASSERT_TRUE(image::ParseGif(bytes, &parsed, nullptr));
  // After the clear code, the second 9-bit code of frame 7 becomes 511: no such entry exists yet.
  const std::size_t data = parsed.frames[7].dataOffset + 1;
  bytes[data + 1] = 0xFF;
  bytes[data + 2] = 0xFF;
  const std::string gif = folder.Path() + "broken.gif";
  ASSERT_TRUE(testing::WriteBytes(gif, bytes));
  for (const int jobs : {1, 3}) {
    SCOPED_TRACE(std::to_string(jobs) + " jobs");
    ConvertRequest request;
    request.gifPath = gif;
    request.settings.width = 16;
    request.settings.height = 16;
    request.settings.outputDirectory = folder.Path();
    request.jobs = jobs;
    const MovieResult result = ConvertGif(request, {});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.failedFrame, 7);
    EXPECT_EQ(result.error, "frame 7: the data is corrupt");
    EXPECT_FALSE(std::filesystem::exists(result.outputPath));
  }
  ExportRequest exportRequest;
  exportRequest.gifPath = gif;
  exportRequest.outputDirectory = folder.Path();
  exportRequest.extension = ".bmp";
  const ExportResult exported = ExportGifSequence(exportRequest, {});
  EXPECT_FALSE(exported.ok);
  EXPECT_EQ(exported.error, "frame 7: the data is corrupt");
  EXPECT_FALSE(std::filesystem::exists(folder.Path() + "quorvex"));
}

TEST(SequenceExport, RemovesItsFilesWhenAFrameCannotBeWritten) {
  TempFolder folder;
  const std::string gif = folder.Path() + "seq.gif";
  ASSERT_TRUE(testing::WriteBytes(
      gif,
      testing::MakeGif(
          2, 2, std::vector<testing::TestFrame>(3, {0, 0, 2, 2, std::vector<uint8_t>(4, 9)}))));
  // A folder where the third file should go makes its save fail.
  std::filesystem::create_directories(SequenceFramePath(folder.Path(), gif, 2, ".bmp"));
  ExportRequest request;
  request.gifPath = gif;
  request.outputDirectory = folder.Path();
  request.extension = ".bmp";
  const ExportResult result = ExportGifSequence(request, {});
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find(SequenceFramePath(folder.Path(), gif, 2, ".bmp")), std::string::npos)
      << result.error;
  EXPECT_FALSE(std::filesystem::exists(SequenceFramePath(folder.Path(), gif, 0, ".bmp")));
  EXPECT_FALSE(std::filesystem::exists(SequenceFramePath(folder.Path(), gif, 1, ".bmp")));
}

TEST(SequenceExport, CreatesTheMissingQuorvexFolder) {
  TempFolder folder;
  const std::string gif = folder.Path() + "seq.gif";
  ASSERT_TRUE(
      testing::WriteBytes(gif, testing::MakeGif(2, 2, {{0, 0, 2, 2, std::vector<uint8_t>(4, 9)}})));
  ExportRequest request;
  request.gifPath = gif;
  request.outputDirectory = folder.Path() + "new/";
  std::filesystem::create_directories(request.outputDirectory);
  request.extension = ".tga";
  const ExportResult result = ExportGifSequence(request, {});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.frameCount, 1);
  EXPECT_EQ(result.firstPath, folder.Path() + "new/quorvex/seq00000.tga");
  EXPECT_TRUE(std::filesystem::exists(result.firstPath));
}

}  // namespace
}  // namespace core
