#pragma once

#include <string>

namespace cli::testing {

// What one run of the built quorvex-convert left behind.
struct ConverterRun {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;  // its standard output
  std::string err;  // its standard error
};

// Runs quorvex-convert with `arguments` (shell words, quoted by the caller) in the folder
// `workingDirectory`; its output is collected through files in `logDirectory`.
ConverterRun RunConverter(const std::string& arguments, const std::string& workingDirectory,
                          const std::string& logDirectory);

// `text` in single quotes for the shell.
std::string Quote(const std::string& text);

}  // namespace cli::testing
