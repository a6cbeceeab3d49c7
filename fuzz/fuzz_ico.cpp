#include <cstddef>
#include <cstdint>
#include <span>

#include "image/ico_codec.h"
#include "image/image_sequence.h"

// Icons are decode-only: the container walk and both entry decoders (BMP, PNG) are the
// surface under test.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  image::IcoCodec codec;
  image::ImageSequence frames;
  // Refusing damaged data is expected: only a crash or a sanitizer report fails.
  static_cast<void>(codec.LoadMemory(std::span<const uint8_t>(data, size), frames));
  return 0;
}
