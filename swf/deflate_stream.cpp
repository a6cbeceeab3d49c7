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
    : m_state(std::make_unique<State>()), m_sink(std::move(sink)) {
  m_state->started = deflateInit(&m_state->stream, Z_DEFAULT_COMPRESSION) == Z_OK;
  m_ok = m_state->started;
  if (m_ok) m_state->output.resize(kOutputBytes);
}

DeflateStream::~DeflateStream() = default;

bool DeflateStream::write(std::span<const std::uint8_t> bytes) { return run(bytes, false); }

bool DeflateStream::finish() {
  const bool finished = run({}, true);
  m_ok = false;
  return finished;
}

// zlib takes at most 4 GiB - 1 at a time; larger pieces go in parts.
bool DeflateStream::run(std::span<const std::uint8_t> bytes, bool last) {
  if (!m_ok) return false;
  z_stream& stream = m_state->stream;
  std::vector<std::uint8_t>& output = m_state->output;
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
      if (status == Z_STREAM_ERROR ||
          (produced > 0 && !m_sink(std::span(output).first(produced)))) {
        m_ok = false;
        return false;
      }
    } while (stream.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
  } while (!bytes.empty());
  return true;
}

}  // namespace swf
