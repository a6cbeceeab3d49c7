#include "swf/movie_output.h"

#include <algorithm>

#include "support/replacing_file.h"
#include "swf/swf_constants.h"

namespace swf {
namespace {

// Small tags collect up to this many bytes before a write; larger pieces skip the buffer.
constexpr std::size_t kBufferBytes = std::size_t{256} << 10;

}  // namespace

MovieOutput::MovieOutput() : file_(std::make_unique<support::ReplacingFile>()) {}
MovieOutput::~MovieOutput() = default;

bool MovieOutput::isOpen() const { return file_->isOpen(); }

support::Status MovieOutput::open(const std::string& path, bool compressed) {
  status_ = {};
  size_ = 0;
  buffer_.clear();
  deflate_.reset();
  if (support::Status opened = file_->open(path); !opened) return opened;
  if (compressed) {
    deflate_ = std::make_unique<DeflateStream>([this](std::span<const std::uint8_t> out) {
      status_ = file_->write(out);
      return ok();
    });
  }
  return {};
}

void MovieOutput::write(std::span<const std::uint8_t> bytes) {
  if (!ok()) return;
  if (bytes.size() > kMaxBytes - size_) return fail("movie larger than 4 GiB");
  if (deflate_) return writeCompressed(bytes);
  size_ += bytes.size();
  if (buffer_.size() + bytes.size() <= kBufferBytes) {
    if (buffer_.capacity() < kBufferBytes) buffer_.reserve(kBufferBytes);
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    return;
  }
  if (flush()) status_ = file_->write(bytes);
}

// The prefix is written as it comes (once per movie, a few bytes), ahead of any compressed byte.
void MovieOutput::writeCompressed(std::span<const std::uint8_t> bytes) {
  const std::size_t prefix =
      size_ < kUncompressedPrefixBytes
          ? std::min<std::size_t>(bytes.size(), kUncompressedPrefixBytes - size_)
          : 0;
  size_ += bytes.size();
  if (prefix > 0 && !(status_ = file_->write(bytes.first(prefix)))) return;
  if (!deflate_->write(bytes.subspan(prefix))) fail("cannot compress the movie: out of memory");
}

bool MovieOutput::flush() {
  if (!ok()) return false;
  if (!buffer_.empty()) status_ = file_->write(buffer_);
  buffer_.clear();
  return ok();
}

void MovieOutput::patch(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (deflate_ &&
      (offset > kUncompressedPrefixBytes || bytes.size() > kUncompressedPrefixBytes - offset)) {
    return fail("cannot change compressed bytes of the movie");
  }
  if (flush()) status_ = file_->writeAt(offset, bytes);
}

support::Status MovieOutput::commit() {
  if (deflate_ && ok() && !deflate_->finish()) fail("cannot compress the movie: out of memory");
  if (flush()) status_ = file_->commit();
  if (!ok()) file_->discard();
  return status_;
}

void MovieOutput::discard() {
  buffer_.clear();
  deflate_.reset();
  file_->discard();
}

}  // namespace swf
