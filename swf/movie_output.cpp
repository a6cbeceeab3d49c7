#include "swf/movie_output.h"

#include <algorithm>

#include "support/replacing_file.h"
#include "swf/swf_constants.h"

namespace swf {
namespace {

// Small tags collect up to this many bytes before a write; larger pieces skip the buffer.
constexpr std::size_t kBufferBytes = std::size_t{256} << 10;

}  // namespace

MovieOutput::MovieOutput() : m_file(std::make_unique<support::ReplacingFile>()) {}
MovieOutput::~MovieOutput() = default;

bool MovieOutput::isOpen() const { return m_file->isOpen(); }

support::Status MovieOutput::open(const std::string& path, bool compressed) {
  m_status = {};
  m_size = 0;
  m_buffer.clear();
  m_deflate.reset();
  if (support::Status opened = m_file->open(path); !opened) return opened;
  if (compressed) {
    m_deflate = std::make_unique<DeflateStream>([this](std::span<const std::uint8_t> out) {
      m_status = m_file->write(out);
      return ok();
    });
  }
  return {};
}

void MovieOutput::write(std::span<const std::uint8_t> bytes) {
  if (!ok()) return;
  if (bytes.size() > kMaxBytes - m_size) return fail("movie larger than 4 GiB");
  if (m_deflate) return writeCompressed(bytes);
  m_size += bytes.size();
  if (m_buffer.size() + bytes.size() <= kBufferBytes) {
    if (m_buffer.capacity() < kBufferBytes) m_buffer.reserve(kBufferBytes);
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    return;
  }
  if (flush()) m_status = m_file->write(bytes);
}

// The prefix is written as it comes (once per movie, a few bytes), ahead of any compressed byte.
void MovieOutput::writeCompressed(std::span<const std::uint8_t> bytes) {
  const std::size_t prefix =
      m_size < kUncompressedPrefixBytes
          ? std::min<std::size_t>(bytes.size(), kUncompressedPrefixBytes - m_size)
          : 0;
  m_size += bytes.size();
  if (prefix > 0 && !(m_status = m_file->write(bytes.first(prefix)))) return;
  if (!m_deflate->write(bytes.subspan(prefix))) fail("cannot compress the movie: out of memory");
}

bool MovieOutput::flush() {
  if (!ok()) return false;
  if (!m_buffer.empty()) m_status = m_file->write(m_buffer);
  m_buffer.clear();
  return ok();
}

void MovieOutput::patch(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (m_deflate &&
      (offset > kUncompressedPrefixBytes || bytes.size() > kUncompressedPrefixBytes - offset)) {
    return fail("cannot change compressed bytes of the movie");
  }
  if (flush()) m_status = m_file->writeAt(offset, bytes);
}

support::Status MovieOutput::commit() {
  if (m_deflate && ok() && !m_deflate->finish()) fail("cannot compress the movie: out of memory");
  if (flush()) m_status = m_file->commit();
  if (!ok()) m_file->discard();
  return m_status;
}

void MovieOutput::discard() {
  m_buffer.clear();
  m_deflate.reset();
  m_file->discard();
}

}  // namespace swf
