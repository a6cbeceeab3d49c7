#include "swf/movie_output.h"

namespace swf {
namespace {

// Small tags collect up to this many bytes before a write; larger pieces skip the buffer.
constexpr std::size_t kBufferBytes = std::size_t{256} << 10;

}  // namespace

bool MovieOutput::open(const std::string& path) {
  error_.clear();
  size_ = 0;
  buffer_.clear();
  if (file_.open(path)) return true;
  error_ = file_.error();
  return false;
}

void MovieOutput::write(std::span<const std::uint8_t> bytes) {
  if (!ok()) return;
  if (bytes.size() > kMaxBytes - size_) return fail("movie larger than 4 GiB");
  size_ += bytes.size();
  if (buffer_.size() + bytes.size() <= kBufferBytes) {
    if (buffer_.capacity() < kBufferBytes) buffer_.reserve(kBufferBytes);
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    return;
  }
  if (flush() && !file_.write(bytes)) error_ = file_.error();
}

bool MovieOutput::flush() {
  if (!ok()) return false;
  if (!buffer_.empty() && !file_.write(buffer_)) error_ = file_.error();
  buffer_.clear();
  return ok();
}

void MovieOutput::patch(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (flush() && !file_.writeAt(offset, bytes)) error_ = file_.error();
}

bool MovieOutput::commit() {
  if (flush() && !file_.commit()) error_ = file_.error();
  if (!ok()) file_.discard();
  return ok();
}

void MovieOutput::discard() {
  buffer_.clear();
  file_.discard();
}

}  // namespace swf
