#include "cli/converter_run.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace cli::testing {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

ConverterRun RunConverter(const std::string& arguments, const std::string& workingDirectory,
                          const std::string& logDirectory) {
  const std::string out = logDirectory + "stdout.txt";
  const std::string err = logDirectory + "stderr.txt";
  const std::string command = "cd " + Quote(workingDirectory) + " && " + Quote(QUORVEX_CONVERT) +
                              " " + arguments + " >" + Quote(out) + " 2>" + Quote(err) +
                              " </dev/null";
  const int raw = std::system(command.c_str());
  ConverterRun run;
  run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadText(out);
  run.err = ReadText(err);
  return run;
}

}  // namespace cli::testing
