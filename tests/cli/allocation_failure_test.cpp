// Memory that runs out on one file of several: that file fails with a message, the others still
// convert, and the run ends with status 1. This test program replaces the global operator new so
// that, while armed, every request from a given size on fails as an exhausted heap would.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "cli/runner.h"
#include "common/temp_dir.h"
#include "common/test_gif.h"

namespace {

std::atomic<std::size_t> failFrom{SIZE_MAX};

}  // namespace

// A replaced operator new can only sit on malloc.
// NOLINTBEGIN(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
void* operator new(std::size_t size) {
  if (size >= failFrom.load(std::memory_order_relaxed)) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
// An optimising GCC takes the memory freed here for memory of the library's operator new.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
#pragma GCC diagnostic pop
// NOLINTEND(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)

namespace cli {
namespace {

struct FileCloser {
  // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): the unique_ptr is the owner
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using TemporaryFile = std::unique_ptr<std::FILE, FileCloser>;

std::string text(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  return text;
}

TEST(AllocationFailure, FailsOneFileAndTheOthersStillConvert) {
  testutil::TempDir dir;
  const std::string small = dir.file("small.gif");
  const std::string huge = dir.file("huge.gif");  // a 100 MB canvas behind a few bytes
  const std::string again = dir.file("again.gif");
  testutil::writeFile(small, testutil::makeGif(8, 8, {testutil::filledFrame(8, 8, 3)}));
  testutil::writeFile(huge, testutil::makeGif(5000, 5000, {testutil::filledFrame(2, 2, 3)}));
  std::filesystem::copy_file(small, again);
  std::filesystem::create_directory(dir.file("out"));
  Options options;
  options.inputs = {small, huge, again};
  options.outputDirectory = dir.file("out") + "/";
  options.quiet = true;
  const TemporaryFile out(std::tmpfile());
  const TemporaryFile err(std::tmpfile());
  failFrom = std::size_t{64} << 20;
  const int status = runConversions(options, out.get(), err.get(), false);
  failFrom = SIZE_MAX;
  EXPECT_EQ(status, 1);
  EXPECT_EQ(testutil::TempDir::entriesOf(dir.file("out")),
            (std::set<std::string>{"small.swf", "again.swf"}));
  EXPECT_EQ(text(err.get()), "quorvex-convert: " + huge + ": out of memory\n");
}

}  // namespace
}  // namespace cli
