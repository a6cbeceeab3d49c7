#include "support/ordered_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace support {
namespace {

class Pipeline {
 public:
  Pipeline(int itemCount, int slots, std::span<const PipelineStage> stages)
      : m_itemCount(itemCount),
        m_stages(stages),
        m_slots(static_cast<std::size_t>(slots)),
        m_nextSerialItem(stages.size(), 0) {}

  void work(int worker) {
    std::unique_lock lock(m_mutex);
    for (;;) {
      Slot* slot = nextTask(worker);
      if (slot == nullptr) {
        if (m_stopped || m_finished == m_itemCount) return;
        m_changed.wait(lock);
        continue;
      }
      slot->running = true;
      const int item = slot->item;
      const std::size_t stage = slot->stage;
      lock.unlock();
      bool ok = false;
      try {
        ok = m_stages[stage].run(item, static_cast<int>(slot - m_slots.data()), worker);
      } catch (...) {
        lock.lock();
        if (!m_error) m_error = std::current_exception();
        lock.unlock();
      }
      lock.lock();
      slot->running = false;
      if (!ok) {
        if (!m_stopped || item < m_result.failedItem) m_result.failedItem = item;
        m_stopped = true;
        m_result.ok = false;
      } else {
        if (m_stages[stage].order == StageOrder::Serial) ++m_nextSerialItem[stage];
        if (++slot->stage == m_stages.size()) {
          slot->item = -1;
          ++m_finished;
        }
      }
      m_changed.notify_all();
    }
  }

  PipelineResult result() const {
    if (m_error) std::rethrow_exception(m_error);
    return m_result;
  }

 private:
  struct Slot {
    int item = -1;  // -1: free
    std::size_t stage = 0;
    bool running = false;
  };

  // The task `worker` runs next, under the lock: the latest stage any waiting item may enter (so
  // that items leave the pipeline before new ones come in), then the oldest item; a new item
  // enters when nothing else can run and its slot is free. Null when nothing can run now.
  Slot* nextTask(int worker) {
    if (m_stopped) return nullptr;
    Slot* best = nullptr;
    for (Slot& slot : m_slots) {
      if (slot.item < 0 || slot.running) continue;
      const PipelineStage& stage = m_stages[slot.stage];
      if (stage.onCaller && worker != 0) continue;
      const bool serial = stage.order == StageOrder::Serial;
      if (serial && m_nextSerialItem[slot.stage] != slot.item) continue;
      if (best == nullptr || slot.stage > best->stage ||
          (slot.stage == best->stage && slot.item < best->item)) {
        best = &slot;
      }
    }
    if (best != nullptr || m_admitted == m_itemCount) return best;
    Slot& next = m_slots[static_cast<std::size_t>(m_admitted) % m_slots.size()];
    if (next.item >= 0) return nullptr;
    if ((m_stages[0].order == StageOrder::Serial && m_nextSerialItem[0] != m_admitted) ||
        (m_stages[0].onCaller && worker != 0)) {
      return nullptr;
    }
    next.item = m_admitted++;
    next.stage = 0;
    return &next;
  }

  const int m_itemCount;
  const std::span<const PipelineStage> m_stages;
  std::vector<Slot> m_slots;
  std::vector<int> m_nextSerialItem;  // per serial stage: the only item it may take next
  int m_admitted = 0;
  int m_finished = 0;
  bool m_stopped = false;
  PipelineResult m_result;
  std::exception_ptr m_error;
  std::mutex m_mutex;
  std::condition_variable m_changed;
};

}  // namespace

PipelineResult runOrderedPipeline(int itemCount, int slots, int threads,
                                  std::span<const PipelineStage> stages) {
  if (itemCount <= 0 || stages.empty()) return {};
  Pipeline pipeline(itemCount, std::max(slots, 1), stages);
  std::vector<std::thread> helpers;
  const int helperCount = std::clamp(threads, 1, std::max(slots, 1)) - 1;
  helpers.reserve(static_cast<std::size_t>(helperCount));
  for (int worker = 1; worker <= helperCount; ++worker) {
    try {
      helpers.emplace_back([&pipeline, worker] { pipeline.work(worker); });
    } catch (const std::system_error&) {
      break;  // fewer threads only take longer
    }
  }
  pipeline.work(0);
  for (std::thread& helper : helpers) helper.join();
  return pipeline.result();
}

}  // namespace support
