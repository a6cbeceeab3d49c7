#include "app/core/memory_budget.h"

#include <gtest/gtest.h>

namespace core {
namespace {

// With copies a slot costs 50 and holds a canvas; in place 5, with a larger fixed part. Slots:
// jobs + 1 with copies, 2 * jobs in place, 1 for one job.
TEST(PlanJobs, TakesCopiesWhileTwoJobsFitThenFewerJobsInPlace) {
  const WorkingMemory copying{100, 50, 10};
  const WorkingMemory inPlace{150, 5, 10};
  const struct {
    int requested;
    uint64_t limit;
    JobPlan plan;
  } rows[] = {
      {4, 1000, {4, 5, true, 390}},  // 100 + 5 * 50 + 4 * 10
      {4, 300, {2, 3, true, 270}},   // 3 jobs would take 330
      {4, 250, {4, 8, false, 230}},  // 150 + 8 * 5 + 4 * 10
      {4, 170, {1, 1, false, 165}},
      {4, 100, {0, 0, false, 165}},  // not even one job: what one would need
      {1, 1000, {1, 1, false, 165}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.requested) + " jobs within " + std::to_string(row.limit));
    const JobPlan plan = planJobs(copying, inPlace, row.requested, row.limit);
    EXPECT_EQ(plan.jobs, row.plan.jobs);
    EXPECT_EQ(plan.slots, row.plan.slots);
    EXPECT_EQ(plan.copies, row.plan.copies);
    EXPECT_EQ(plan.bytes, row.plan.bytes);
  }
  EXPECT_GE(defaultMemoryLimit(), uint64_t{1} << 20);
  EXPECT_LE(defaultMemoryLimit(), kMaxDefaultMemoryLimit);
  EXPECT_EQ(mebibyteText((uint64_t{3} << 20) + 1), "4 MiB");
}

}  // namespace
}  // namespace core
