#pragma once

#include <cstdint>

namespace image {

// Resampling of single sample planes, the step ImageBuffer::Resize runs per colour channel, for
// callers that hold planes of their own (the JPEG encoder's Y, Cb and Cr).

// One plane of 8-bit samples: `height` rows of `width` samples, `stride` bytes apart.
struct SamplePlane {
  uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
};

// Resamples `source` into `target` (each side at least 1) with the filter ImageBuffer::Resize
// applies to each colour channel (bicubic, widened when shrinking). `slot` (0 or 1) picks one of
// two scalers the thread keeps, so planes of two sizes can take turns without the scalers being
// rebuilt. False when memory runs out or the scaler cannot be set up.
bool resamplePlane(const SamplePlane& source, const SamplePlane& target, int slot);

}  // namespace image
