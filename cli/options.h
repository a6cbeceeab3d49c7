#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/output_settings.h"
#include "support/result.h"

namespace cli {

// What to write for each GIF: a movie, or the frame sequence as BMP or TGA files.
enum class ExportFormat { Movie, Bmp, Tga };

// The movie size asked for on the command line: a size option, and for CustomSize the pixels.
struct SizeChoice {
  core::SizeMode mode = core::SizeMode::ActualSize;
  int width = 0;
  int height = 0;
};

// Everything the command line decides.
struct Options {
  std::vector<std::string> inputs;
  std::string outputDirectory = "./";  // '/'-separated, ends in '/'
  SizeChoice size;
  int frameRate = 10;
  ExportFormat exportFormat = ExportFormat::Movie;
  int jobs = 1;
  uint64_t memoryLimit = 0;  // bytes; 0: core::DefaultMemoryLimit()
  bool quiet = false;
  // How the movie's pictures are made; the defaults give the window's movie.
  core::FrameFormat frameFormat = core::FrameFormat::Jpeg;
  bool keepTransparency = false;
  core::RgbColor background{0xFF, 0xFF, 0xFF};
  int jpegQuality = core::kDefaultFrameQuality;
  image::ResizeFilter scaleFilter = image::ResizeFilter::Bicubic;

  bool gifTiming = false;  // --timing gif: each frame for its own delay, passes as the GIF says
  bool compress = false;   // --compress: a zlib-compressed movie
};

// The outcome of reading the command line. When `run` is false the program prints `output`
// (to stdout when exitCode is 0, to stderr otherwise) and ends with exitCode: 0 for --help and
// --version, 2 for a usage error.
struct ParseResult {
  bool run = false;
  int exitCode = 0;
  std::string output;
  Options options;
};

inline constexpr int kMaxJobs = 256;
inline constexpr const char* kVersionText = "quorvex-convert 1.0";

// Parses "half", "original", "double", "triple" or "WxH" (W 1..1600, H 1..1400, decimal). Fails
// (Refused, with a sentence) for anything else.
support::Status parseSizeOption(const std::string& text, SizeChoice& size);

// Parses a memory size: a positive decimal number of bytes, or of KiB, MiB, GiB or TiB with the
// suffix K, M, G or T (either case, "iB" or "B" may follow: "512M", "2GiB", "1g"). Fails
// (Refused, with a sentence) for anything else.
support::Status parseMemorySize(const std::string& text, uint64_t& bytes);

// Parses a colour written as six hexadecimal digits RRGGBB, with or without a leading '#'
// ("00FF00", "#ff8000"). Fails (Refused, with a sentence) for anything else.
support::Status parseColor(const std::string& text, core::RgbColor& color);

// Reads argv. `defaultJobs` is the --jobs value when none is given. Never throws; every usage
// error comes back as exitCode 2 with a message naming the option.
ParseResult parseCommandLine(int argc, const char* const* argv, int defaultJobs);

}  // namespace cli
