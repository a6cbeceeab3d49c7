// The committed malformed files of one decoder through its fuzz entry point, under the
// sanitizers of the build, and through its codec, which must refuse each file with the error the
// corpus table gives it; a file without a row fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/malformed_corpus.h"
#include "common/temp_dir.h"
#include "image/image_codec_factory.h"
#include "image/image_sequence.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// One test per decoder, named after it (FuzzReplay.bmp, FuzzReplay.gif, ...).
TEST(FuzzReplay, QUORVEX_REPLAY_DECODER) {
  const std::vector<testutil::MalformedFile> rows = testutil::malformedFiles(QUORVEX_REPLAY_NAME);
  std::vector<std::string> listed;
  for (const auto& row : rows) listed.push_back(std::filesystem::path(row.path).filename());
  for (const auto& entry : std::filesystem::directory_iterator(QUORVEX_REPLAY_DIR)) {
    const std::string name = entry.path().filename();
    EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end())
        << name << " has no expected error in tests/common/malformed_corpus.h";
  }
  ASSERT_FALSE(rows.empty());
  const image::ImageCodecFactory& factory = image::ImageCodecFactory::instance();
  for (const testutil::MalformedFile& row : rows) {
    SCOPED_TRACE(row.path);
    const std::vector<uint8_t> bytes = testutil::readFile(testutil::malformedPath(row));
    // Sanitizer reports abort the process.
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
    const std::unique_ptr<image::ImageCodec> codec = factory.CreateCodec(factory.TypeOf(row.path));
    ASSERT_NE(codec, nullptr);
    image::ImageSequence frames;
    const image::ImageResult loaded = codec->LoadMemory(bytes, frames);
    EXPECT_EQ(loaded.code(), row.error) << loaded.message();
  }
}

}  // namespace
