// Whole movies written to disk: the layout of a converted frame, the header fields, and the
// failure paths that must leave an earlier file of the same name untouched.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "common/cws.h"
#include "common/file_size_limit.h"
#include "common/hex_compare.h"
#include "common/permission_bits.h"
#include "common/swf_tag_walker.h"
#include "common/temp_dir.h"
#include "swf/bitmap_frame.h"
#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_movie.h"

namespace {

namespace fs = std::filesystem;
using testutil::hex;
using testutil::sameBytes;

constexpr const char* kFrame0ShapeHex =
    "3F 08 2E 00 00 00 00 00 60 00 3E 80 00 1F 40 01 41 01 00 D9 40 00 05 00 00 00 01 00 00 00 "
    "00 00 FF 11 3C 25 EA FA 00 01 CC 00 3E 8E B0 60 00 1C C0 04 18 00";

std::vector<std::uint8_t> fakeJpeg(std::size_t size) {
  std::vector<std::uint8_t> bytes(size, 0x5A);
  bytes[0] = 0xFF;
  bytes[1] = 0xD8;
  bytes[size - 2] = 0xFF;
  bytes[size - 1] = 0xD9;
  return bytes;
}

class MovieFile : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return m_dir.file(name); }
  void writeText(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }
  std::string readText(const std::string& name) const {
    const std::vector<std::uint8_t> bytes = testutil::readFile(path(name));
    return {bytes.begin(), bytes.end()};
  }
  std::set<std::string> entries() const { return m_dir.entries(); }

  const testutil::TempDir m_dir;
  const fs::path m_root = m_dir.path();
};

// One 100 x 50 frame at 12 fps as the conversion lays it out, its 1000-byte JPEG read from a
// file; the same bytes from memory give the same tags.
TEST_F(MovieFile, OneConvertedFrameHasTheKnownLayout) {
  const std::vector<std::uint8_t> jpeg = fakeJpeg(1000);
  testutil::writeFile(path("frame.jpg"), jpeg);
  swf::SwfMovie movie;
  ASSERT_TRUE(movie.open(path("walk.swf"), 100, 50, 12));
  movie.setBackgroundColor(0xFF, 0xFF, 0xFF);
  ASSERT_TRUE(swf::appendBitmapFrame(movie, 0, 100, 50, swf::SwfJpegBitmap(1, path("frame.jpg"))));
  swf::SwfMovie fromMemory;
  ASSERT_TRUE(swf::appendBitmapFrame(fromMemory, 0, 100, 50, jpeg));
  ASSERT_TRUE(movie.finish());
  EXPECT_EQ(entries(), (std::set<std::string>{"frame.jpg", "walk.swf"}));

  const std::vector<std::uint8_t> data = testutil::readFile(path("walk.swf"));
  const swftest::WalkedMovie walked = swftest::walkSwf(data);
  ASSERT_TRUE(walked.ok) << walked.error;
  EXPECT_TRUE(sameBytes(std::span(data).first(8), hex("46 57 53 03 52 04 00 00")));
  EXPECT_EQ(walked.version, 3);
  EXPECT_TRUE(sameBytes(walked.frameRect, hex("60 00 3E 80 00 1F 40")));
  EXPECT_TRUE(sameBytes(std::span(data).subspan(15, 4), hex("00 0C 01 00")));  // rate, count
  EXPECT_EQ(walked.frameCount, 1);
  ASSERT_EQ(walked.codes(), (std::vector<std::uint16_t>{9, 21, 32, 26, 1, 0}));
  EXPECT_TRUE(sameBytes(walked.tags[0].bytes, hex("43 02 FF FF FF")));
  EXPECT_TRUE(walked.tags[1].longForm);
  EXPECT_TRUE(sameBytes(std::span(walked.tags[1].bytes).first(12),
                        hex("7F 05 F0 03 00 00 01 00 FF D9 FF D8")));
  EXPECT_TRUE(sameBytes(std::span(walked.tags[1].bytes).subspan(12, 1000), jpeg));
  EXPECT_TRUE(sameBytes(std::span(walked.tags[1].bytes).last(4), hex("FF D9 FF D9")));
  EXPECT_TRUE(sameBytes(walked.tags[2].bytes, hex(kFrame0ShapeHex)));
  EXPECT_TRUE(sameBytes(walked.tags[3].bytes, hex("BF 06 06 00 00 00 06 01 00 00 00 00")));
  EXPECT_TRUE(sameBytes(walked.tags[4].bytes, hex("40 00")));
  EXPECT_TRUE(sameBytes(walked.tags[5].bytes, hex("00 00")));
  EXPECT_TRUE(sameBytes(std::span(data).subspan(walked.tags[1].offset, fromMemory.tags().size()),
                        fromMemory.tags()));
}

TEST(BitmapFrame, IdsAndDepthsFollowTheFrameIndex) {
  struct Row {
    int index;
    const char* bitmapId;
    const char* shapeId;
    const char* placement;
  };
  const Row rows[] = {
      {0, "01 00", "00 00", "BF 06 06 00 00 00 06 01 00 00 00 00"},
      {1, "03 00", "02 00", "BF 06 06 00 00 00 06 02 00 02 00 00"},
      {1000, "D1 07", "D0 07", "BF 06 06 00 00 00 06 E9 03 D0 07 00"},
      {32767, "FF FF", "FE FF", "BF 06 06 00 00 00 06 00 80 FE FF 00"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index);
    swf::SwfMovie movie;
    ASSERT_TRUE(swf::appendBitmapFrame(movie, row.index, 10, 10, fakeJpeg(4)));
    const std::span<const std::uint8_t> tags = movie.tags();
    // Bitmap tag: 6 + 2 + 4 + 4 + 2 = 18 bytes; the shape's id follows its 6-byte header.
    EXPECT_TRUE(sameBytes(tags.subspan(6, 2), hex(row.bitmapId)));
    EXPECT_TRUE(sameBytes(tags.subspan(18 + 6, 2), hex(row.shapeId)));
    EXPECT_TRUE(sameBytes(tags.last(14).first(12), hex(row.placement)));
    EXPECT_TRUE(sameBytes(tags.last(2), hex("40 00")));
  }
}

TEST(BitmapFrame, RefusesWhatTheLayoutCannotHoldAndAppendsNothing) {
  swf::SwfMovie movie;
  const std::vector<std::uint8_t> jpeg = fakeJpeg(4);
  EXPECT_FALSE(swf::appendBitmapFrame(movie, -1, 10, 10, jpeg));
  EXPECT_FALSE(swf::appendBitmapFrame(movie, swf::kMaxBitmapFrames, 10, 10, jpeg));
  const swf::SwfJpegBitmap missing(1, std::string("/nonexistent/quorvex/frame00000.jpg"));
  EXPECT_FALSE(swf::appendBitmapFrame(movie, 0, 10, 10, missing));
  const swf::SwfJpegBitmap wrongId(5, jpeg);
  EXPECT_FALSE(swf::appendBitmapFrame(movie, 0, 10, 10, wrongId));
  EXPECT_TRUE(movie.tags().empty());
  EXPECT_EQ(movie.frameCount(), 0);
}

TEST_F(MovieFile, HeaderFieldsTable) {
  struct Row {
    const char* name;
    float width;
    float height;
    int rate;
    const char* hex;
  };
  const Row rows[] = {
      {"empty 550 x 400 movie at 12 fps: header and End tag", 550, 400, 12,
       "46 57 53 03 17 00 00 00 78 00 05 5F 00 00 0F A0 00 00 0C 00 00 00 00"},
      {"rate keeps its low 8 bits", 0, 0, 300, "46 57 53 03 10 00 00 00 08 00 00 2C 00 00 00 00"},
      {"rate 0", 0, 0, 0, "46 57 53 03 10 00 00 00 08 00 00 00 00 00 00 00"},
      {"2000 x 1000 px stage gets a wide, valid RECT", 2000, 1000, 25,
       "46 57 53 03 18 00 00 00 88 00 01 38 80 00 00 27 10 00 00 19 00 00 00 00"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    swf::SwfMovie movie;
    ASSERT_TRUE(movie.open(path("h.swf"), row.width, row.height, row.rate));
    ASSERT_TRUE(movie.finish());
    const std::vector<std::uint8_t> data = testutil::readFile(path("h.swf"));
    EXPECT_TRUE(sameBytes(data, hex(row.hex)));
    EXPECT_TRUE(swftest::walkSwf(data).ok);
  }
}

TEST_F(MovieFile, FinishReplacesAnEarlierFileAndCanBeRepeatedAfterAnotherOpen) {
  writeText("out.swf", "old");
  swf::SwfMovie movie;
  ASSERT_TRUE(movie.open(path("out.swf"), 10, 10, 12));
  ASSERT_TRUE(movie.finish());
  EXPECT_TRUE(swftest::walkSwf(testutil::readFile(path("out.swf"))).ok);
  EXPECT_FALSE(movie.finish()) << "a second finish has no file";
  ASSERT_TRUE(movie.open(path("again.swf"), 10, 10, 12));
  ASSERT_TRUE(movie.finish());
  EXPECT_EQ(entries(), (std::set<std::string>{"out.swf", "again.swf"}));
}

TEST_F(MovieFile, OpenInAMissingDirectoryFailsAndFinishWritesNothing) {
  swf::SwfMovie movie;
  const std::string target = path("missing/out.swf");
  const support::Status opened = movie.open(target, 10, 10, 12);
  EXPECT_NE(opened.message().find(target), std::string::npos) << opened.message();
  movie.showFrame();
  EXPECT_FALSE(movie.finish());
  EXPECT_TRUE(entries().empty());
}

TEST_F(MovieFile, OpenInAnUnwritableDirectoryFails) {
  fs::permissions(m_root, fs::perms::owner_read | fs::perms::owner_exec);
  swf::SwfMovie movie;
  {
    const testutil::PermissionBitsBind bind;
    EXPECT_EQ(movie.open(path("out.swf"), 10, 10, 12).systemError(), EACCES);
  }
  EXPECT_FALSE(movie.finish());
  EXPECT_TRUE(entries().empty());
}

TEST_F(MovieFile, SecondOpenFailsAndKeepsTheFirstFile) {
  swf::SwfMovie movie;
  ASSERT_TRUE(movie.open(path("first.swf"), 100, 50, 12));
  EXPECT_FALSE(movie.open(path("second.swf"), 200, 200, 30));
  ASSERT_TRUE(movie.finish());
  EXPECT_EQ(entries(), std::set<std::string>{"first.swf"});
  const swftest::WalkedMovie walked = swftest::walkSwf(testutil::readFile(path("first.swf")));
  ASSERT_TRUE(walked.ok);
  EXPECT_TRUE(sameBytes(walked.frameRect, hex("60 00 3E 80 00 1F 40")));
  EXPECT_EQ(walked.frameRate, 0x0C00);
}

TEST_F(MovieFile, FinishWithoutOpenFailsAndWritesNothing) {
  swf::SwfMovie movie;
  movie.showFrame();
  EXPECT_EQ(movie.finish().message(), "finish without an open file");
  EXPECT_TRUE(entries().empty());
}

TEST_F(MovieFile, NothingIsNamedBeforeFinishAndDestroyingWithoutFinishLeavesNothing) {
  writeText("out.swf", "old");
  {
    swf::SwfMovie movie;
    ASSERT_TRUE(movie.open(path("out.swf"), 10, 10, 12));
    ASSERT_TRUE(swf::appendBitmapFrame(movie, 0, 10, 10, fakeJpeg(400000)));
    EXPECT_EQ(entries(), std::set<std::string>{"out.swf"}) << "the movie so far has no name";
    EXPECT_EQ(readText("out.swf"), "old");
  }
  EXPECT_EQ(entries(), std::set<std::string>{"out.swf"});
  EXPECT_EQ(readText("out.swf"), "old");
}

TEST_F(MovieFile, FailedNamingNamesTheMovie) {
  fs::create_directory(path("gone"));
  swf::SwfMovie movie;
  ASSERT_TRUE(movie.open(path("gone/out.swf"), 10, 10, 12));
  fs::remove(path("gone"));  // empty: the movie has no name yet
  EXPECT_EQ(movie.finish().message(),
            "cannot replace '" + path("gone/out.swf") + "': No such file or directory");
  EXPECT_TRUE(entries().empty());
}

// Frames stream to the file past the output buffer; FileLength and FrameCount are completed at
// the end.
TEST_F(MovieFile, HeaderIsCompletedForAMovieOfManyFrames) {
  swf::SwfMovie movie;
  ASSERT_TRUE(movie.open(path("many.swf"), 10, 10, 12));
  movie.setBackgroundColor(0xFF, 0xFF, 0xFF);
  for (int index = 0; index < 300; ++index) {
    ASSERT_TRUE(swf::appendBitmapFrame(movie, index, 10, 10, fakeJpeg(index % 2 ? 300000 : 40)));
  }
  EXPECT_TRUE(movie.tags().empty()) << "nothing is held in memory";
  ASSERT_TRUE(movie.finish());
  const std::vector<std::uint8_t> data = testutil::readFile(path("many.swf"));
  const swftest::WalkedMovie walked = swftest::walkSwf(data);
  ASSERT_TRUE(walked.ok) << walked.error;
  EXPECT_EQ(walked.frameCount, 300);
  EXPECT_EQ(walked.codes().size(), 1 + 4 * 300 + 1U);
  EXPECT_EQ(data[4] | data[5] << 8 | data[6] << 16 | data[7] << 24, static_cast<int>(data.size()));
}

// A compressed movie: "CWS", version 6, the FileLength of the movie before compression, and
// after the first 8 bytes one zlib stream of exactly the bytes an uncompressed movie has there.
TEST_F(MovieFile, CompressedMovieInflatesToTheUncompressedOne) {
  const auto write = [this](const std::string& name, bool compressed, int frames,
                            std::string* error = nullptr) {
    swf::SwfMovie movie;
    EXPECT_TRUE(movie.open(path(name), 30, 20, swf::MovieFormat{0x0C80, 3, compressed}));
    movie.setBackgroundColor(0xFF, 0xFF, 0xFF);
    for (int index = 0; index < frames; ++index) {
      // Larger than the compressor's output buffer, and compressible.
      const std::size_t size = index == 1 ? 600000 : 500;
      EXPECT_TRUE(swf::appendBitmapFrame(movie, index, 30, 20, fakeJpeg(size),
                                         {-1, index + 1, index + 1 == frames}));
    }
    const support::Status finished = movie.finish();
    if (error != nullptr) *error = finished.message();
    return static_cast<bool>(finished);
  };
  ASSERT_TRUE(write("plain.swf", false, 2));
  ASSERT_TRUE(write("packed.swf", true, 2));
  const std::vector<std::uint8_t> plain = testutil::readFile(path("plain.swf"));
  const std::vector<std::uint8_t> packed = testutil::readFile(path("packed.swf"));
  EXPECT_TRUE(sameBytes(std::span(packed).first(4), hex("43 57 53 06")));
  EXPECT_TRUE(sameBytes(std::span(packed).subspan(4, 4), std::span(plain).subspan(4, 4)));
  const std::vector<std::uint8_t> inflated = testutil::inflateCws(packed);
  ASSERT_EQ(inflated.size(), plain.size());
  EXPECT_TRUE(std::equal(inflated.begin() + 8, inflated.end(), plain.begin() + 8));
  EXPECT_LT(packed.size(), plain.size() / 10);
  const swftest::WalkedMovie walked = swftest::walkSwf(plain);
  ASSERT_TRUE(walked.ok) << walked.error;
  EXPECT_EQ(walked.frameRate, 0x0C80);
  EXPECT_EQ(walked.frameCount, 3);

  // The header of a compressed movie cannot be completed afterwards: a movie that shows another
  // number of frames fails, leaving nothing.
  std::string error;
  EXPECT_FALSE(write("short.swf", true, 1, &error));
  EXPECT_EQ(error, "the header says 3 frames, but the movie shows 1");
  EXPECT_EQ(entries(), (std::set<std::string>{"plain.swf", "packed.swf"}));
}

TEST_F(MovieFile, FailedWriteLeavesTheEarlierFileAndNoTemporaryFile) {
  writeText("out.swf", "old");
  swf::SwfMovie movie;
  ASSERT_TRUE(movie.open(path("out.swf"), 10, 10, 12));
  ASSERT_TRUE(swf::appendBitmapFrame(movie, 0, 10, 10, fakeJpeg(4000)));

  support::Status finished;
  {
    // Writes past 1000 bytes fail with EFBIG, as on a full disk.
    const testutil::FileSizeLimit limit(1000);
    ASSERT_TRUE(limit.set());
    finished = movie.finish();
  }

  EXPECT_EQ(finished.systemError(), EFBIG);
  EXPECT_NE(finished.message().find("File too large"), std::string::npos) << finished.message();
  EXPECT_EQ(entries(), std::set<std::string>{"out.swf"});
  EXPECT_EQ(readText("out.swf"), "old");
}

}  // namespace
