#include "cli/runner.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "app/core/convert.h"
#include "app/core/file_names.h"
#include "app/core/gif_input.h"
#include "app/core/sequence_export.h"
#include "cli/progress_bar.h"
#include "support/paths.h"

namespace cli {
namespace {

const char* sizeName(core::SizeMode mode) {
  switch (mode) {
    case core::SizeMode::HalfSize:
      return "half";
    case core::SizeMode::ActualSize:
      return "original";
    case core::SizeMode::DoubleSize:
      return "double";
    case core::SizeMode::TripleSize:
      return "triple";
    case core::SizeMode::CustomSize:
      break;
  }
  return "custom";
}

// The movie size for this GIF, or a sentence naming the limit it breaks.
support::Status movieSize(const SizeChoice& choice, const image::GifInfo& gif, int& width,
                          int& height) {
  if (choice.mode == core::SizeMode::CustomSize) {
    width = choice.width;
    height = choice.height;
    return {};
  }
  const auto size = core::sizeForOption(choice.mode, gif.width, gif.height);
  const support::Status problem =
      size ? core::checkMovieSize(size->first, size->second)
           : support::Status{support::Failure::Refused, "the size does not fit an int"};
  if (!problem) {
    return {support::Failure::Refused, std::string(sizeName(choice.mode)) + " size of " +
                                           std::to_string(gif.width) + "x" +
                                           std::to_string(gif.height) + ": " + problem.message()};
  }
  width = size->first;
  height = size->second;
  return {};
}

class Runner {
 public:
  Runner(const Options& options, std::FILE* out, std::FILE* err, bool showProgress)
      : m_options(options), m_out(out), m_err(err), m_bar(err, showProgress && !options.quiet) {}

  // Converts one file; memory running out fails this file only.
  bool convert(const std::string& path) {
    try {
      return convertFile(path);
    } catch (const std::bad_alloc&) {
      return fail(path + ": out of memory");
    }
  }

 private:
  bool convertFile(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    core::GifSource source;
    if (const support::Status opened = source.open(path, {}); !opened) {
      return fail(opened.message());
    }
    const image::GifInfo& gif = source.summary();
    if (gif.truncated) {
      // Browsers show the complete frames of a cut file; so does the movie, but the user hears
      // about the loss.
      warn(path + ": the file ends early; only its " + std::to_string(gif.frameCount) +
           " complete frames are used");
    }

    const std::string label = support::GetBaseName(path);
    auto progress = [this, &label](int done, int total) { m_bar.update(label, done, total); };
    std::string target;
    std::string detail;
    if (m_options.exportFormat == ExportFormat::Movie) {
      core::ConvertRequest request;
      request.gifPath = path;
      request.source = &source;
      request.jobs = m_options.jobs;
      request.memoryLimit = m_options.memoryLimit;
      request.settings.sizeMode = m_options.size.mode;
      request.settings.sourceWidth = gif.width;
      request.settings.sourceHeight = gif.height;
      request.settings.frameRate = m_options.frameRate;
      request.settings.outputDirectory = m_options.outputDirectory;
      request.settings.frameFormat = m_options.frameFormat;
      request.settings.keepTransparency = m_options.keepTransparency;
      request.settings.background = m_options.background;
      request.settings.jpegQuality = m_options.jpegQuality;
      request.settings.scaleFilter = m_options.scaleFilter;
      request.settings.gifTiming = m_options.gifTiming;
      request.settings.compress = m_options.compress;
      if (const support::Status sized =
              movieSize(m_options.size, gif, request.settings.width, request.settings.height);
          !sized) {
        return fail(path + ": " + sized.message());
      }
      target = core::moviePath(m_options.outputDirectory, path);
      if (const support::Status claimed = claim(target, path); !claimed) {
        return fail(path + ": " + claimed.message());
      }
      const core::MovieResult result = core::convertGif(request, progress);
      m_bar.clear();
      if (!result.status) return fail(path + ": " + result.status.message());
      for (const std::string& warning : result.warnings) {
        std::string line = path;
        line += ": ";
        line += warning;
        warn(line);
      }
      if (result.jobs < request.jobs) {
        warn(path + ": converted on " + std::to_string(result.jobs) + " of " +
             std::to_string(request.jobs) + " jobs to stay within the memory limit");
      }
      detail = std::to_string(request.settings.width) + "x" +
               std::to_string(request.settings.height) + ", " + result.outputPath;
    } else {
      core::ExportRequest request;
      request.gifPath = path;
      request.source = &source;
      request.outputDirectory = m_options.outputDirectory;
      request.extension = m_options.exportFormat == ExportFormat::Bmp ? ".bmp" : ".tga";
      target = core::sequenceFramePath(request.outputDirectory, path, 0, request.extension);
      if (const support::Status claimed = claim(target, path); !claimed) {
        return fail(path + ": " + claimed.message());
      }
      const core::ExportResult result = core::exportGifSequence(request, progress);
      m_bar.clear();
      if (!result.status) return fail(path + ": " + result.status.message());
      detail = std::to_string(gif.width) + "x" + std::to_string(gif.height) + ", " +
               result.firstPath + " .. " + support::GetBaseName(result.lastPath) +
               request.extension;
    }
    if (!m_options.quiet) {
      const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
      std::fprintf(m_out, "%s: %d frames, %s, %.3f s\n", path.c_str(), gif.frameCount,
                   detail.c_str(), seconds.count());
      std::fflush(m_out);
    }
    return true;
  }

  // Two inputs with the same base name would write the same output; the later one is refused
  // rather than silently replacing what the earlier one wrote in this run.
  support::Status claim(const std::string& target, const std::string& path) {
    const auto [entry, added] = m_claimed.emplace(target, path);
    if (added) return {};
    return {support::Failure::Refused,
            "its output " + target + " was already written for " + entry->second};
  }

  void warn(const std::string& message) {
    std::fprintf(m_err, "quorvex-convert: warning: %s\n", message.c_str());
    std::fflush(m_err);
  }

  bool fail(const std::string& message) {
    m_bar.clear();
    std::fprintf(m_err, "quorvex-convert: %s\n", message.c_str());
    std::fflush(m_err);
    return false;
  }

  const Options& m_options;
  std::FILE* m_out;
  std::FILE* m_err;
  ProgressBar m_bar;
  std::map<std::string, std::string> m_claimed;
};

}  // namespace

int runConversions(const Options& options, std::FILE* out, std::FILE* err, bool showProgress) {
  Runner runner(options, out, err, showProgress);
  bool allConverted = true;
  for (const std::string& path : options.inputs) {
    if (!runner.convert(path)) allConverted = false;
  }
  return allConverted ? 0 : 1;
}

}  // namespace cli
