#include "app/core/memory_budget.h"

#include <unistd.h>

#include <algorithm>

namespace core {
namespace {

// Frames in flight for `jobs` threads: one more than the threads with copies, so the compositor
// can work ahead of the encoders; twice the threads in place, where a slot is cheap.
int slotsFor(int jobs, bool copies) {
  if (jobs == 1) return 1;
  return copies ? jobs + 1 : 2 * jobs;
}

uint64_t cost(const WorkingMemory& memory, int jobs, int slots) {
  return memory.fixed + static_cast<uint64_t>(slots) * memory.perSlot +
         static_cast<uint64_t>(jobs) * memory.perWorker;
}

}  // namespace

uint64_t defaultMemoryLimit() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return kMaxDefaultMemoryLimit;
  return std::min(static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 4,
                  kMaxDefaultMemoryLimit);
}

JobPlan planJobs(const WorkingMemory& copying, const WorkingMemory& inPlace, int requested,
                 uint64_t limit) {
  requested = std::max(requested, 1);
  for (const bool copies : {true, false}) {
    const WorkingMemory& memory = copies ? copying : inPlace;
    for (int jobs = requested; jobs >= (copies ? 2 : 1); --jobs) {
      const int slots = slotsFor(jobs, copies);
      const uint64_t bytes = cost(memory, jobs, slots);
      if (bytes <= limit) return JobPlan{jobs, slots, copies, bytes};
    }
  }
  return JobPlan{0, 0, false, cost(inPlace, 1, 1)};
}

std::string mebibyteText(uint64_t bytes) {
  constexpr uint64_t kMebibyte = uint64_t{1} << 20;
  return std::to_string((bytes + kMebibyte - 1) / kMebibyte) + " MiB";
}

}  // namespace core
