// Movies that show each GIF frame for its own delay, as often as the GIF's loop count says, and
// compressed movies, read back with the tag walker.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/convert.h"
#include "common/cws.h"
#include "common/swf_tag_walker.h"
#include "common/temp_dir.h"
#include "common/test_gif.h"

namespace core {
namespace {

// The movie's timeline in short: "s<id>" places shape <id>, "-<depth>" removes a depth,
// "x<k>" is k ShowFrames, "stop" a DoAction; definitions are left out.
std::string timeline(const swftest::WalkedMovie& movie) {
  std::ostringstream out;
  int shows = 0;
  // Ends a run of ShowFrames, then starts an entry with `prefix`.
  const auto entry = [&out, &shows](const char* prefix) -> std::ostream& {
    if (shows > 0) out << " x" << shows;
    shows = 0;
    return out << " " << prefix;
  };
  for (const swftest::WalkedTag& tag : movie.tags) {
    if (tag.code == 1) ++shows;
    if (tag.code == 26) entry("s") << (tag.body[3] | tag.body[4] << 8);
    if (tag.code == 28) entry("-") << (tag.body[0] | tag.body[1] << 8);
    if (tag.code == 12) entry("stop");
  }
  if (shows > 0) out << " x" << shows;
  return out.str().substr(1);
}

TEST(TimedMovie, EachFrameLastsItsDelayAndTheLoopCountSetsThePasses) {
  testutil::TempDir dir;
  std::vector<testutil::GifFrame> frames;
  for (const int delay : {200, 5, 5, 50}) {
    frames.push_back(testutil::filledFrame(8, 6, static_cast<uint8_t>(delay)));
    frames.back().delay = delay;
  }
  const std::vector<uint8_t> gif = testutil::makeGif(8, 6, frames);
  const std::string once = "s0 x40 s2 x1 s4 x1 s6 x9 stop x1";
  const std::string again = "-4 s0 x40 -1 s2 x1 -2 s4 x1 -3 s6 x10";
  const struct {
    const char* name;
    int loopCount;
    std::string timeline;
  } rows[] = {
      {"no loop extension: once", image::kNoLoopExtension, once},
      {"loop count 0: forever", 0, "s0 x40 s2 x1 s4 x1 s6 x10"},
      {"loop count 1", 1, once},
      {"loop count 3", 3,
       "s0 x40 -1 s2 x1 -2 s4 x1 -3 s6 x10 " + again +
           " -4 s0 x40 -1 s2 x1 -2 s4 x1 -3 s6 x9 stop x1"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = dir.file("clip.gif");
    testutil::writeFile(path, row.loopCount == image::kNoLoopExtension
                                  ? gif
                                  : testutil::withLoopCount(gif, row.loopCount));
    OutputSettings settings{SizeMode::ActualSize, 8, 6, 8, 6, 10, dir.path().string() + "/"};
    settings.gifTiming = true;
    for (const bool compress : {false, true}) {
      settings.compress = compress;
      const MovieResult result = convertGif({path, {}, settings, 2, 0}, {});
      ASSERT_TRUE(result.status) << result.status.message();
      const std::vector<uint8_t> bytes = testutil::readFile(result.outputPath);
      const swftest::WalkedMovie movie =
          swftest::walkSwf(compress ? testutil::inflateCws(bytes) : bytes);
      ASSERT_TRUE(movie.ok) << movie.error;
      EXPECT_EQ(movie.version, compress ? 6 : 3);
      EXPECT_EQ(movie.frameRate, 20 << 8);
      EXPECT_EQ(timeline(movie), row.timeline);
      const std::vector<uint16_t> codes = movie.codes();
      EXPECT_EQ(movie.frameCount, std::count(codes.begin(), codes.end(), 1));
      EXPECT_EQ(std::count(codes.begin(), codes.end(), 21), 4) << "each picture stored once";
    }
  }
}

}  // namespace
}  // namespace core
