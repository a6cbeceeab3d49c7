#include "core/temp_folder.h"

#include <unistd.h>

#include <atomic>
#include <system_error>

namespace core::testing {

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  m_path = std::filesystem::temp_directory_path() /
           ("quorvex-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
  std::filesystem::create_directories(m_path, ignored);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

}  // namespace core::testing
