#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "cli/options.h"
#include "cli/runner.h"
#include "support/temp_file_cleanup.h"

int main(int argc, char** argv) {
  const unsigned cores = std::thread::hardware_concurrency();
  const int defaultJobs =
      cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, cli::kMaxJobs));
  const cli::ParseResult parsed = cli::ParseCommandLine(argc, argv, defaultJobs);
  if (!parsed.run) {
    std::fputs(parsed.output.c_str(), parsed.exitCode == 0 ? stdout : stderr);
    return parsed.exitCode;
  }
  support::RemoveTempFilesOnSignals();
  return cli::RunConversions(parsed.options, stdout, stderr, ::isatty(STDERR_FILENO) == 1);
}
