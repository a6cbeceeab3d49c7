#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <vector>

#include "cli/converter_run.h"
#include "common/swf_tag_walker.h"
#include "core/hex_bytes.h"
#include "core/temp_folder.h"
#include "core/test_gif.h"
#include "image/image_codec_factory.h"
#include "image/image_sequence.h"

namespace cli {
namespace {

using core::testing::SameBytes;
using core::testing::TempFolder;
using testing::Quote;
using testing::RunConverter;

const std::string kData = std::string(QUORVEX_TEST_DATA_DIR) + "/cli/";

class ConvertEndToEnd : public ::testing::Test {
 protected:
  testing::ConverterRun Run(const std::string& arguments) {
    return RunConverter(arguments, output.Path(), logs.Path());
  }

  std::vector<std::string> OutputEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(output.Path())) {
      names.push_back(std::filesystem::relative(entry.path(), output.Path()).string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder output;
  TempFolder logs;
};

// The JPEG file a DefineBitsJPEG2 tag carries: the body is the id, FF D9 FF D8, the file, FF D9.
std::vector<uint8_t> JpegOf(const swftest::WalkedTag& tag) {
  EXPECT_GE(tag.body.size(), 8u);
  return std::vector<uint8_t>(tag.body.begin() + 6, tag.body.end() - 2);
}

image::ImageSequence DecodeGif(const std::string& path) {
  image::ImageSequence frames;
  EXPECT_TRUE(frames.Load(path));
  return frames;
}

// Mean absolute difference of the luma of two pictures of the same size. JPEG keeps luma at
// full resolution and halves colour, so luma is what a JPEG tolerance can be tight on.
double MeanLumaDifference(const image::ImageBuffer& a, const image::ImageBuffer& b) {
  EXPECT_EQ(a.Width(), b.Width());
  EXPECT_EQ(a.Height(), b.Height());
  const int stepA = a.BitsPerPixel() / 8;
  const int stepB = b.BitsPerPixel() / 8;
  const auto luma = [](const uint8_t* bgr) {
    return 0.114 * bgr[0] + 0.587 * bgr[1] + 0.299 * bgr[2];
  };
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      sum += std::abs(luma(a.RowPointer(y) + x * stepA) - luma(b.RowPointer(y) + x * stepB));
    }
  }
  return sum / (a.Width() * a.Height());
}

// Mean absolute difference of the B, G, R bytes of two pictures of the same size.
double MeanDifference(const image::ImageBuffer& a, const image::ImageBuffer& b) {
  EXPECT_EQ(a.Width(), b.Width());
  EXPECT_EQ(a.Height(), b.Height());
  const int stepA = a.BitsPerPixel() / 8;
  const int stepB = b.BitsPerPixel() / 8;
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const uint8_t* pa = a.RowPointer(y) + x * stepA;
      const uint8_t* pb = b.RowPointer(y) + x * stepB;
      for (int c = 0; c < 3; ++c) sum += std::abs(pa[c] - pb[c]);
    }
  }
  return sum / (3.0 * a.Width() * a.Height());
}

TEST_F(ConvertEndToEnd, ConvertsAGifIntoAMovieOfItsFrames) {
  const auto run = Run("-o . " + Quote(kData + "anim.gif"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(std::regex_match(
      run.out, std::regex(".*anim\\.gif: 3 frames, 40x30, \\./anim\\.swf, [0-9]+\\.[0-9]{3} s\n")))
      << run.out;
  EXPECT_EQ(OutputEntries(), std::vector<std::string>{"anim.swf"});

  const swftest::WalkedMovie movie =
      swftest::walkSwf(swftest::readFileBytes(output.Path() + "anim.swf"));
  ASSERT_TRUE(movie.ok) << movie.error;
  EXPECT_EQ(movie.version, 3);
  EXPECT_TRUE(SameBytes(movie.frameRect, {0x58, 0x00, 0x64, 0x00, 0x01, 0x2C, 0x00}));
  EXPECT_EQ(movie.frameRate, 0x0A00);
  EXPECT_EQ(movie.frameCount, 3);
  EXPECT_EQ(movie.codes(),
            (std::vector<uint16_t>{9, 21, 32, 26, 1, 21, 32, 26, 1, 21, 32, 26, 1, 0}));

  // Each embedded JPEG shows its GIF frame (the later frames are drawn over the first).
  const image::ImageSequence frames = DecodeGif(kData + "anim.gif");
  ASSERT_EQ(frames.Count(), 3);
  const auto jpegCodec = image::ImageCodecFactory::Instance().CreateCodec(image::ImageType::Jpeg);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    image::ImageSequence decoded;
    ASSERT_TRUE(
        jpegCodec->LoadMemory(JpegOf(movie.tags[1 + 4 * static_cast<std::size_t>(i)]), decoded));
    EXPECT_LT(MeanLumaDifference(*decoded.At(0), *frames.At(i)), 3.0);
    EXPECT_LT(MeanDifference(*decoded.At(0), *frames.At(i)), 12.0);
  }
}

TEST_F(ConvertEndToEnd, SizeAndRateOptionsReachTheHeader) {
  const auto run = Run("-q -s double -r 25 " + Quote(kData + "anim.gif"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const swftest::WalkedMovie movie =
      swftest::walkSwf(swftest::readFileBytes(output.Path() + "anim.swf"));
  ASSERT_TRUE(movie.ok) << movie.error;
  EXPECT_TRUE(SameBytes(movie.frameRect, {0x60, 0x00, 0x32, 0x00, 0x00, 0x25, 0x80}));
  EXPECT_EQ(movie.frameRate, 0x1900);
}

TEST_F(ConvertEndToEnd, AnyNumberOfJobsWritesTheSameBytes) {
  std::filesystem::create_directories(output.Path() + "one");
  std::filesystem::create_directories(output.Path() + "four");
  for (const char* size : {"original", "half", "triple", "57x33"}) {
    SCOPED_TRACE(size);
    const std::string gifs = Quote(kData + "anim.gif") + " " + Quote(kData + "walk.cycle.gif");
    ASSERT_EQ(Run(std::string("-q -j 1 -o one -s ") + size + " " + gifs).status, 0);
    ASSERT_EQ(Run(std::string("-q -j 4 -o four -s ") + size + " " + gifs).status, 0);
    for (const char* movie : {"anim.swf", "walk.cycle.swf"}) {
      const auto one = swftest::readFileBytes(output.Path() + "one/" + movie);
      ASSERT_FALSE(one.empty());
      EXPECT_TRUE(one == swftest::readFileBytes(output.Path() + "four/" + movie)) << movie;
    }
  }
}

TEST_F(ConvertEndToEnd, ExportsBmpAndTgaSequencesAtTheGifsOwnSize) {
  const image::ImageSequence frames = DecodeGif(kData + "anim.gif");
  for (const char* format : {"bmp", "tga"}) {
    SCOPED_TRACE(format);
    const auto run =
        Run(std::string("-s double --export ") + format + " " + Quote(kData + "anim.gif"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string first = "./quorvex/anim00000." + std::string(format);
    EXPECT_NE(run.out.find("anim.gif: 3 frames, 40x30, " + first + " .. anim00002." + format),
              std::string::npos)
        << run.out;
    for (int i = 0; i < 3; ++i) {
      image::ImageBuffer written;
      const std::string name = "quorvex/anim0000" + std::to_string(i) + "." + format;
      ASSERT_TRUE(written.LoadFirstFrame(output.Path() + name)) << name;
      EXPECT_EQ(MeanDifference(written, *frames.At(i)), 0.0) << name;
    }
  }
  EXPECT_EQ(OutputEntries(),
            (std::vector<std::string>{"quorvex", "quorvex/anim00000.bmp", "quorvex/anim00000.tga",
                                      "quorvex/anim00001.bmp", "quorvex/anim00001.tga",
                                      "quorvex/anim00002.bmp", "quorvex/anim00002.tga"}));
}

TEST_F(ConvertEndToEnd, BadInputsFailClearlyAndLeaveNothing) {
  TempFolder inputs;
  const std::vector<uint8_t> gif = swftest::readFileBytes(kData + "anim.gif");
  ASSERT_TRUE(core::testing::WriteBytes(inputs.Path() + "text.gif", {'G', 'I', 'F', '?', '\n'}));
  ASSERT_TRUE(core::testing::WriteBytes(inputs.Path() + "empty.gif", {}));
  ASSERT_TRUE(core::testing::WriteBytes(inputs.Path() + "cut.gif",
                                        std::vector<uint8_t>(gif.begin(), gif.begin() + 900)));

  struct Row {
    std::string file;
    std::string reason;
  };
  const Row rows[] = {
      {"text.gif", "not a GIF file"},
      {"empty.gif", "the file is empty"},
      {"cut.gif", "the file ends before its first frame is complete"},
      {"missing.gif", "cannot open " + inputs.Path() + "missing.gif: No such file or directory"},
      {inputs.Path(), "Is a directory"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    const std::string path = row.file.front() == '/' ? row.file : inputs.Path() + row.file;
    const auto run = Run("-j 2 " + Quote(path));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("quorvex-convert: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(row.reason), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
    EXPECT_TRUE(OutputEntries().empty());
  }
  const auto exported = Run("--export bmp " + Quote(inputs.Path() + "text.gif"));
  EXPECT_EQ(exported.status, 1);
  EXPECT_TRUE(OutputEntries().empty());
}

TEST_F(ConvertEndToEnd, AFileCutAfterItsSecondFrameGivesATwoFrameMovieAndAWarning) {
  TempFolder inputs;
  const std::vector<uint8_t> gif = swftest::readFileBytes(kData + "anim.gif");
  ASSERT_TRUE(core::testing::WriteBytes(inputs.Path() + "anim.gif",
                                        std::vector<uint8_t>(gif.begin(), gif.begin() + 2000)));
  const auto run = Run("-q " + Quote(inputs.Path() + "anim.gif"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "quorvex-convert: warning: " + inputs.Path() +
                         "anim.gif: the file ends early; only its 2 complete frames are used\n");
  const swftest::WalkedMovie movie =
      swftest::walkSwf(swftest::readFileBytes(output.Path() + "anim.swf"));
  ASSERT_TRUE(movie.ok) << movie.error;
  EXPECT_EQ(movie.frameCount, 2);
}

TEST_F(ConvertEndToEnd, OneBadFileDoesNotStopTheOthers) {
  const auto run = Run(Quote(kData + "missing.gif") + " " + Quote(kData + "walk.cycle.gif"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("missing.gif"), std::string::npos);
  EXPECT_NE(run.out.find("walk.cycle.gif: 2 frames, 24x16, ./walk.cycle.swf"), std::string::npos)
      << run.out;
  EXPECT_EQ(OutputEntries(), std::vector<std::string>{"walk.cycle.swf"});
}

TEST_F(ConvertEndToEnd, SizeOptionsGoBeyondTheCustomLimits) {
  const auto run = Run("-s triple " + Quote(kData + "big.gif"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("big.gif: 1 frames, 1800x1500, ./big.swf"), std::string::npos) << run.out;
  // 36000 x 30000 twips: RECT of 17-bit fields.
  const swftest::WalkedMovie movie =
      swftest::walkSwf(swftest::readFileBytes(output.Path() + "big.swf"));
  ASSERT_TRUE(movie.ok) << movie.error;
  EXPECT_EQ(movie.frameRect,
            (std::vector<uint8_t>{0x88, 0x00, 0x01, 0x19, 0x40, 0x00, 0x00, 0x3A, 0x98, 0x00}));
}

TEST_F(ConvertEndToEnd, TwoInputsWithOneBaseNameDoNotOverwriteEachOther) {
  TempFolder inputs;
  std::filesystem::copy_file(kData + "walk.cycle.gif", inputs.Path() + "anim.gif");
  const auto run = Run(Quote(kData + "anim.gif") + " " + Quote(inputs.Path() + "anim.gif"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("its output ./anim.swf was already written for " + kData + "anim.gif"),
            std::string::npos)
      << run.err;
  const swftest::WalkedMovie movie =
      swftest::walkSwf(swftest::readFileBytes(output.Path() + "anim.swf"));
  EXPECT_EQ(movie.frameCount, 3);
}

TEST_F(ConvertEndToEnd, UsageErrorsExitWithTwoAndWriteNothing) {
  const std::string gif = " " + Quote(kData + "anim.gif");
  struct Row {
    std::string arguments;
    const char* message;
  };
  const Row rows[] = {
      {"", "files is required"},
      {"-r 0" + gif, "--fps"},
      {"-r 51" + gif, "--fps"},
      {"-s 0x10" + gif, "width 0 is below 1"},
      {"-s 1601x10" + gif, "width 1601 is above the limit of 1600"},
      {"-s big" + gif, "--size"},
      {"-j 0" + gif, "--jobs"},
      {"--export gif" + gif, "--export"},
      {"-o nowhere" + gif, "--output-dir: directory 'nowhere' does not exist"},
      {"--bogus" + gif, "--bogus"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments);
    const auto run = Run(row.arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
    EXPECT_TRUE(OutputEntries().empty());
  }
}

TEST_F(ConvertEndToEnd, HelpAndVersion) {
  const auto version = Run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quorvex-convert 1.0\n");
  const auto help = Run("-h");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage:"), std::string::npos);
  EXPECT_EQ(help.err, "");
}

}  // namespace
}  // namespace cli
