#include "swf/deflate_stream.h"

// next_in as a pointer to const: zlib never writes through it.
#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace swf {
namespace {

constexpr std::size_t kOutputBytes = std::size_t{256} << 10;

}  // namespace

struct DeflateStream::State {
  z_stream stream{};
  std::vector<std::uint8_t> output;
  bool started = false;
  ~State() {
    if (started) deflateEnd(&stream);
  }
};

DeflateStream::DeflateStream(Sink sink)
    : state_(std::make_unique<State>()), sink_(std::move(sink)) {
  state_->started = deflateInit(&state_->stream, Z_DEFAULT_COMPRESSION) == Z_OK;
  ok_ = state_->started;
  if (ok_) state_->output.resize(kOutputBytes);
}

DeflateStream::~DeflateStream() = default;

bool DeflateStream::write(std::span<const std::uint8_t> bytes) { return run(bytes, false); }

bool DeflateStream::finish() {
  const bool finished = run({}, true);
  ok_ = false;
  return finished;
}

// zlib takes at most 4 GiB - 1 at a time; larger pieces go in parts.
bool DeflateStream::run(std::span<const std::uint8_t> bytes, bool last) {
  if (!ok_) return false;
  z_stream& stream = state_->stream;
  std::vector<std::uint8_t>& output = state_->output;
  do {
    const std::size_t part = std::min<std::size_t>(bytes.size(), std::numeric_limits<uInt>::max());
    stream.next_in = bytes.data();
    stream.avail_in = static_cast<uInt>(part);
    bytes = bytes.subspan(part);
    const int flush = last && bytes.empty() ? Z_FINISH : Z_NO_FLUSH;
    int status = Z_OK;
    do {
      stream.next_out = output.data();
      stream.avail_out = static_cast<uInt>(output.size());
      status = deflate(&stream, flush);
      const std::size_t produced = output.size() - stream.avail_out;
      if (status == Z_STREAM_ERROR || (produced > 0 && !sink_(std::span(output).first(produced)))) {
        ok_ = false;
        return false;
      }
    } while (stream.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
  } while (!bytes.empty());
  return true;
}

}  // namespace swf
