#pragma once

// A file size limit for the process, so that writes past it fail with EFBIG as on a full disk.

#include <sys/resource.h>

#include <csignal>

namespace testutil {

// For its lifetime, files cannot grow past `bytes`; SIGXFSZ is ignored so the write only fails.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : m_previousHandler(std::signal(SIGXFSZ, SIG_IGN)) {
    m_set = ::getrlimit(RLIMIT_FSIZE, &m_previous) == 0;
    rlimit small = m_previous;
    small.rlim_cur = bytes;
    m_set = m_set && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit() {
    if (m_set) ::setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_previousHandler);
  }

  bool set() const { return m_set; }

 private:
  void (*m_previousHandler)(int);
  rlimit m_previous{};
  bool m_set = false;
};

}  // namespace testutil
