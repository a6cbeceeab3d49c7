#pragma once

#include <functional>
#include <span>

namespace support {

// How a pipeline stage takes its items: Serial runs one item at a time, in item order (a
// compositor, a file writer); Parallel runs any number at once, in any order (decoders,
// encoders).
enum class StageOrder { Serial, Parallel };

struct PipelineStage {
  StageOrder order = StageOrder::Serial;
  // A serial stage that must run on the calling thread (it calls back into code that expects
  // that thread); the other threads leave it alone.
  bool onCaller = false;
  // Runs the stage for `item`, whose state lives in `slot`, on worker `worker` (0 .. threads - 1,
  // 0 being the calling thread; each worker runs one stage at a time, so per-worker scratch needs
  // no lock). Returning false stops the pipeline.
  std::function<bool(int item, int slot, int worker)> run;
};

// How a pipeline run ended.
struct PipelineResult {
  bool ok = true;
  int failedItem = -1;  // the item whose stage returned false, when one did
};

// Runs items 0 .. itemCount - 1 through every stage in turn on `threads` threads in all (the
// calling thread among them; at least 1), with at most `slots` items in flight: item i holds slot
// i % slots from its first stage until its last one has finished, so that whatever the caller
// keeps per slot is bounded and reused. Stages of one item run in order, and each stage's
// completion is visible to the item's next stage. A stage that returns false stops the run: no
// item starts a stage after that. A stage that throws stops it the same way, and the exception is
// rethrown on the calling thread once every thread has stopped.
PipelineResult runOrderedPipeline(int itemCount, int slots, int threads,
                                  std::span<const PipelineStage> stages);

}  // namespace support
