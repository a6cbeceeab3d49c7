#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_harness.h"
#include "image/tga_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  image::fuzz::decodeAndReencode<image::TgaCodec>(data, size);
  return 0;
}
