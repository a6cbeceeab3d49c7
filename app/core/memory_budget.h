#pragma once

#include <cstdint>
#include <string>

namespace core {

// The default limit of a conversion's working memory: a quarter of the physical memory, at most
// kMaxDefaultMemoryLimit.
inline constexpr uint64_t kMaxDefaultMemoryLimit = uint64_t{4} << 30;
uint64_t defaultMemoryLimit();

// Working memory of a conversion in bytes: what it holds once, per frame in flight (slot) and per
// thread.
struct WorkingMemory {
  uint64_t fixed = 0;
  uint64_t perSlot = 0;
  uint64_t perWorker = 0;
};

// How a conversion runs within its memory limit. With copies, each frame in flight takes a copy
// of the canvas and frames are encoded on every thread; without, frames are encoded from the
// canvas itself, one at a time, and the threads decode LZW data ahead: a frame then costs its
// own pixels only, however large the screen.
struct JobPlan {
  int jobs = 0;   // threads in all; 0 when not even one fits the limit
  int slots = 0;  // frames in flight
  bool copies = false;
  uint64_t bytes = 0;  // the working memory of the plan (of one job in place when jobs is 0)
};

// The plan for `requested` jobs (at least 1): copies with as many jobs as fit the limit (2 or
// more), else in place with as many as fit (1 or more). `copying` is the memory with copies,
// `inPlace` without.
JobPlan planJobs(const WorkingMemory& copying, const WorkingMemory& inPlace, int requested,
                 uint64_t limit);

// "<n> MiB", rounded up.
std::string mebibyteText(uint64_t bytes);

}  // namespace core
