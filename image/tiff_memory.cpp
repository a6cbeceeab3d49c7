#include "image/tiff_memory.h"

#include <cstdarg>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace image {
namespace {

// The largest single block libtiff may allocate for one file (strip buffers, tag arrays):
// enough for an uncompressed 16384 x 16384 RGBA picture in one strip, and a bound on what
// a hostile header can ask for.
constexpr tmsize_t kMaxSingleAllocation = tmsize_t{1} << 30;

TiffMemory::Stream& streamOf(thandle_t handle) { return *static_cast<TiffMemory::Stream*>(handle); }

uint64_t streamSize(const TiffMemory::Stream& stream) {
  return stream.output != nullptr ? stream.output->size() : stream.input.size();
}

tmsize_t readProc(thandle_t handle, void* out, tmsize_t size) {
  TiffMemory::Stream& stream = streamOf(handle);
  const uint64_t total = stream.input.size();
  if (stream.output != nullptr || size < 0 || stream.position >= total) {
    return 0;
  }
  const auto count = static_cast<std::size_t>(
      std::min<uint64_t>(static_cast<uint64_t>(size), total - stream.position));
  std::memcpy(out, stream.input.data() + stream.position, count);
  stream.position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t writeProc(thandle_t handle, void* data, tmsize_t size) {
  TiffMemory::Stream& stream = streamOf(handle);
  if (stream.output == nullptr || size < 0) {
    return -1;
  }
  const auto count = static_cast<uint64_t>(size);
  if (stream.position > std::numeric_limits<std::size_t>::max() - count) {
    return -1;
  }
  const auto end = static_cast<std::size_t>(stream.position + count);
  try {
    if (end > stream.output->size()) {
      stream.output->resize(end);
    }
  } catch (const std::bad_alloc&) {
    stream.outOfMemory = true;
    return -1;
  }
  std::memcpy(stream.output->data() + stream.position, data, static_cast<std::size_t>(count));
  stream.position = end;
  return size;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence) {
  TiffMemory::Stream& stream = streamOf(handle);
  uint64_t base = 0;
  switch (whence) {
    case SEEK_SET:
      break;
    case SEEK_CUR:
      base = stream.position;
      break;
    case SEEK_END:
      base = streamSize(stream);
      break;
    default:
      return static_cast<toff_t>(-1);
  }
  if (offset > std::numeric_limits<uint64_t>::max() - base) {
    return static_cast<toff_t>(-1);
  }
  // Reading may seek anywhere (reads past the end return nothing); writing past the end
  // leaves a gap that writeProc fills with zeros.
  stream.position = base + offset;
  return stream.position;
}

int closeProc(thandle_t) { return 0; }

toff_t sizeProc(thandle_t handle) { return streamSize(streamOf(handle)); }

// No mapping: libtiff then reads through readProc.
int mapProc(thandle_t, void**, toff_t*) { return 0; }

void unmapProc(thandle_t, void*, toff_t) {}

int onError(TIFF*, void* userData, const char*, const char*, va_list) {
  static_cast<TiffMemory::Stream*>(userData)->failed = true;
  return 1;
}

int onWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

}  // namespace

TiffMemory::TiffMemory(std::span<const uint8_t> input) {
  m_stream.input = input;
  open("r");
}

TiffMemory::TiffMemory(std::vector<uint8_t>& output) {
  output.clear();
  m_stream.output = &output;
  open("w");
}

void TiffMemory::open(const char* mode) {
  std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
  if (!options) {
    m_stream.failed = true;
    return;
  }
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxSingleAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), onError, &m_stream);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), onWarning, nullptr);
  m_tiff = TIFFClientOpenExt("memory", mode, &m_stream, readProc, writeProc, seekProc, closeProc,
                             sizeProc, mapProc, unmapProc, options.get());
}

TiffMemory::~TiffMemory() {
  if (m_tiff != nullptr) {
    TIFFClose(m_tiff);
  }
}

TIFF* TiffMemory::get() const { return m_tiff; }

bool TiffMemory::failed() const { return m_stream.failed; }

bool TiffMemory::outOfMemory() const { return m_stream.outOfMemory; }

}  // namespace image
