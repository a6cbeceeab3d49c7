#include "swf/zlib_data.h"

#include <isa-l/igzip_lib.h>
#include <libdeflate.h>

#include <memory>
#include <new>

namespace swf {
namespace {

// Small: libdeflate at level 6, within a few percent of its best on flat pictures at a fraction
// of the time of level 12. Fast: ISA-L's igzip at level 2, measured at about twice the speed of
// libdeflate's fastest level on photo-like frames for 5% more bytes.
constexpr int kSmallLevel = 6;
constexpr int kFastLevel = 2;
constexpr std::size_t kFastLevelBuffer = ISAL_DEF_LVL2_DEFAULT;

struct CompressorDeleter {
  void operator()(libdeflate_compressor* compressor) const {
    libdeflate_free_compressor(compressor);
  }
};

// One compressor per thread, kept: allocating one costs more than compressing a small frame.
libdeflate_compressor* smallCompressor() {
  thread_local std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor;
  if (!compressor) compressor.reset(libdeflate_alloc_compressor(kSmallLevel));
  return compressor.get();
}

bool appendSmall(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
  libdeflate_compressor* compressor = smallCompressor();
  if (compressor == nullptr) return false;
  const std::size_t start = out.size();
  const std::size_t bound = libdeflate_zlib_compress_bound(compressor, bytes.size());
  out.resize(start + bound);
  const std::size_t written =
      libdeflate_zlib_compress(compressor, bytes.data(), bytes.size(), out.data() + start, bound);
  out.resize(start + written);
  return written > 0;
}

bool appendFast(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
  thread_local std::unique_ptr<std::uint8_t[]> levelBuffer;
  if (!levelBuffer) levelBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(kFastLevelBuffer);
  // Stored blocks in the worst case: 5 bytes per 64 KiB block, the zlib header and trailer, and
  // room for a block header of Huffman tables.
  const std::size_t bound =
      bytes.size() + 5 * (bytes.size() / 65535 + 1) + ISAL_DEF_MAX_HDR_SIZE + 6;
  const std::size_t start = out.size();
  out.resize(start + bound);
  isal_zstream stream;
  isal_deflate_stateless_init(&stream);
  stream.level = kFastLevel;
  stream.level_buf = levelBuffer.get();
  stream.level_buf_size = kFastLevelBuffer;
  stream.gzip_flag = IGZIP_ZLIB;
  stream.end_of_stream = 1;
  stream.flush = NO_FLUSH;
  stream.next_in = const_cast<std::uint8_t*>(bytes.data());
  stream.avail_in = static_cast<std::uint32_t>(bytes.size());
  stream.next_out = out.data() + start;
  stream.avail_out = static_cast<std::uint32_t>(bound);
  const bool written = isal_deflate_stateless(&stream) == COMP_OK;
  out.resize(written ? start + stream.total_out : start);
  return written;
}

}  // namespace

bool appendZlib(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes,
                ZlibEffort effort) {
  try {
    // igzip takes 32-bit lengths; larger data goes the other way.
    if (effort == ZlibEffort::Fast && bytes.size() < (std::uint64_t{1} << 31)) {
      return appendFast(out, bytes);
    }
    return appendSmall(out, bytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace swf
