// The control, placement and action tags a movie collects, and JPEG bitmap tags.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "common/hex_compare.h"
#include "common/temp_dir.h"
#include "swf/bitmap_frame.h"
#include "swf/swf_action_list.h"
#include "swf/swf_color_transform.h"
#include "swf/swf_constants.h"
#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_movie.h"
#include "swf/swf_shape.h"

namespace {

using testutil::hex;
using testutil::sameBytes;

TEST(MovieTags, ControlAndPlacementTagsTable) {
  const swf::SwfShape frame0(0, 0, 0, 100, 50, 1);
  const swf::SwfShape plain(3, 0, 0, 1, 1, 1);
  swf::SwfShape translated(3, 0, 0, 1, 1, 1);
  translated.setTranslation(-0.2F, 0);
  const swf::SwfShape wideIds(0x102, 0, 0, 1, 1, 1);
  const swf::SwfShape empty(0, 0, 0, 0, 0, 1);
  const swf::SwfJpegBitmap bitmap(1, std::span<const std::uint8_t>());
  const swf::SwfColorTransform zero;
  const swf::SwfColorTransform identity(1, 1, 1, 1, 0, 0, 0, 0);
  swf::SwfActionList stop;
  stop.stop();
  struct Row {
    const char* name;
    std::function<void(swf::SwfMovie&)> append;
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
       [&](swf::SwfMovie& m) { m.placeCharacter(&frame0, 1, true); },
       "BF 06 06 00 00 00 06 01 00 00 00 00"},
      {"new placement carries the shape's matrix",
       [&](swf::SwfMovie& m) { m.placeCharacter(&translated, 1, true); },
       "BF 06 07 00 00 00 06 01 00 03 00 09 80"},
      {"move with colour transform",
       [&](swf::SwfMovie& m) { m.placeCharacter(&plain, 2, false, &zero); },
       "BF 06 06 00 00 00 0D 02 00 00 C4 00"},
      {"new placement with colour transform",
       [&](swf::SwfMovie& m) { m.placeCharacter(&wideIds, 0x304, true, &identity); },
       "BF 06 11 00 00 00 0E 04 03 02 01 00 E9 00 40 10 04 00 00 00 00 00 00"},
      {"shape added with placing", [&](swf::SwfMovie& m) { m.addCharacter(&empty, 1, true); },
       "3F 08 08 00 00 00 00 00 08 00 00 00 00 00 BF 06 06 00 00 00 06 01 00 00 00 00"},
      {"shape added without placing", [&](swf::SwfMovie& m) { m.addCharacter(&empty, 1, false); },
       "3F 08 08 00 00 00 00 00 08 00 00 00 00 00"},
      {"bitmap is never placed",
       [&](swf::SwfMovie& m) {
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
      {"actions", [&](swf::SwfMovie& m) { m.addActions(&stop); }, "3F 03 02 00 00 00 07 00"},
      {"frame 2 placed again after frame 1, for three movie frames, then stopping",
       [](swf::SwfMovie& m) {
         swf::placeBitmapFrame(m, 2, {1, 3, true});
       },
       // RemoveObject2 depth 2 | PlaceObject2 shape 4 at depth 3 | ShowFrame x 2 |
       // DoAction Stop | ShowFrame
       "3F 07 02 00 00 00 02 00  BF 06 06 00 00 00 06 03 00 04 00 00  40 00 40 00"
       "3F 03 02 00 00 00 07 00  40 00"},
      {"placements that cannot be",
       [](swf::SwfMovie& m) {
         swf::placeBitmapFrame(m, 2, {-1, 0, false});
         swf::placeBitmapFrame(m, 2, {32768, 1, false});
         swf::placeBitmapFrame(m, 32768, {});
       },
       ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    swf::SwfMovie movie;
    row.append(movie);
    EXPECT_TRUE(sameBytes(movie.tags(), hex(row.hex)));
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
    EXPECT_TRUE(sameBytes(first, hex(row.hex)));
    EXPECT_EQ(actions.size(), first.size());
    EXPECT_TRUE(sameBytes(actions.serialise(), first)) << "second serialisation differs";
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

// A 1000-byte file is wrapped in the whole-movie test of movie_file_test.cpp.
TEST(SwfJpegBitmap, EmptyFileGivesTheFourteenByteTagAndUnreadableOnesAnEmptyTag) {
  const testutil::TempDir dir;
  testutil::writeFile(dir.file("empty.jpg"), {});
  const swf::SwfJpegBitmap empty(0x0203, dir.file("empty.jpg"));
  EXPECT_TRUE(empty.isValid());
  EXPECT_EQ(empty.kind(), swf::CharacterKind::Bitmap);
  EXPECT_EQ(empty.tagSize(), 14U);
  EXPECT_TRUE(sameBytes(empty.tagBytes(), hex("7F 05 08 00 00 00 03 02 FF D9 FF D8 FF D9")));
  // A body beyond 16 bits of length: 70000 + 8 = 0x00011178.
  const swf::SwfJpegBitmap large(1, std::vector<std::uint8_t>(70000, 0x5A));
  EXPECT_TRUE(sameBytes(large.tagBytes().first(6), hex("7F 05 78 11 01 00")));

  for (const std::string& source : {dir.file("missing.jpg"), dir.path().string()}) {
    SCOPED_TRACE(source);
    const swf::SwfJpegBitmap unreadable(1, source);
    EXPECT_FALSE(unreadable.isValid());
    EXPECT_EQ(unreadable.tagSize(), 0U);
    EXPECT_TRUE(unreadable.tagBytes().empty());
    swf::SwfMovie movie;
    movie.addCharacter(&unreadable, 1, true);
    EXPECT_TRUE(movie.tags().empty());
  }
}

TEST(SwfJpegBitmap, ShortReadIsTreatedAsUnreadable) {
  // sysfs attributes report a length of a page but read back only their short text.
  const std::string source = "/sys/devices/system/cpu/online";
  struct stat info {};
  if (::stat(source.c_str(), &info) != 0 ||
      static_cast<std::uintmax_t>(info.st_size) <= testutil::readFile(source).size()) {
    GTEST_SKIP() << "no file here that reads shorter than its length";
  }
  const swf::SwfJpegBitmap bitmap(1, source);
  EXPECT_FALSE(bitmap.isValid());
  EXPECT_EQ(bitmap.tagSize(), 0U);
}

}  // namespace
