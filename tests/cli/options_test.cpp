#include "cli/options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <tuple>
#include <vector>

#include "cli/progress_bar.h"

namespace cli {
namespace {

ParseResult parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "quorvex-convert");
  return parseCommandLine(static_cast<int>(arguments.size()), arguments.data(), 3);
}

TEST(ParseSizeOption, TakesTheNamesAndCustomSizesWithinTheCustomLimits) {
  using core::SizeMode;
  const std::tuple<const char*, SizeMode, int, int> rows[] = {
      {"half", SizeMode::HalfSize, 0, 0},
      {"triple", SizeMode::TripleSize, 0, 0},
      {"1600x1400", SizeMode::CustomSize, 1600, 1400},
      {"320x0240", SizeMode::CustomSize, 320, 240},
  };
  for (const auto& [text, mode, width, height] : rows) {
    SizeChoice size;
    EXPECT_TRUE(parseSizeOption(text, size));
    EXPECT_EQ(std::tuple(size.mode, size.width, size.height), std::tuple(mode, width, height));
  }
  const std::string notASize = "' is not half, original, double, triple or WxH";
  const std::pair<const char*, std::string> refused[] = {
      {"1601x10", "size 1601x10: width 1601 is above the limit of 1600"},
      {"10x1401", "size 10x1401: height 1401 is above the limit of 1400"},
      {"0x10", "size 0x10: width 0 is below 1"},
      {"-5x10", "size '-5x10" + notASize},
      {"10X10", "size '10X10" + notASize},
      {"10x10x10", "size '10x10x10" + notASize},
      {"99999999999x1", "size '99999999999x1" + notASize},
  };
  for (const auto& [text, message] : refused) {
    SizeChoice size{SizeMode::HalfSize, 7, 7};
    EXPECT_EQ(parseSizeOption(text, size).message(), message);
    EXPECT_EQ(size.width, 7);
  }
}

TEST(ParseMemorySize, TakesBytesAndBinaryUnits) {
  const std::pair<const char*, uint64_t> rows[] = {
      {"4096", 4096},
      {"512M", uint64_t{512} << 20},
      {"2GiB", uint64_t{2} << 30},
      {"1g", uint64_t{1} << 30},
      {"3kb", 3072},
      {"1T", uint64_t{1} << 40},
  };
  for (const auto& [text, bytes] : rows) {
    uint64_t parsed = 0;
    EXPECT_TRUE(parseMemorySize(text, parsed)) << text;
    EXPECT_EQ(parsed, bytes) << text;
  }
  for (const char* text : {"", "0", "M", "1.5G", "-1G", "2X", "99999999999999999999"}) {
    uint64_t parsed = 7;
    const support::Status memory = parseMemorySize(text, parsed);
    EXPECT_EQ(parsed, 7U) << text;
    EXPECT_NE(memory.message().find("is not a positive number of bytes"), std::string::npos)
        << text;
  }
}

TEST(ParseCommandLine, DefaultsEveryOptionHelpAndVersion) {
  const Options defaults = parse({"a.gif"}).options;
  EXPECT_EQ(std::tuple(defaults.outputDirectory, defaults.size.mode, defaults.frameRate,
                       defaults.exportFormat, defaults.jobs, defaults.quiet),
            std::tuple("./", core::SizeMode::ActualSize, 10, ExportFormat::Movie, 3, false));
  const std::string directory = std::filesystem::temp_directory_path().string();
  const ParseResult result = parse({"-o", directory.c_str(), "-s", "20x30", "-r", "50", "-j", "256",
                                    "-q", "--export", "tga", "a.gif", "b.gif"});
  ASSERT_TRUE(result.run) << result.output;
  const Options& all = result.options;
  EXPECT_EQ(all.inputs, (std::vector<std::string>{"a.gif", "b.gif"}));
  EXPECT_EQ(std::tuple(all.outputDirectory, all.size.width, all.size.height, all.frameRate,
                       all.exportFormat, all.jobs, all.quiet),
            std::tuple(directory + "/", 20, 30, 50, ExportFormat::Tga, 256, true));
  EXPECT_EQ(parse({"--export", "bmp", "a.gif"}).options.exportFormat, ExportFormat::Bmp);
  EXPECT_EQ(std::tuple(defaults.frameFormat, defaults.keepTransparency, defaults.background,
                       defaults.jpegQuality, defaults.scaleFilter),
            std::tuple(core::FrameFormat::Jpeg, false, core::RgbColor{255, 255, 255}, 80,
                       image::ResizeFilter::Bicubic));
  const Options pictures = parse({"--frames", "auto", "--transparent", "--background", "#00ff80",
                                  "--quality", "100", "--filter", "nearest", "a.gif"})
                               .options;
  EXPECT_EQ(std::tuple(pictures.frameFormat, pictures.keepTransparency, pictures.background,
                       pictures.jpegQuality, pictures.scaleFilter),
            std::tuple(core::FrameFormat::Auto, true, core::RgbColor{0, 255, 128}, 100,
                       image::ResizeFilter::Nearest));
  EXPECT_EQ(parse({"--frames", "lossless", "a.gif"}).options.frameFormat,
            core::FrameFormat::Lossless);
  const Options timed = parse({"--timing", "gif", "--compress", "a.gif"}).options;
  EXPECT_EQ(std::tuple(defaults.gifTiming, defaults.compress, timed.gifTiming, timed.compress),
            std::tuple(false, false, true, true));

  EXPECT_EQ(parse({"--version"}).output, "quorvex-convert 1.0\n");
  const ParseResult help = parse({"--help"});
  EXPECT_EQ(std::tuple(help.run, help.exitCode), std::tuple(false, 0));
  EXPECT_NE(help.output.find("WxH pixels (W 1..1600, H 1..1400)"), std::string::npos);
}

TEST(ProgressBar, DrawsThirtyCellsInPlaceOnlyWhenTheTextChangesAndOnlyWhenEnabled) {
  EXPECT_EQ(formatProgress("x", 12, 10), "x [##############################] 12/10");
  EXPECT_EQ(formatProgress("x", 3, 0), "x [------------------------------] 3/0");
  for (const bool enabled : {true, false}) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ProgressBar bar(file, enabled);
    for (const int done : {1, 1, 2}) bar.update("g", done, 3);
    bar.clear();
    bar.clear();
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
    std::fclose(file);
    EXPECT_EQ(text, enabled ? "\rg [##########--------------------] 1/3\033[K"
                              "\rg [####################----------] 2/3\033[K\r\033[K"
                            : "");
  }
}

}  // namespace
}  // namespace cli
