#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace swf {

// One zlib stream (RFC 1950) made as its input comes, so that neither the input nor the output
// is ever held whole: the compressed bytes go to the sink each time the output buffer fills,
// and the rest at finish(). The same input, however it is split, gives the same stream.
class DeflateStream {
 public:
  // Receives compressed bytes in order; returns false to stop the stream.
  using Sink = std::function<bool(std::span<const std::uint8_t>)>;

  explicit DeflateStream(Sink sink);
  ~DeflateStream();
  DeflateStream(const DeflateStream&) = delete;
  DeflateStream& operator=(const DeflateStream&) = delete;

  // Compresses `bytes`. False once the compressor could not be had (out of memory), the sink
  // refused bytes, or finish() was called; later calls then do nothing.
  bool write(std::span<const std::uint8_t> bytes);

  // Ends the stream and hands the sink what is left. False as for write().
  bool finish();

 private:
  struct State;
  bool run(std::span<const std::uint8_t> bytes, bool last);

  std::unique_ptr<State> m_state;
  Sink m_sink;
  bool m_ok = true;
};

}  // namespace swf
