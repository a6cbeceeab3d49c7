#pragma once

// Permission bits that hold for the superuser too, so that a test of an unwritable folder checks
// the same thing whoever runs it (CI runs as root).

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>

namespace testutil {

// For its lifetime, takes the capabilities that let the calling thread pass over permission
// bits (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH) out of the thread's effective set; they are
// still permitted, so the destructor can raise them again. Changes nothing for other users.
class PermissionBitsBind {
 public:
  PermissionBitsBind() {
    if (::syscall(SYS_capget, &m_header, m_saved.data()) != 0) return;
    std::array<__user_cap_data_struct, 2> lowered = m_saved;
    lowered[0].effective &= ~(CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH));
    m_changed = ::syscall(SYS_capset, &m_header, lowered.data()) == 0;
  }
  ~PermissionBitsBind() {
    if (m_changed) ::syscall(SYS_capset, &m_header, m_saved.data());
  }
  PermissionBitsBind(const PermissionBitsBind&) = delete;
  PermissionBitsBind& operator=(const PermissionBitsBind&) = delete;

 private:
  __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
  std::array<__user_cap_data_struct, 2> m_saved{};
  bool m_changed = false;
};

}  // namespace testutil
