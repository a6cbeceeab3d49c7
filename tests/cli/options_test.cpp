#include "cli/options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace cli {
namespace {

ParseResult Parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "quorvex-convert");
  return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), 3);
}

TEST(ParseSizeOption, NamesAndCustomSizes) {
  struct Row {
    const char* text;
    core::SizeMode mode;
    int width;
    int height;
  };
  const Row rows[] = {
      {"half", core::SizeMode::HalfSize, 0, 0},
      {"original", core::SizeMode::ActualSize, 0, 0},
      {"double", core::SizeMode::DoubleSize, 0, 0},
      {"triple", core::SizeMode::TripleSize, 0, 0},
      {"1x1", core::SizeMode::CustomSize, 1, 1},
      {"1600x1400", core::SizeMode::CustomSize, 1600, 1400},
      {"320x0240", core::SizeMode::CustomSize, 320, 240},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    SizeChoice size;
    std::string error;
    ASSERT_TRUE(ParseSizeOption(row.text, size, error)) << error;
    EXPECT_EQ(size.mode, row.mode);
    EXPECT_EQ(size.width, row.width);
    EXPECT_EQ(size.height, row.height);
  }
}

TEST(ParseSizeOption, RefusesMalformedAndOutOfRangeSizes) {
  struct Row {
    const char* text;
    const char* error;
  };
  const Row rows[] = {
      {"1601x10", "size 1601x10: width 1601 is above the limit of 1600"},
      {"10x1401", "size 10x1401: height 1401 is above the limit of 1400"},
      {"0x10", "size 0x10: width 0 is below 1"},
      {"10x", "size '10x' is not half, original, double, triple or WxH"},
      {"x10", "size 'x10' is not half, original, double, triple or WxH"},
      {"-5x10", "size '-5x10' is not half, original, double, triple or WxH"},
      {"10X10", "size '10X10' is not half, original, double, triple or WxH"},
      {"10x10x10", "size '10x10x10' is not half, original, double, triple or WxH"},
      {"99999999999x1", "size '99999999999x1' is not half, original, double, triple or WxH"},
      {"Half", "size 'Half' is not half, original, double, triple or WxH"},
      {"", "size '' is not half, original, double, triple or WxH"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    SizeChoice size{core::SizeMode::HalfSize, 7, 7};
    std::string error;
    EXPECT_FALSE(ParseSizeOption(row.text, size, error));
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(size.mode, core::SizeMode::HalfSize);
  }
}

TEST(ParseCommandLine, DefaultsAndEveryOption) {
  const std::string directory = std::filesystem::temp_directory_path().string();
  ParseResult result = Parse({"a.gif"});
  ASSERT_TRUE(result.run) << result.output;
  EXPECT_EQ(result.options.inputs, std::vector<std::string>{"a.gif"});
  EXPECT_EQ(result.options.outputDirectory, "./");
  EXPECT_EQ(result.options.size.mode, core::SizeMode::ActualSize);
  EXPECT_EQ(result.options.frameRate, 10);
  EXPECT_EQ(result.options.exportFormat, ExportFormat::Movie);
  EXPECT_EQ(result.options.jobs, 3);
  EXPECT_FALSE(result.options.quiet);

  result = Parse(
      {"-o", directory.c_str(), "-s", "20x30", "-r", "50", "-j", "1", "-q", "a.gif", "b.gif"});
  ASSERT_TRUE(result.run) << result.output;
  EXPECT_EQ(result.options.inputs, (std::vector<std::string>{"a.gif", "b.gif"}));
  EXPECT_EQ(result.options.outputDirectory, directory + "/");
  EXPECT_EQ(result.options.size.mode, core::SizeMode::CustomSize);
  EXPECT_EQ(result.options.size.width, 20);
  EXPECT_EQ(result.options.size.height, 30);
  EXPECT_EQ(result.options.frameRate, 50);
  EXPECT_EQ(result.options.jobs, 1);
  EXPECT_TRUE(result.options.quiet);

  result = Parse({"--output-dir", (directory + "/").c_str(), "--export", "tga", "--fps", "1",
                  "--size", "half", "--jobs", "256", "--quiet", "a.gif"});
  ASSERT_TRUE(result.run) << result.output;
  EXPECT_EQ(result.options.outputDirectory, directory + "/");
  EXPECT_EQ(result.options.exportFormat, ExportFormat::Tga);
  EXPECT_EQ(result.options.size.mode, core::SizeMode::HalfSize);
  EXPECT_EQ(result.options.jobs, 256);
  EXPECT_EQ(Parse({"--export", "bmp", "a.gif"}).options.exportFormat, ExportFormat::Bmp);
}

TEST(ParseCommandLine, HelpAndVersionEndWithStatusZero) {
  ParseResult result = Parse({"--version"});
  EXPECT_FALSE(result.run);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "quorvex-convert 1.0\n");
  result = Parse({"--help"});
  EXPECT_FALSE(result.run);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.output.find("--output-dir"), std::string::npos);
  EXPECT_NE(result.output.find("--export"), std::string::npos);
}

TEST(ParseCommandLine, UsageErrorsEndWithStatusTwoAndNameTheProblem) {
  struct Row {
    std::vector<const char*> arguments;
    const char* mentions;
  };
  const Row rows[] = {
      {{}, "files"},
      {{"-r", "0", "a.gif"}, "--fps"},
      {{"-r", "51", "a.gif"}, "--fps"},
      {{"-r", "ten", "a.gif"}, "--fps"},
      {{"-j", "0", "a.gif"}, "--jobs"},
      {{"-j", "257", "a.gif"}, "--jobs"},
      {{"-s", "huge", "a.gif"}, "--size: size 'huge'"},
      {{"-s", "1601x10", "a.gif"}, "limit of 1600"},
      {{"--export", "png", "a.gif"}, "--export"},
      {{"-o", "/no/such/folder", "a.gif"}, "'/no/such/folder' does not exist"},
      {{"--frobnicate", "a.gif"}, "--frobnicate"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mentions);
    const ParseResult result = Parse(row.arguments);
    EXPECT_FALSE(result.run);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.output.find(row.mentions), std::string::npos) << result.output;
  }
}

}  // namespace
}  // namespace cli
