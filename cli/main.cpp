#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "cli/options.h"
#include "cli/runner.h"
#include "support/temp_file_cleanup.h"

namespace {

// An export holds every frame's file open until the last one is written; the soft limit on open
// files (often 1024) goes up to what the system allows.
void allowAllOpenFiles() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned cores = std::thread::hardware_concurrency();
  const int defaultJobs =
      cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, cli::kMaxJobs));
  const cli::ParseResult parsed = cli::parseCommandLine(argc, argv, defaultJobs);
  if (!parsed.run) {
    std::fputs(parsed.output.c_str(), parsed.exitCode == 0 ? stdout : stderr);
    return parsed.exitCode;
  }
  support::removeTempFilesOnSignals();
  allowAllOpenFiles();
  return cli::runConversions(parsed.options, stdout, stderr, ::isatty(STDERR_FILENO) == 1);
}
