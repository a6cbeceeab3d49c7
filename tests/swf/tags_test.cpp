#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "byte_match.h"
#include "common/swf_tag_walker.h"
#include "swf/swf_action_list.h"
#include "swf/swf_color_transform.h"
#include "swf/swf_constants.h"
#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_movie.h"
#include "swf/swf_shape.h"
#include "swf/tag_header.h"

namespace {

namespace fs = std::filesystem;
using swftest::bytesMatch;

TEST(TagHeader, FormIsFixedPerTagType) {
  struct Row {
    swf::TagCode code;
    std::uint32_t length;
    const char* hex;
  };
  const Row rows[] = {
      {swf::TagCode::kEnd, 0, "00 00"},
      {swf::TagCode::kShowFrame, 0, "40 00"},
      {swf::TagCode::kSetBackgroundColor, 3, "43 02"},
      {swf::TagCode::kDoAction, 1, "3F 03 01 00 00 00"},
      {swf::TagCode::kDefineBitsJpeg2, 8, "7F 05 08 00 00 00"},
      {swf::TagCode::kPlaceObject2, 6, "BF 06 06 00 00 00"},
      {swf::TagCode::kRemoveObject2, 2, "3F 07 02 00 00 00"},
      {swf::TagCode::kDefineShape3, 0x2E, "3F 08 2E 00 00 00"},
      {swf::TagCode::kFrameLabel, 1, "FF 0A 01 00 00 00"},
      {swf::TagCode::kDefineShape3, 0x12345678, "3F 08 78 56 34 12"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.code));
    std::vector<std::uint8_t> out;
    swf::writeTagHeader(out, row.code, row.length);
    EXPECT_TRUE(bytesMatch(out, row.hex));
  }
}

TEST(MovieTags, ControlAndPlacementTagsTable) {
  struct Row {
    const char* name;
    void (*append)(swf::SwfMovie&);
    const char* hex;
  };
  const Row rows[] = {
      {"white background", [](swf::SwfMovie& m) { m.setBackgroundColor(0xFF, 0xFF, 0xFF); },
       "43 02 FF FF FF"},
      {"show frame", [](swf::SwfMovie& m) { m.showFrame(); }, "40 00"},
      {"empty frame label", [](swf::SwfMovie& m) { m.addFrameLabel(""); }, "FF 0A 01 00 00 00 00"},
      {"frame label 'go'", [](swf::SwfMovie& m) { m.addFrameLabel("go"); },
       "FF 0A 03 00 00 00 67 6F 00"},
      {"remove depth 1", [](swf::SwfMovie& m) { m.removeDepth(1); }, "3F 07 02 00 00 00 01 00"},
      {"new placement of frame 0's shape",
       [](swf::SwfMovie& m) {
         const swf::SwfShape shape(0, 0, 0, 100, 50, 1);
         m.placeCharacter(&shape, 1, true);
       },
       "BF 06 06 00 00 00 06 01 00 00 00 00"},
      {"new placement carries the shape's matrix",
       [](swf::SwfMovie& m) {
         swf::SwfShape shape(3, 0, 0, 1, 1, 1);
         shape.setTranslation(-0.2F, 0);
         m.placeCharacter(&shape, 1, true);
       },
       "BF 06 07 00 00 00 06 01 00 03 00 09 80"},
      {"move with colour transform",
       [](swf::SwfMovie& m) {
         const swf::SwfShape shape(3, 0, 0, 1, 1, 1);
         const swf::SwfColorTransform zero;
         m.placeCharacter(&shape, 2, false, &zero);
       },
       "BF 06 06 00 00 00 0D 02 00 00 C4 00"},
      {"new placement with colour transform",
       [](swf::SwfMovie& m) {
         const swf::SwfShape shape(0x102, 0, 0, 1, 1, 1);
         const swf::SwfColorTransform identity(1, 1, 1, 1, 0, 0, 0, 0);
         m.placeCharacter(&shape, 0x304, true, &identity);
       },
       "BF 06 11 00 00 00 0E 04 03 02 01 00 E9 00 40 10 04 00 00 00 00 00 00"},
      {"shape added with placing",
       [](swf::SwfMovie& m) {
         const swf::SwfShape shape(0, 0, 0, 0, 0, 1);
         m.addCharacter(&shape, 1, true);
       },
       "3F 08 08 00 00 00 00 00 08 00 00 00 00 00 BF 06 06 00 00 00 06 01 00 00 00 00"},
      {"shape added without placing",
       [](swf::SwfMovie& m) {
         const swf::SwfShape shape(0, 0, 0, 0, 0, 1);
         m.addCharacter(&shape, 1, false);
       },
       "3F 08 08 00 00 00 00 00 08 00 00 00 00 00"},
      {"bitmap is never placed",
       [](swf::SwfMovie& m) {
         const swf::SwfJpegBitmap bitmap(1, std::span<const std::uint8_t>());
         m.addCharacter(&bitmap, 1, true);
         m.placeCharacter(&bitmap, 1, true);
       },
       "7F 05 08 00 00 00 01 00 FF D9 FF D8 FF D9"},
      {"null characters and actions are ignored",
       [](swf::SwfMovie& m) {
         m.addCharacter(nullptr, 1, true);
         m.placeCharacter(nullptr, 1, true);
         m.addActions(nullptr);
       },
       ""},
      {"actions",
       [](swf::SwfMovie& m) {
         swf::SwfActionList actions;
         actions.stop();
         m.addActions(&actions);
       },
       "3F 03 02 00 00 00 07 00"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    swf::SwfMovie movie;
    row.append(movie);
    EXPECT_TRUE(bytesMatch(movie.tags(), row.hex));
  }
}

TEST(MovieTags, FrameCountWrapsAtSixteenBits) {
  swf::SwfMovie movie;
  for (int i = 0; i < 65535; ++i) movie.showFrame();
  EXPECT_EQ(movie.frameCount(), 65535);
  movie.showFrame();
  EXPECT_EQ(movie.frameCount(), 0);
}

TEST(SwfActionList, SerialisesTable) {
  struct Row {
    const char* name;
    bool bare;
    void (*append)(swf::SwfActionList&);
    const char* hex;
  };
  const Row rows[] = {
      {"empty", false, [](swf::SwfActionList&) {}, "3F 03 01 00 00 00 00"},
      {"empty, bare", true, [](swf::SwfActionList&) {}, "00"},
      {"stop", false, [](swf::SwfActionList& a) { a.stop(); }, "3F 03 02 00 00 00 07 00"},
      {"go to frame 3, bare", true, [](swf::SwfActionList& a) { a.gotoFrame(3); },
       "81 02 00 03 00 00"},
      {"get URL 'a' with empty target, bare", true,
       [](swf::SwfActionList& a) { EXPECT_TRUE(a.getUrl("a", "")); }, "83 03 00 61 00 00 00"},
      {"next, previous, play, stop, bare", true,
       [](swf::SwfActionList& a) {
         a.next();
         a.prev();
         a.play();
         a.stop();
       },
       "04 05 06 07 00"},
      {"wait for frame 258 skipping 5, bare", true,
       [](swf::SwfActionList& a) { a.waitForFrame(258, 5); }, "8A 03 00 02 01 05 00"},
      {"set target 'mc', bare", true, [](swf::SwfActionList& a) { EXPECT_TRUE(a.setTarget("mc")); },
       "8B 03 00 6D 63 00 00"},
      {"go to label 'x', bare", true, [](swf::SwfActionList& a) { EXPECT_TRUE(a.goToLabel("x")); },
       "8C 02 00 78 00 00"},
      {"get URL then play, tagged", false,
       [](swf::SwfActionList& a) {
         EXPECT_TRUE(a.getUrl("u", "_top"));
         a.play();
       },
       "3F 03 0C 00 00 00 83 07 00 75 00 5F 74 6F 70 00 06 00"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    swf::SwfActionList actions(row.bare);
    row.append(actions);
    const std::vector<std::uint8_t> first = actions.serialise();
    EXPECT_TRUE(bytesMatch(first, row.hex));
    EXPECT_EQ(actions.size(), first.size());
    EXPECT_TRUE(bytesMatch(actions.serialise(), first)) << "second serialisation differs";
  }
}

TEST(SwfActionList, StringsBeyondTheSixteenBitLengthAreRefused) {
  swf::SwfActionList actions(true);
  const std::string fits(65534, 'a');  // + terminator = 65535
  const std::string tooLong(65535, 'a');
  EXPECT_TRUE(actions.goToLabel(fits));
  EXPECT_FALSE(actions.goToLabel(tooLong));
  EXPECT_FALSE(actions.setTarget(tooLong));
  EXPECT_FALSE(actions.getUrl(fits, "b"));
  EXPECT_EQ(actions.serialise().size(), 3U + 65535U + 1U);
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("quorvex-swf-tags-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string path(const std::string& name) const { return (root_ / name).string(); }
  std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream(path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path(name);
  }

  fs::path root_;
};

std::vector<std::uint8_t> thousandByteJpeg() {
  std::vector<std::uint8_t> bytes(1000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  bytes[0] = 0xFF;
  bytes[1] = 0xD8;
  bytes[998] = 0xFF;
  bytes[999] = 0xD9;
  return bytes;
}

using SwfJpegBitmapFile = TempDir;

TEST_F(SwfJpegBitmapFile, EmptyFileGivesTheFourteenByteTag) {
  const swf::SwfJpegBitmap bitmap(0x0203, write("empty.jpg", {}));
  EXPECT_TRUE(bitmap.isValid());
  EXPECT_EQ(bitmap.kind(), swf::CharacterKind::kBitmap);
  EXPECT_EQ(bitmap.id(), 0x0203);
  EXPECT_EQ(bitmap.tagSize(), 14U);
  EXPECT_TRUE(bytesMatch(bitmap.tagBytes(), "7F 05 08 00 00 00 03 02 FF D9 FF D8 FF D9"));
}

TEST_F(SwfJpegBitmapFile, ThousandByteFileIsWrappedUnchanged) {
  const std::vector<std::uint8_t> jpeg = thousandByteJpeg();
  const swf::SwfJpegBitmap bitmap(1, write("frame.jpg", jpeg));
  ASSERT_TRUE(bitmap.isValid());
  ASSERT_EQ(bitmap.tagSize(), 1014U);
  const std::span<const std::uint8_t> tag = bitmap.tagBytes();
  EXPECT_TRUE(bytesMatch(tag.first(14), "7F 05 F0 03 00 00 01 00 FF D9 FF D8 FF D8"));
  EXPECT_TRUE(bytesMatch(tag.last(4), "FF D9 FF D9"));
  EXPECT_TRUE(bytesMatch(tag.subspan(12, 1000), jpeg));
}

TEST_F(SwfJpegBitmapFile, BytesInMemoryGiveTheSameTagAsTheFile) {
  const std::vector<std::uint8_t> jpeg = thousandByteJpeg();
  const swf::SwfJpegBitmap fromFile(7, write("frame.jpg", jpeg));
  const swf::SwfJpegBitmap fromMemory(7, jpeg);
  EXPECT_TRUE(fromMemory.isValid());
  EXPECT_TRUE(bytesMatch(fromMemory.tagBytes(), fromFile.tagBytes()));
}

TEST_F(SwfJpegBitmapFile, UnreadableSourcesGiveAnEmptyTagAndLeaveTheMovieUnchanged) {
  const std::string rows[] = {path("missing.jpg"), root_.string()};
  for (const std::string& source : rows) {
    SCOPED_TRACE(source);
    const swf::SwfJpegBitmap bitmap(1, source);
    EXPECT_FALSE(bitmap.isValid());
    EXPECT_EQ(bitmap.tagSize(), 0U);
    EXPECT_TRUE(bitmap.tagBytes().empty());
    swf::SwfMovie movie;
    movie.addCharacter(&bitmap, 1, true);
    EXPECT_TRUE(movie.tags().empty());
  }
}

TEST(SwfJpegBitmap, ShortReadIsTreatedAsUnreadable) {
  // sysfs attributes report a length of a page but read back only their short text.
  const std::string source = "/sys/devices/system/cpu/online";
  struct stat info {};
  if (::stat(source.c_str(), &info) != 0 ||
      static_cast<std::uintmax_t>(info.st_size) <= swftest::readFileBytes(source).size()) {
    GTEST_SKIP() << "no file here that reads shorter than its length";
  }
  const swf::SwfJpegBitmap bitmap(1, source);
  EXPECT_FALSE(bitmap.isValid());
  EXPECT_EQ(bitmap.tagSize(), 0U);
}

}  // namespace
