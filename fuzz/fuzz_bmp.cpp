#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_harness.h"
#include "image/bmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  image::fuzz::decodeAndReencode<image::BmpCodec>(data, size);
  return 0;
}
