#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <regex>
#include <set>
#include <tuple>
#include <vector>

#include "common/hex_compare.h"
#include "common/movie_frames.h"
#include "common/swf_tag_walker.h"
#include "common/temp_dir.h"
#include "common/test_gif.h"
#include "image/image_sequence.h"

namespace cli {
namespace {

using testutil::hex;
using testutil::sameBytes;

const std::string kData = std::string(QUORVEX_TEST_DATA_DIR) + "/cli/";

// What one run of the built quorvex-convert left behind.
struct ConverterRun {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// `text` in single quotes for the shell (no test path holds a quote).
std::string quote(const std::string& text) { return "'" + text + "'"; }

class EndToEnd : public ::testing::Test {
 protected:
  // Runs quorvex-convert with `arguments` (shell words, quoted by the caller) in `output`.
  ConverterRun Run(const std::string& arguments) const {
    const std::string command = "cd " + quote(m_output.path().string()) + " && " +
                                quote(QUORVEX_CONVERT) + " " + arguments + " >" +
                                quote(m_logs.file("out")) + " 2>" + quote(m_logs.file("err")) +
                                " </dev/null";
    const int raw = std::system(command.c_str());
    const auto text = [this](const char* name) {
      const std::vector<uint8_t> bytes = testutil::readFile(m_logs.file(name));
      return std::string(bytes.begin(), bytes.end());
    };
    return {raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text("out"), text("err")};
  }
  swftest::WalkedMovie walkedMovie(const std::string& name) const {
    return swftest::walkSwf(testutil::readFile(m_output.file(name)));
  }

  testutil::TempDir m_output;
  testutil::TempDir m_logs;
  testutil::TempDir m_inputs;
};

// Mean absolute difference of the B, G, R bytes of two pictures of one size.
double meanDifference(const image::ImageBuffer& a, const image::ImageBuffer& b) {
  EXPECT_EQ(std::pair(a.Width(), a.Height()), std::pair(b.Width(), b.Height()));
  if (a.Width() != b.Width() || a.Height() != b.Height()) return 255.0;
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      for (int c = 0; c < 3; ++c)
        sum += std::abs(a.PixelAddress(x, y)[c] - b.PixelAddress(x, y)[c]);
    }
  }
  return sum / (3.0 * a.Width() * a.Height());
}

TEST_F(EndToEnd, ConvertsAGifIntoAMovieOfItsFrames) {
  // Each embedded JPEG shows its GIF frame (the later ones drawn over the first) as Resize
  // gives it at the movie's size.
  image::ImageSequence frames;
  ASSERT_TRUE(frames.Load(kData + "anim.gif"));
  const std::tuple<const char*, const char*, int, int, uint16_t, const char*> rows[] = {
      {"-o .", ".*anim\\.gif: 3 frames, 40x30, \\./anim\\.swf, [0-9]+\\.[0-9]{3} s\n", 40, 30,
       0x0A00, "58 00 64 00 01 2C 00"},
      {"-q -s double -r 25", "", 80, 60, 0x1900, "60 00 32 00 00 25 80"},
      // One side kept, and odd sides, whose last column and row the JPEG pads.
      {"-q -s 40x61", "", 40, 61, 0x0A00, "60 00 19 00 00 26 20"},
      {"-q -s 41x31", "", 41, 31, 0x0A00, "58 00 66 80 01 36 00"}};
  for (const auto& [options, summary, width, height, rate, rect] : rows) {
    const auto run = Run(std::string(options) + " " + quote(kData + "anim.gif"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(std::regex_match(run.out, std::regex(summary))) << run.out;
    EXPECT_EQ(m_output.entries(), std::set<std::string>{"anim.swf"});
    const swftest::WalkedMovie movie = walkedMovie("anim.swf");
    ASSERT_TRUE(movie.ok) << movie.error;
    EXPECT_EQ(movie.version, 3);
    EXPECT_TRUE(sameBytes(movie.frameRect, hex(rect)));
    EXPECT_EQ(movie.frameRate, rate);
    EXPECT_EQ(movie.frameCount, 3);
    EXPECT_EQ(movie.codes(),
              (std::vector<uint16_t>{9, 21, 32, 26, 1, 21, 32, 26, 1, 21, 32, 26, 1, 0}));
    for (int i = 0; i < 3; ++i) {
      const image::ImageSequence decoded =
          testutil::decodeBitmapTag(movie.tags[1 + 4 * static_cast<std::size_t>(i)]);
      ASSERT_EQ(decoded.Count(), 1);
      image::ImageBuffer expected;
      expected.CopyFrom(*frames.At(i));
      expected.Resize(width, height);
      EXPECT_LT(meanDifference(*decoded.At(0), expected), 12.0) << options << " frame " << i;
    }
  }
  // A size option may go beyond the custom limits: 1800 x 1500 px, RECT fields of 17 bits.
  EXPECT_NE(Run("-s triple " + quote(kData + "big.gif")).out.find("1 frames, 1800x1500"),
            std::string::npos);
  EXPECT_TRUE(sameBytes(walkedMovie("big.swf").frameRect, hex("88 00 01 19 40 00 00 3A 98 00")));
}

TEST_F(EndToEnd, AnyNumberOfJobsWritesTheSameBytes) {
  const std::string gifs = quote(kData + "anim.gif") + " " + quote(kData + "walk.cycle.gif");
  ASSERT_TRUE(std::filesystem::create_directory(m_output.file("four")));
  ASSERT_EQ(Run("-q -j 1 -s 57x33 " + gifs).status, 0);
  ASSERT_EQ(Run("-q -j 4 -s 57x33 -o four " + gifs).status, 0);
  for (const std::string movie : {"anim.swf", "walk.cycle.swf"}) {
    EXPECT_TRUE(testutil::readFile(m_output.file(movie)) ==
                testutil::readFile(m_output.file("four/" + movie)))
        << movie;
  }
}

TEST_F(EndToEnd, ExportsBmpAndTgaSequencesAtTheGifsOwnSize) {
  image::ImageSequence frames;
  ASSERT_TRUE(frames.Load(kData + "anim.gif"));
  for (const std::string format : {"bmp", "tga"}) {
    const auto run = Run("-s double --export " + format + " " + quote(kData + "anim.gif"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("anim.gif: 3 frames, 40x30, ./quorvex/anim00000." + format +
                           " .. anim00002." + format),
              std::string::npos)
        << run.out;
    for (int i = 0; i < 3; ++i) {
      image::ImageBuffer written;
      const std::string name = "quorvex/anim0000" + std::to_string(i) + "." + format;
      ASSERT_TRUE(written.LoadFirstFrame(m_output.file(name))) << name;
      EXPECT_EQ(meanDifference(written, *frames.At(i)), 0.0) << name;
    }
  }
  EXPECT_EQ(m_output.entries(), std::set<std::string>{"quorvex"});
}

TEST_F(EndToEnd, BadInputsAndOptionsFailClearlyAndLeaveNothing) {
  const std::vector<uint8_t> gif = testutil::readFile(kData + "anim.gif");
  testutil::writeFile(m_inputs.file("text.gif"), std::vector<uint8_t>{'G', 'I', 'F', '?', '\n'});
  testutil::writeFile(m_inputs.file("empty.gif"), {});
  testutil::writeFile(m_inputs.file("cut.gif"), std::span(gif).first(900));
  const std::string anim = " " + quote(kData + "anim.gif");
  // 101 frames of 655 s: more movie frames than a movie can count, even at 1 fps.
  std::vector<testutil::GifFrame> slow(101, testutil::filledFrame(1, 1, 3));
  for (testutil::GifFrame& frame : slow) frame.delay = 65535;
  testutil::writeFile(m_inputs.file("slow.gif"), testutil::makeGif(1, 1, slow));
  const std::string fifo = m_inputs.file("pipe.gif");  // no writer: opening it would wait forever
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::tuple<std::string, int, std::string> rows[] = {
      {quote(m_inputs.file("text.gif")), 1, m_inputs.file("text.gif") + ": not a GIF file"},
      {quote(m_inputs.file("empty.gif")), 1, "empty.gif: the file is empty"},
      {"-j 2 " + quote(m_inputs.file("cut.gif")), 1,
       "cut.gif: the file ends before its first frame is complete"},
      {quote(m_inputs.file("missing.gif")), 1,
       "cannot open " + m_inputs.file("missing.gif") + ": No such file or directory"},
      {quote(m_inputs.path().string()), 1, "it is a directory, not a regular file"},
      {quote(fifo), 1, "cannot read " + fifo + ": it is a FIFO, not a regular file"},
      {"/dev/zero", 1, "cannot read /dev/zero: it is a device, not a regular file"},
      {"", 2, "files is required"},
      {"-r 0" + anim, 2, "--fps"},
      {"-r 51" + anim, 2, "--fps"},
      {"-r ten" + anim, 2, "--fps"},
      {"-r 10 --timing gif" + anim, 2, "--fps cannot be used with --timing gif"},
      {"--timing fast" + anim, 2, "--timing"},
      {"--timing gif " + quote(m_inputs.file("slow.gif")), 1,
       "slow.gif: the GIF's delays need 66190 movie frames, more than a movie can count (65535)"},
      {"-j 0" + anim, 2, "--jobs"},
      {"-j 257" + anim, 2, "--jobs"},
      {"-s huge" + anim, 2, "--size: size 'huge' is not half, original, double, triple or WxH"},
      {"-s 1601x10" + anim, 2, "--size: size 1601x10: width 1601 is above the limit of 1600"},
      {"--export png" + anim, 2, "--export"},
      {"-o nowhere" + anim, 2, "--output-dir: directory 'nowhere' does not exist"},
      {"--frobnicate" + anim, 2, "--frobnicate"},
      {"--memory-limit 0" + anim, 2, "--memory-limit: memory size '0' is not a positive number"},
      {"--frames png" + anim, 2, "--frames"},
      {"--quality 101" + anim, 2, "--quality"},
      {"--filter smooth" + anim, 2, "--filter"},
      {"--background 00FF0" + anim, 2,
       "--background: colour '00FF0' is not six hexadecimal digits RRGGBB"},
      {"--export bmp --transparent" + anim, 2, "--transparent applies to movies, not to --export"},
      {"--export tga --compress" + anim, 2, "--compress applies to movies, not to --export"},
      {"--timing gif --export bmp" + anim, 2, "--timing applies to movies, not to --export"},
      {"--memory-limit 1M " + quote(kData + "big.gif"), 1, "big.gif: converting it needs about"},
  };
  for (const auto& [arguments, status, message] : rows) {
    const auto run = Run(arguments);
    EXPECT_EQ(run.status, status) << arguments;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("quorvex-convert: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("--help") != std::string::npos, status == 2) << run.err;
    EXPECT_TRUE(m_output.entries().empty());
  }
}

// A bad file, a second file of the same base name and a file cut after its second frame (whose
// complete frames are used, with a warning) do not stop the others.
TEST_F(EndToEnd, EachFileConvertsOnItsOwn) {
  std::filesystem::copy_file(kData + "walk.cycle.gif", m_inputs.file("anim.gif"));
  const std::vector<uint8_t> gif = testutil::readFile(kData + "anim.gif");
  testutil::writeFile(m_inputs.file("cut.gif"), std::span(gif).first(2000));
  const auto run = Run(quote(kData + "missing.gif") + " " + quote(kData + "walk.cycle.gif") + " " +
                       quote(kData + "anim.gif") + " " + quote(m_inputs.file("anim.gif")) + " " +
                       quote(m_inputs.file("cut.gif")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("missing.gif: No such file"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(m_inputs.file("anim.gif") +
                         ": its output ./anim.swf was already written for " + kData + "anim.gif"),
            std::string::npos);
  EXPECT_NE(run.err.find("warning: " + m_inputs.file("cut.gif") +
                         ": the file ends early; only its 2 complete frames are used\n"),
            std::string::npos);
  EXPECT_NE(run.out.find("walk.cycle.gif: 2 frames, 24x16, ./walk.cycle.swf"), std::string::npos);
  EXPECT_EQ(m_output.entries(), (std::set<std::string>{"anim.swf", "cut.swf", "walk.cycle.swf"}));
  EXPECT_EQ(walkedMovie("anim.swf").frameCount, 3);
  EXPECT_EQ(walkedMovie("cut.swf").frameCount, 2);
}

// With the GIF's own timing, passes that no movie can count become a movie that loops, and the
// user hears of it.
TEST_F(EndToEnd, TimedMoviesWarnOfALoopCountNotKept) {
  std::vector<testutil::GifFrame> frames(2, testutil::filledFrame(4, 4, 9));
  testutil::writeFile(m_inputs.file("many.gif"),
                      testutil::withLoopCount(testutil::makeGif(4, 4, frames), 40000));
  const auto run = Run("--timing gif " + quote(m_inputs.file("many.gif")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "quorvex-convert: warning: " + m_inputs.file("many.gif") +
                         ": its 40000 passes need more movie frames than a movie can count "
                         "(65535); the movie loops forever instead\n");
  const swftest::WalkedMovie movie = walkedMovie("many.swf");
  EXPECT_EQ(movie.frameRate, 0x0A00);
  EXPECT_EQ(movie.frameCount, 2);
}

}  // namespace
}  // namespace cli
