#include "image/ico_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "image/image_buffer.h"
#include "image/image_sequence.h"
#include "image_test_util.h"

namespace image {
namespace {

void Le16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Le32(std::vector<uint8_t>& out, uint32_t value) {
  Le16(out, value & 0xFFFF);
  Le16(out, value >> 16);
}

// An icon file holding `entries` one after the other behind the directory; the size bytes of
// the directory entries are left 0 since the decoder reads the entry's own header.
std::vector<uint8_t> IconFile(const std::vector<std::vector<uint8_t>>& entries) {
  std::vector<uint8_t> file;
  Le16(file, 0);
  Le16(file, 1);
  Le16(file, static_cast<uint32_t>(entries.size()));
  std::size_t offset = 6 + 16 * entries.size();
  for (const auto& entry : entries) {
    file.insert(file.end(), {0, 0, 0, 0});
    Le16(file, 1);
    Le16(file, 32);
    Le32(file, static_cast<uint32_t>(entry.size()));
    Le32(file, static_cast<uint32_t>(offset));
    offset += entry.size();
  }
  for (const auto& entry : entries) {
    file.insert(file.end(), entry.begin(), entry.end());
  }
  return file;
}

// A BITMAPINFOHEADER for an icon picture: the height field counts colour rows and mask rows.
std::vector<uint8_t> InfoHeader(int32_t width, int32_t doubledHeight, uint16_t depth,
                                uint32_t coloursUsed = 0, uint32_t compression = 0) {
  std::vector<uint8_t> header;
  Le32(header, 40);
  Le32(header, static_cast<uint32_t>(width));
  Le32(header, static_cast<uint32_t>(doubledHeight));
  Le16(header, 1);
  Le16(header, depth);
  Le32(header, compression);
  Le32(header, 0);
  Le32(header, 0);
  Le32(header, 0);
  Le32(header, coloursUsed);
  Le32(header, 0);
  return header;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

// 2 x 2, 32 bits with alpha. Rows bottom-up: (1,2,3,255) (4,5,6,128) / (7,8,9,0) (10,11,12,255).
std::vector<uint8_t> Dib32WithAlpha() {
  return Concat({InfoHeader(2, 4, 32),
                 test::Hex("01 02 03 FF 04 05 06 80  07 08 09 00 0A 0B 0C FF"),
                 test::Hex("00 00 00 00  00 00 00 00")});
}

// 2 x 2, 8 bits, two palette entries (red, blue), AND mask making one pixel per row
// transparent. Rows bottom-up: indexes 1 0 / 0 1; mask rows 01000000 / 10000000.
std::vector<uint8_t> Dib8WithMask() {
  return Concat({InfoHeader(2, 4, 8, 2), test::Hex("00 00 FF 00  FF 00 00 00"),
                 test::Hex("01 00 00 00  00 01 00 00"), test::Hex("40 00 00 00  80 00 00 00")});
}

// 3 x 1, 24 bits (row padded to 12 bytes), all alpha from the mask: middle pixel transparent.
std::vector<uint8_t> Dib24ThreeWide() {
  return Concat({InfoHeader(3, 2, 24), test::Hex("01 02 03 04 05 06 07 08 09 00 00 00"),
                 test::Hex("40 00 00 00")});
}

// 1 x 1, 32 bits whose alpha bytes are all 0, as in icons made before alpha: the AND mask
// (bit clear) makes it opaque.
std::vector<uint8_t> Dib32WithoutAlpha() {
  return Concat({InfoHeader(1, 2, 32), test::Hex("11 22 33 00"), test::Hex("00 00 00 00")});
}

// 2 x 2 RGBA PNG by another encoder: red, green at alpha 128 / blue at alpha 0, (10, 20, 30).
const char* const kPng2x2 =
    "89 50 4E 47 0D 0A 1A 0A 00 00 00 0D 49 48 44 52 00 00 00 02 00 00 00 02 08 06 00 00 00 72 "
    "B6 0D 24 00 00 00 1A 49 44 41 54 78 9C 63 F8 CF C0 F0 9F E1 3F 43 03 03 03 C3 7F 06 2E 11 "
    "B9 FF 00 37 80 05 B8 70 4C 3D 7F 00 00 00 00 49 45 4E 44 AE 42 60 82";

std::vector<uint8_t> Pixel(const ImageBuffer& picture, int x, int y) {
  const uint8_t* at = picture.PixelAddress(x, y);
  return {at, at + 4};
}

TEST(IcoCodecTest, EveryEntryBecomesOneFrameInOrder) {
  const std::vector<uint8_t> file = IconFile({Dib32WithAlpha(), test::Hex(kPng2x2), Dib8WithMask(),
                                              Dib24ThreeWide(), Dib32WithoutAlpha()});
  IcoCodec codec;
  ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(file, frames)) << ToString(codec.LastError());
  ASSERT_EQ(frames.Count(), 5);
  for (int i = 0; i < frames.Count(); ++i) {
    EXPECT_EQ(frames.At(i)->BitsPerPixel(), 32) << "frame " << i;
  }

  const ImageBuffer& withAlpha = *frames.At(0);
  ASSERT_EQ(withAlpha.Width(), 2);
  ASSERT_EQ(withAlpha.Height(), 2);
  EXPECT_EQ(Pixel(withAlpha, 0, 0), (std::vector<uint8_t>{7, 8, 9, 0}));
  EXPECT_EQ(Pixel(withAlpha, 1, 0), (std::vector<uint8_t>{10, 11, 12, 255}));
  EXPECT_EQ(Pixel(withAlpha, 0, 1), (std::vector<uint8_t>{1, 2, 3, 255}));
  EXPECT_EQ(Pixel(withAlpha, 1, 1), (std::vector<uint8_t>{4, 5, 6, 128}));

  const ImageBuffer& png = *frames.At(1);
  EXPECT_EQ(Pixel(png, 0, 0), (std::vector<uint8_t>{0, 0, 255, 255}));
  EXPECT_EQ(Pixel(png, 1, 0), (std::vector<uint8_t>{0, 255, 0, 128}));
  EXPECT_EQ(Pixel(png, 0, 1), (std::vector<uint8_t>{255, 0, 0, 0}));

  const ImageBuffer& palette = *frames.At(2);
  EXPECT_EQ(Pixel(palette, 0, 0), (std::vector<uint8_t>{0, 0, 255, 0}));
  EXPECT_EQ(Pixel(palette, 1, 0), (std::vector<uint8_t>{255, 0, 0, 255}));
  EXPECT_EQ(Pixel(palette, 0, 1), (std::vector<uint8_t>{255, 0, 0, 255}));
  EXPECT_EQ(Pixel(palette, 1, 1), (std::vector<uint8_t>{0, 0, 255, 0}));

  const ImageBuffer& threeWide = *frames.At(3);
  ASSERT_EQ(threeWide.Width(), 3);
  ASSERT_EQ(threeWide.Height(), 1);
  EXPECT_EQ(Pixel(threeWide, 0, 0), (std::vector<uint8_t>{1, 2, 3, 255}));
  EXPECT_EQ(Pixel(threeWide, 1, 0), (std::vector<uint8_t>{4, 5, 6, 0}));
  EXPECT_EQ(Pixel(threeWide, 2, 0), (std::vector<uint8_t>{7, 8, 9, 255}));

  EXPECT_EQ(Pixel(*frames.At(4), 0, 0), (std::vector<uint8_t>{0x11, 0x22, 0x33, 255}));
}

TEST(IcoCodecTest, MissingMaskLeavesTheFrameOpaque) {
  // The entry ends right after its colour rows.
  const std::vector<uint8_t> entry = Concat({InfoHeader(1, 2, 24), test::Hex("01 02 03 00")});
  IcoCodec codec;
  ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(IconFile({entry}), frames)) << ToString(codec.LastError());
  EXPECT_EQ(Pixel(*frames.At(0), 0, 0), (std::vector<uint8_t>{1, 2, 3, 255}));
}

TEST(IcoCodecTest, LoadsThroughTheFactoryAndRefusesToSave) {
  test::TempDir dir;
  const std::vector<uint8_t> file = IconFile({Dib8WithMask()});
  {
    std::ofstream out(dir.File("app.ICO"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
  }
  ImageBuffer picture;
  ASSERT_TRUE(picture.LoadFirstFrame(dir.File("app.ICO")));
  EXPECT_EQ(picture.Width(), 2);
  EXPECT_FALSE(picture.Save(dir.File("copy.ico"), -1));
  EXPECT_EQ(picture.LastError(), ImageError::NoCodec);
  EXPECT_EQ(dir.Entries().size(), 1U);
}

struct MalformedRow {
  const char* name;
  std::vector<uint8_t> bytes;
  ImageError error;
};

std::vector<uint8_t> WithByte(std::vector<uint8_t> bytes, std::size_t offset, uint8_t value) {
  bytes[offset] = value;
  return bytes;
}

// Cases beyond those of the malformed corpus below.
TEST(IcoCodecTest, MalformedFilesFailWithTheirError) {
  const std::vector<uint8_t> one = IconFile({Dib8WithMask()});
  // Offsets in `one`: directory 0..5, entry 6..21 (size at 14, offset at 18), DIB from 22.
  const MalformedRow rows[] = {
      {"reserved not zero", WithByte(one, 0, 1), ImageError::BadSignature},
      {"directory cut", Concat({test::Hex("00 00 01 00 02 00"), std::vector<uint8_t>(20, 0)}),
       ImageError::Truncated},
      {"entry size zero", WithByte(WithByte(one, 14, 0), 15, 0), ImageError::Corrupt},
      {"header larger than the entry", WithByte(one, 23, 1), ImageError::Truncated},
      {"zero width", WithByte(one, 26, 0), ImageError::BadDimensions},
      {"height below two", WithByte(one, 30, 1), ImageError::BadDimensions},
      {"negative height", WithByte(one, 33, 0xFF), ImageError::BadDimensions},
      {"depth 2", WithByte(one, 36, 2), ImageError::UnsupportedDepth},
      {"run-length compression", WithByte(one, 38, 1), ImageError::UnsupportedDepth},
  };
  for (const MalformedRow& row : rows) {
    SCOPED_TRACE(row.name);
    IcoCodec codec;
    ImageSequence frames;
    frames.Append(std::make_unique<ImageBuffer>());
    EXPECT_FALSE(codec.LoadMemory(row.bytes, frames));
    EXPECT_EQ(codec.LastError(), row.error) << ToString(codec.LastError());
    EXPECT_EQ(frames.Count(), 1);
  }
}

// The fuzz corpus: every file must fail with the error its name describes.
TEST(IcoCodecTest, MalformedCorpusFilesFail) {
  struct Row {
    const char* file;
    ImageError error;
  };
  const Row rows[] = {
      {"truncated_directory.ico", ImageError::Truncated},
      {"zero_entries.ico", ImageError::NoFrames},
      {"entry_offset_past_end.ico", ImageError::Truncated},
      {"entry_size_past_end.ico", ImageError::Truncated},
      {"entry_size_wraps.ico", ImageError::Truncated},
      {"cursor_type_3.ico", ImageError::BadSignature},
      {"dib_core_header.ico", ImageError::UnsupportedDepth},
      {"dib_colour_rows_cut.ico", ImageError::Truncated},
      {"dib_palette_300.ico", ImageError::BadPalette},
      {"dib_huge_width.ico", ImageError::TooLarge},
      {"png_entry_cut.ico", ImageError::Truncated},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    IcoCodec codec;
    ImageSequence frames;
    EXPECT_FALSE(
        codec.LoadFile(std::string(QUORVEX_TEST_DATA_DIR) + "/malformed/ico/" + row.file, frames));
    EXPECT_EQ(codec.LastError(), row.error) << ToString(codec.LastError());
    EXPECT_EQ(frames.Count(), 0);
  }
}

}  // namespace
}  // namespace image
