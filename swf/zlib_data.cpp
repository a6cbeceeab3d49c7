#include "swf/zlib_data.h"

#include <libdeflate.h>

#include <array>
#include <memory>

namespace swf {
namespace {

struct CompressorDeleter {
  void operator()(libdeflate_compressor* compressor) const {
    libdeflate_free_compressor(compressor);
  }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

constexpr int kMaxLevel = 12;

// One compressor per level and thread, kept: allocating one costs more than compressing a
// small frame.
libdeflate_compressor* compressorFor(int level) {
  thread_local std::array<Compressor, kMaxLevel + 1> compressors;
  Compressor& compressor = compressors[static_cast<std::size_t>(level)];
  if (!compressor) compressor.reset(libdeflate_alloc_compressor(level));
  return compressor.get();
}

}  // namespace

bool appendZlib(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes, int level) {
  libdeflate_compressor* compressor =
      compressorFor(level < 1 ? 1 : (level > kMaxLevel ? kMaxLevel : level));
  if (compressor == nullptr) return false;
  const std::size_t start = out.size();
  const std::size_t bound = libdeflate_zlib_compress_bound(compressor, bytes.size());
  out.resize(start + bound);
  const std::size_t written =
      libdeflate_zlib_compress(compressor, bytes.data(), bytes.size(), out.data() + start, bound);
  out.resize(start + written);
  return written > 0;
}

}  // namespace swf
