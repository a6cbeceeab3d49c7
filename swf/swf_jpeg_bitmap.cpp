#include "swf/swf_jpeg_bitmap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "swf/byte_writer.h"
#include "swf/swf_constants.h"
#include "swf/tag_header.h"

namespace swf {
namespace {

// Reads the whole regular file at `path`; false when it cannot be opened, is not a regular file,
// or yields fewer bytes than its length (it shrank while being read, or a device error).
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (ok) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    ok = done == bytes.size();
  }
  ::close(fd);
  return ok;
}

}  // namespace

SwfJpegBitmap::SwfJpegBitmap(std::uint16_t id, const std::string& path)
    : SwfCharacter(CharacterKind::kBitmap, id, 0) {
  std::vector<std::uint8_t> jpeg;
  if (readWholeFile(path, jpeg)) build(jpeg);
}

SwfJpegBitmap::SwfJpegBitmap(std::uint16_t id, std::span<const std::uint8_t> jpeg)
    : SwfCharacter(CharacterKind::kBitmap, id, 0) {
  build(jpeg);
}

// DefineBitsJPEG2 tag (code 21, long header), for a JPEG of L bytes:
//   u16 CharacterId | FF D9 FF D8 | the L bytes | FF D9       (body L + 8, tag L + 14)
void SwfJpegBitmap::build(std::span<const std::uint8_t> jpeg) {
  constexpr std::size_t kWrapBytes = 2 + kJpegPrefix.size() + kJpegSuffix.size();
  if (jpeg.size() > std::numeric_limits<std::uint32_t>::max() - kWrapBytes - kLongTagHeaderBytes)
    return;
  const auto bodyLength = static_cast<std::uint32_t>(jpeg.size() + kWrapBytes);
  tag_.reserve(bodyLength + kLongTagHeaderBytes);
  writeTagHeader(tag_, TagCode::kDefineBitsJpeg2, bodyLength);
  appendU16(tag_, id());
  appendBytes(tag_, kJpegPrefix);
  appendBytes(tag_, jpeg);
  appendBytes(tag_, kJpegSuffix);
  valid_ = true;
}

}  // namespace swf
