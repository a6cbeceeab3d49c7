#include "support/ordered_pipeline.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using support::PipelineStage;
using support::StageOrder;

// Serial stages see the items in order (the last one on the calling thread), every stage sees
// item i in slot i % slots, and no more than `slots` items are in flight.
TEST(OrderedPipeline, KeepsOrderSlotsAndTheBoundForAnyThreadCount) {
  const std::thread::id caller = std::this_thread::get_id();
  for (const int threads : {1, 2, 4}) {
    for (const int slots : {1, 3, 8}) {
      SCOPED_TRACE(std::to_string(threads) + " threads, " + std::to_string(slots) + " slots");
      std::atomic<int> inFlight{0};
      std::atomic<int> mostInFlight{0};
      std::atomic<bool> slotsRight{true};
      std::vector<int> middle;
      std::vector<int> last;
      const auto check = [&](int item, int slot) {
        if (slot != item % slots) slotsRight = false;
      };
      const std::array<PipelineStage, 4> stages = {{
          {StageOrder::Parallel, false,
           [&](int item, int slot, int) {
             check(item, slot);
             const int now = ++inFlight;
             for (int seen = mostInFlight;
                  now > seen && !mostInFlight.compare_exchange_weak(seen, now);) {
             }
             return true;
           }},
          {StageOrder::Serial, false,
           [&](int item, int slot, int) {
             check(item, slot);
             middle.push_back(item);
             return true;
           }},
          {StageOrder::Parallel, false,
           [&](int item, int slot, int) {
             check(item, slot);
             return true;
           }},
          {StageOrder::Serial, true,
           [&](int item, int slot, int worker) {
             check(item, slot);
             EXPECT_EQ(worker, 0);
             EXPECT_EQ(std::this_thread::get_id(), caller);
             last.push_back(item);
             --inFlight;
             return true;
           }},
      }};
      const support::PipelineResult result =
          support::runOrderedPipeline(40, slots, threads, stages);
      EXPECT_TRUE(result.ok);
      std::vector<int> all(40);
      for (int i = 0; i < 40; ++i) all[static_cast<std::size_t>(i)] = i;
      EXPECT_EQ(middle, all);
      EXPECT_EQ(last, all);
      EXPECT_TRUE(slotsRight);
      EXPECT_LE(mostInFlight, slots);
    }
  }
}

// A stage that refuses an item stops the run: no later item reaches the end. A stage that throws
// stops it too, and the exception comes out on the calling thread.
TEST(OrderedPipeline, StopsAtARefusalOrAnException) {
  for (const int threads : {1, 3}) {
    SCOPED_TRACE(threads);
    std::mutex lock;
    std::vector<int> finished;
    const std::array<PipelineStage, 2> refusing = {{
        {StageOrder::Parallel, false, [](int item, int, int) { return item != 7; }},
        {StageOrder::Serial, false,
         [&](int item, int, int) {
           const std::lock_guard guard(lock);
           finished.push_back(item);
           return true;
         }},
    }};
    const support::PipelineResult result = support::runOrderedPipeline(100, 4, threads, refusing);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.failedItem, 7);
    EXPECT_EQ(finished, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

    const std::array<PipelineStage, 1> throwing = {{
        {StageOrder::Parallel, false,
         [](int item, int, int) {
           if (item == 5) throw std::runtime_error("item 5");
           return true;
         }},
    }};
    EXPECT_THROW(support::runOrderedPipeline(20, 4, threads, throwing), std::runtime_error);
  }
}

}  // namespace
