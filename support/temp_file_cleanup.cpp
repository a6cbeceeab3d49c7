#include "support/temp_file_cleanup.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <memory>

namespace support {
namespace {

// The guarded paths, as C strings their guards own, so that the signal handler reads nothing but
// these pointers and their characters (unlink is async-signal-safe; no lock is taken).
constexpr int kSlots = 4096;
std::array<std::atomic<char*>, kSlots> guardedPaths{};

extern "C" void removeAndReraise(int signalNumber) {
  for (std::atomic<char*>& slot : guardedPaths) {
    if (const char* path = slot.load()) ::unlink(path);
  }
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

}  // namespace

void TempFileGuard::guard(const std::string& path) {
  release();
  auto copy = std::make_unique<char[]>(path.size() + 1);
  std::copy(path.begin(), path.end(), copy.get());
  for (int i = 0; i < kSlots; ++i) {
    char* empty = nullptr;
    if (guardedPaths[static_cast<std::size_t>(i)].compare_exchange_strong(empty, copy.get())) {
      m_slot = i;
      m_path = std::move(copy);
      return;
    }
  }
}

void TempFileGuard::release() {
  if (m_slot < 0) return;
  guardedPaths[static_cast<std::size_t>(m_slot)].store(nullptr);
  m_slot = -1;
  m_path.reset();
}

DeferredTermination::DeferredTermination() {
  sigset_t held;
  sigemptyset(&held);
  sigaddset(&held, SIGINT);
  sigaddset(&held, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &held, &m_previous);
}

DeferredTermination::~DeferredTermination() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }

void removeTempFilesOnSignals() {
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_handler = removeAndReraise;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return true;
  }();
  (void)installed;
}

}  // namespace support
