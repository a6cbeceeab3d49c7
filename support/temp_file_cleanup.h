#pragma once

#include <csignal>
#include <memory>
#include <string>

namespace support {

// Named temporary files that an interrupted run must not leave behind. While a guard is alive,
// SIGINT and SIGTERM (once RemoveTempFilesOnSignals has been called) remove its file before the
// signal ends the program. Unnamed files (O_TMPFILE) need no guard: the kernel drops them with
// the process, even on SIGKILL.
class TempFileGuard {
 public:
  TempFileGuard() = default;
  ~TempFileGuard() { release(); }
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;

  // Starts guarding `path` (replacing what was guarded). Without a free place among the guarded
  // files the path is not guarded; the caller's own clean-up still removes it on failure.
  void guard(const std::string& path);

  // Stops guarding; the file itself is left alone.
  void release();

 private:
  int m_slot = -1;
  std::unique_ptr<char[]> m_path;
};

// Installs handlers for SIGINT and SIGTERM that remove every guarded file and then end the
// program as the signal would have. Called once by a program, before its first conversion;
// later calls do nothing.
void removeTempFilesOnSignals();

// Holds SIGINT and SIGTERM back from the calling thread while it lives, for steps that must not
// stop halfway (giving a set of files their names); a signal that came meanwhile takes effect
// when the guard ends.
class DeferredTermination {
 public:
  DeferredTermination();
  ~DeferredTermination();
  DeferredTermination(const DeferredTermination&) = delete;
  DeferredTermination& operator=(const DeferredTermination&) = delete;

 private:
  sigset_t m_previous;
};

}  // namespace support
