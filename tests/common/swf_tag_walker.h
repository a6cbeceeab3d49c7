#pragma once

// Test-side reader of uncompressed SWF files: splits a movie into header fields and tags
// (code, length, body) and checks that the lengths add up. It shares no code with the writer,
// so tests can judge the writer's output with it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace swftest {

struct WalkedTag {
  std::uint16_t code = 0;
  std::uint32_t length = 0;         // body length
  bool longForm = false;            // the header carried a 32-bit length
  std::size_t offset = 0;           // of the tag header in the file
  std::vector<std::uint8_t> bytes;  // the whole tag, header included
  std::vector<std::uint8_t> body;
};

struct WalkedMovie {
  bool ok = false;
  std::string error;  // why ok is false
  std::uint8_t version = 0;
  std::uint32_t fileLength = 0;
  std::vector<std::uint8_t> frameRect;  // the RECT bytes as stored
  std::uint16_t frameRate = 0;          // 8.8 fixed point
  std::uint16_t frameCount = 0;
  std::vector<WalkedTag> tags;  // End tag included, last

  // The codes of all tags in file order.
  std::vector<std::uint16_t> codes() const {
    std::vector<std::uint16_t> out;
    for (const WalkedTag& tag : tags) out.push_back(tag.code);
    return out;
  }
};

// Walks an "FWS" movie. ok only when the signature is "FWS", FileLength equals the data size,
// every tag fits, the last tag is End and it ends exactly at the end of the data.
inline WalkedMovie walkSwf(std::span<const std::uint8_t> data) {
  WalkedMovie movie;
  auto fail = [&movie](const std::string& why) {
    movie.ok = false;
    movie.error = why;
    return movie;
  };
  auto u16 = [&data](std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
  };
  auto u32 = [&u16](std::size_t at) {
    return static_cast<std::uint32_t>(u16(at) | (static_cast<std::uint32_t>(u16(at + 2)) << 16));
  };

  if (data.size() < 9) return fail("shorter than a header");
  if (data[0] != 'F' || data[1] != 'W' || data[2] != 'S') return fail("signature is not FWS");
  movie.version = data[3];
  movie.fileLength = u32(4);
  if (movie.fileLength != data.size()) {
    return fail("FileLength " + std::to_string(movie.fileLength) + " but " +
                std::to_string(data.size()) + " bytes");
  }
  const unsigned rectWidth = data[8] >> 3;
  const std::size_t rectBytes = (5 + 4 * rectWidth + 7) / 8;
  std::size_t at = 8 + rectBytes;
  if (at + 4 > data.size()) return fail("header cut short");
  movie.frameRect.assign(data.begin() + 8, data.begin() + static_cast<std::ptrdiff_t>(at));
  movie.frameRate = u16(at);
  movie.frameCount = u16(at + 2);
  at += 4;

  while (at < data.size()) {
    if (at + 2 > data.size()) return fail("tag header cut short at " + std::to_string(at));
    WalkedTag tag;
    tag.offset = at;
    const std::uint16_t word = u16(at);
    tag.code = static_cast<std::uint16_t>(word >> 6);
    tag.length = word & 0x3Fu;
    std::size_t bodyAt = at + 2;
    if (tag.length == 0x3F) {
      if (at + 6 > data.size()) return fail("long tag header cut short at " + std::to_string(at));
      tag.longForm = true;
      tag.length = u32(at + 2);
      bodyAt = at + 6;
    }
    if (tag.length > data.size() - bodyAt) {
      return fail("tag " + std::to_string(tag.code) + " at " + std::to_string(at) +
                  " runs past the end");
    }
    const std::size_t end = bodyAt + tag.length;
    tag.bytes.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                     data.begin() + static_cast<std::ptrdiff_t>(end));
    tag.body.assign(data.begin() + static_cast<std::ptrdiff_t>(bodyAt),
                    data.begin() + static_cast<std::ptrdiff_t>(end));
    movie.tags.push_back(std::move(tag));
    at = end;
    if (movie.tags.back().code == 0) break;
  }
  if (movie.tags.empty() || movie.tags.back().code != 0) return fail("no End tag");
  if (at != data.size()) return fail("bytes after the End tag");
  movie.ok = true;
  return movie;
}

}  // namespace swftest
