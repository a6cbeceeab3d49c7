// The window's conversion timed beside the streaming conversion of quorvex-convert, on every GIF
// of a folder (default out/bench-gifs, made by bench/make_bench_gifs.py; another folder with
// QUORVEX_BENCH_GIFS). "Open" is Open File until the window is Stopped; "Window" is Convert To
// Swf until the movie is written and the window is Stopped again, with the window shown
// offscreen so that every frame is really painted; "Streaming" is core::ConvertGif with one job
// per core. The peak_rss_MB counter is the process's peak so far: run one case alone
// (--benchmark_filter) to read a case's peak.
//
//   QT_QPA_PLATFORM=offscreen out/release/bench/quorvex_window_bench
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "app/core/convert.h"
#include "app/gui/control_ids.h"
#include "app/gui/main_dialog.h"
#include "app/gui/ui_hooks.h"

namespace {

using State = gui::CMainDialog::WindowState;
using enum gui::ControlId;

struct SizeOption {
  const char* name;
  int id;
};
constexpr SizeOption kSizes[] = {{"original", OriginalSizeOption}, {"double", DoubleSizeOption}};

void setPeakRss(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void waitUntilStopped(const gui::CMainDialog& window) {
  while (window.windowState() != State::Stopped) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  }
}

// A shown window with `gif` chosen in its open dialog and `folder` as its output folder.
std::unique_ptr<gui::CMainDialog> openWindow(const QString& gif, const QString& folder) {
  gui::UiHooks& hooks = gui::uiHooks();
  hooks.chooseGifFile = [gif](QWidget*) { return std::optional<QString>(gif); };
  hooks.chooseDirectory = [folder](QWidget*, const QString&) {
    return std::optional<QString>(folder);
  };
  hooks.showMessage = [](QWidget*, const QString& text) {
    qFatal("unexpected message: %s", qPrintable(text));
  };
  auto window = std::make_unique<gui::CMainDialog>();
  window->show();
  window->OnCommand(BrowseOutputButton);
  window->OnCommand(OpenFileButton);
  waitUntilStopped(*window);
  return window;
}

void open(benchmark::State& state, const QString& gif) {
  QTemporaryDir out;
  for (auto _ : state) openWindow(gif, out.path());
  setPeakRss(state);
}

void window(benchmark::State& state, const QString& gif, SizeOption size) {
  QTemporaryDir out;
  const std::unique_ptr<gui::CMainDialog> window = openWindow(gif, out.path());
  qobject_cast<QAbstractButton*>(window->item(size.id))->click();
  for (auto _ : state) {
    window->OnCommand(ConvertButton);
    waitUntilStopped(*window);
  }
  setPeakRss(state);
}

void streaming(benchmark::State& state, const QString& gif, SizeOption size) {
  QTemporaryDir out;
  const std::unique_ptr<gui::CMainDialog> window = openWindow(gif, out.path());
  qobject_cast<QAbstractButton*>(window->item(size.id))->click();
  core::ConvertRequest request;
  request.gifPath = gif.toStdString();
  request.settings = window->settings();
  request.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (auto _ : state) {
    if (!core::convertGif(request, {}).status) state.SkipWithError("the conversion failed");
  }
  setPeakRss(state);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString folder = qEnvironmentVariableIsSet("QUORVEX_BENCH_GIFS")
                             ? qEnvironmentVariable("QUORVEX_BENCH_GIFS")
                             : QStringLiteral("out/bench-gifs");
  const QFileInfoList gifs = QDir(folder).entryInfoList({"*.gif"}, QDir::Files, QDir::Size);
  if (gifs.isEmpty()) qFatal("no GIF in %s (run bench/make_bench_gifs.py)", qPrintable(folder));
  for (const QFileInfo& file : gifs) {
    const QString gif = file.absoluteFilePath();
    const std::string name = file.completeBaseName().toStdString();
    benchmark::RegisterBenchmark(("Open/" + name).c_str(), open, gif)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (const SizeOption& size : kSizes) {
      using Run = void (*)(benchmark::State&, const QString&, SizeOption);
      const std::pair<std::string, Run> runs[] = {{"Window/", window}, {"Streaming/", streaming}};
      for (const auto& [kind, run] : runs) {
        benchmark::RegisterBenchmark((kind + name + "/" + size.name).c_str(), run, gif, size)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
