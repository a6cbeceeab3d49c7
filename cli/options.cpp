#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "support/paths.h"

namespace cli {
namespace {

constexpr const char* kSizeHelp =
    "movie size: half, original, double or triple the GIF's size (each side at most 16384), or "
    "WxH pixels (W 1..1600, H 1..1400)";

// Decimal digits only, no sign, no spaces; false when empty or out of int range.
bool parseDecimal(std::string_view text, int& value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  const char* end = text.data() + text.size();
  const auto [stop, code] = std::from_chars(text.data(), end, value);
  return code == std::errc() && stop == end;
}

support::Status refused(std::string sentence) {
  return {support::Failure::Refused, std::move(sentence)};
}

}  // namespace

support::Status parseSizeOption(const std::string& text, SizeChoice& size) {
  static const std::pair<const char*, core::SizeMode> kNames[] = {
      {"half", core::SizeMode::HalfSize},
      {"original", core::SizeMode::ActualSize},
      {"double", core::SizeMode::DoubleSize},
      {"triple", core::SizeMode::TripleSize}};
  for (const auto& [name, mode] : kNames) {
    if (text == name) {
      size = SizeChoice{mode, 0, 0};
      return {};
    }
  }
  const std::size_t cross = text.find('x');
  int width = 0;
  int height = 0;
  if (cross == std::string::npos || !parseDecimal(std::string_view(text).substr(0, cross), width) ||
      !parseDecimal(std::string_view(text).substr(cross + 1), height)) {
    return refused("size '" + text + "' is not half, original, double, triple or WxH");
  }
  if (const support::Status problem = core::checkCustomSize(width, height); !problem) {
    return refused("size " + text + ": " + problem.message());
  }
  size = SizeChoice{core::SizeMode::CustomSize, width, height};
  return {};
}

support::Status parseMemorySize(const std::string& text, uint64_t& bytes) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  std::string unit = text.substr(digits);
  for (char& c : unit) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const std::pair<const char*, int> kUnits[] = {
      {"", 0}, {"K", 10}, {"M", 20}, {"G", 30}, {"T", 40}};
  int shift = -1;
  for (const auto& [name, bits] : kUnits) {
    const std::string base(name);
    if (unit == base || (!base.empty() && (unit == base + "B" || unit == base + "IB")))
      shift = bits;
  }
  uint64_t value = 0;
  const char* end = text.data() + digits;
  const bool parsed = digits > 0 && std::from_chars(text.data(), end, value).ptr == end;
  if (!parsed || shift < 0 || value == 0 || value > (UINT64_MAX >> shift)) {
    return refused("memory size '" + text +
                   "' is not a positive number of bytes with K, M, G or T");
  }
  bytes = value << shift;
  return {};
}

support::Status parseColor(const std::string& text, core::RgbColor& color) {
  const std::string_view digits = std::string_view(text).substr(text.starts_with('#') ? 1 : 0);
  uint32_t value = 0;
  const char* end = digits.data() + digits.size();
  const bool hex =
      digits.size() == 6 &&
      std::all_of(digits.begin(), digits.end(),
                  [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }) &&
      std::from_chars(digits.data(), end, value, 16).ptr == end;
  if (!hex) {
    return refused("colour '" + text + "' is not six hexadecimal digits RRGGBB");
  }
  color = core::RgbColor{static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                         static_cast<uint8_t>(value)};
  return {};
}

ParseResult parseCommandLine(int argc, const char* const* argv, int defaultJobs) {
  ParseResult result;
  Options& options = result.options;
  options.jobs = defaultJobs;

  CLI::App app{
      "Converts animated GIF files into Flash movies (SWF: uncompressed, version 3, unless "
      "--compress).",
      "quorvex-convert"};
  app.set_version_flag("--version", kVersionText);
  app.footer(
      "Each GIF becomes DIR/<name>.swf. Exit status: 0 when every file converted, 1 when any "
      "failed (the others are still converted), 2 for a usage error.");
  std::string outputDirectory = ".";
  std::string sizeText = "original";
  std::string exportText;
  app.add_option("files", options.inputs, "GIF files to convert")
      ->required()
      ->option_text("FILE.gif ...");
  app.add_option("-o,--output-dir", outputDirectory,
                 "existing directory that receives the movies (default: current directory)")
      ->option_text("DIR");
  app.add_option("-s,--size", sizeText, kSizeHelp)->option_text("SIZE");
  CLI::Option* rate =
      app.add_option("-r,--fps", options.frameRate, "movie frame rate, 1..50 (default 10)")
          ->check(CLI::Range(core::kMinFrameRate, core::kMaxFrameRate))
          ->option_text("N");
  app.add_option("--export", exportText,
                 "write the frames as numbered bmp or tga files under DIR/quorvex/, at the GIF's "
                 "own size, instead of a movie")
      ->check(CLI::IsMember({"bmp", "tga"}))
      ->option_text("bmp|tga");
  app.add_option(
         "-j,--jobs", options.jobs,
         "threads in all, reduced when the memory limit asks for it (default: number of cores)")
      ->check(CLI::Range(1, kMaxJobs))
      ->option_text("N");
  std::string memoryText;
  app.add_option("--memory-limit", memoryText,
                 "working memory one conversion may use, e.g. 512M or 2G; jobs are reduced to "
                 "fit it (default: a quarter of the physical memory, at most 4G)")
      ->option_text("SIZE");
  app.add_flag("-q,--quiet", options.quiet, "print only errors and warnings");
  std::string timingText = "rate";
  CLI::Option* timing =
      app.add_option(
             "--timing", timingText,
             "rate: one movie frame per GIF frame at -r, looping (default); gif: each frame "
             "for its own delay, played as often as the GIF's loop count says (without one "
             "once, 0 forever), then stopping on the last picture")
          ->check(CLI::IsMember({"rate", "gif"}))
          ->option_text("rate|gif");
  CLI::Option* compress =
      app.add_flag("--compress", options.compress,
                   "write a zlib-compressed movie (CWS, SWF version 6; players from version 6 on)");

  // How the movie's pictures are made.
  std::string framesText = "jpeg";
  std::string backgroundText;
  std::string filterText = "bicubic";
  const std::vector<CLI::Option*> pictureOptions = {
      app.add_option("--frames", framesText,
                     "frame pictures: jpeg (default), lossless (the frame's pixels exactly) or "
                     "auto (per frame, whichever is smaller)")
          ->check(CLI::IsMember({"jpeg", "lossless", "auto"}))
          ->option_text("jpeg|lossless|auto"),
      app.add_flag("--transparent", options.keepTransparency,
                   "keep the GIF's transparency (DefineBitsJPEG3 or DefineBitsLossless2 frames)"),
      app.add_option("--background", backgroundText,
                     "the movie's background colour, which JPEG frames without --transparent "
                     "are composited over (default FFFFFF)")
          ->option_text("RRGGBB"),
      app.add_option("--quality", options.jpegQuality,
                     "JPEG quality of the frames, 1..100 "
                     "(default 80)")
          ->check(CLI::Range(1, 100))
          ->option_text("N"),
      app.add_option("--filter", filterText,
                     "scaling filter: bicubic (default) or nearest (hard pixel edges)")
          ->check(CLI::IsMember({"bicubic", "nearest"}))
          ->option_text("bicubic|nearest"),
  };

  std::ostringstream out;
  std::ostringstream err;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, out, err);
    result.exitCode = code == 0 ? 0 : 2;
    result.output = code == 0 ? out.str() : "quorvex-convert: " + err.str();
    return result;
  }

  auto usageError = [&result](const std::string& message) {
    result.exitCode = 2;
    result.output = "quorvex-convert: " + message + "\nRun with --help for more information.\n";
    return result;
  };
  if (const support::Status size = parseSizeOption(sizeText, options.size); !size) {
    return usageError("--size: " + size.message());
  }
  std::vector<const CLI::Option*> movieOptions = {timing, compress};
  movieOptions.insert(movieOptions.end(), pictureOptions.begin(), pictureOptions.end());
  for (const CLI::Option* option : movieOptions) {
    if (option->count() > 0 && !exportText.empty()) {
      return usageError(option->get_name() + " applies to movies, not to --export");
    }
  }
  if (!backgroundText.empty()) {
    if (const support::Status color = parseColor(backgroundText, options.background); !color) {
      return usageError("--background: " + color.message());
    }
  }
  if (framesText == "lossless") options.frameFormat = core::FrameFormat::Lossless;
  if (framesText == "auto") options.frameFormat = core::FrameFormat::Auto;
  if (filterText == "nearest") options.scaleFilter = image::ResizeFilter::Nearest;
  if (!memoryText.empty()) {
    if (const support::Status memory = parseMemorySize(memoryText, options.memoryLimit); !memory) {
      return usageError("--memory-limit: " + memory.message());
    }
  }
  if (!support::DirectoryExists(outputDirectory)) {
    return usageError("--output-dir: directory '" + outputDirectory + "' does not exist");
  }
  options.gifTiming = timingText == "gif";
  if (options.gifTiming && rate->count() > 0) {
    return usageError("--fps cannot be used with --timing gif: the GIF's delays set the rate");
  }
  options.outputDirectory = support::withTrailingSlash(outputDirectory);
  if (exportText == "bmp") options.exportFormat = ExportFormat::Bmp;
  if (exportText == "tga") options.exportFormat = ExportFormat::Tga;
  result.run = true;
  return result;
}

}  // namespace cli
