#pragma once

#include <array>
#include <cstdint>

// Every number the SWF writer puts into a file because the format fixes it: signature, version,
// tag codes and their header forms, fill-style types, placement flags, action codes, markers.
namespace swf {

// File header. "FWS" marks an uncompressed movie; version 3 is the oldest player able to show
// DefineBitsJPEG2 bitmaps in DefineShape3 fills.
inline constexpr std::array<std::uint8_t, 3> kSignature = {'F', 'W', 'S'};
inline constexpr std::uint8_t kVersion = 3;

// "CWS" marks a movie whose bytes after the first kUncompressedPrefixBytes form one zlib stream;
// players read it from version 6 on.
inline constexpr std::array<std::uint8_t, 3> kCompressedSignature = {'C', 'W', 'S'};
inline constexpr std::uint8_t kCompressedVersion = 6;

// Where the 32-bit FileLength lies in the header: after the signature and the version. The
// first 8 bytes stay uncompressed in a compressed movie, and FileLength counts the bytes as they
// are before compression.
inline constexpr std::uint32_t kFileLengthOffset = 4;
inline constexpr std::uint32_t kUncompressedPrefixBytes = 8;

// A movie that was never opened: a 200 x 200 pixel stage at 12 frames per second (8.8 fixed).
inline constexpr float kDefaultStagePixels = 200.0F;
inline constexpr std::uint16_t kDefaultFrameRate = 0x0C00;

enum class TagCode : std::uint16_t {
  End = 0,
  ShowFrame = 1,
  SetBackgroundColor = 9,
  DoAction = 12,
  DefineBitsLossless = 20,
  DefineBitsJpeg2 = 21,
  PlaceObject2 = 26,
  RemoveObject2 = 28,
  DefineShape3 = 32,
  DefineBitsJpeg3 = 35,
  DefineBitsLossless2 = 36,
  FrameLabel = 43,
};

// A tag header is the word code * 64 + length. The short form keeps a length of 0..62 in the low
// six bits; the long form puts 63 there and follows the word with a 32-bit length.
inline constexpr std::uint16_t kTagCodeShift = 6;
inline constexpr std::uint16_t kLongLengthMarker = 0x3F;
inline constexpr std::uint32_t kMaxShortLength = 62;
inline constexpr std::uint32_t kLongTagHeaderBytes = 6;

enum class TagHeaderForm { Short, Long };

// The header form belongs to the tag type, not to the body length: only the three control tags
// use the short form, so every definition and placement tag carries a 32-bit length.
constexpr TagHeaderForm tagHeaderForm(TagCode code) {
  switch (code) {
    case TagCode::End:
    case TagCode::ShowFrame:
    case TagCode::SetBackgroundColor:
      return TagHeaderForm::Short;
    default:
      return TagHeaderForm::Long;
  }
}

// The first 16-bit header word of a long-form tag (written little-endian: DefineShape3 is 3F 08).
constexpr std::uint16_t longTagHeaderWord(TagCode code) {
  return static_cast<std::uint16_t>((static_cast<std::uint16_t>(code) << kTagCodeShift) |
                                    kLongLengthMarker);
}

static_assert(longTagHeaderWord(TagCode::DefineShape3) == 0x083F);
static_assert(longTagHeaderWord(TagCode::DefineBitsJpeg2) == 0x057F);
static_assert(longTagHeaderWord(TagCode::PlaceObject2) == 0x06BF);
static_assert(longTagHeaderWord(TagCode::RemoveObject2) == 0x073F);
static_assert(longTagHeaderWord(TagCode::DoAction) == 0x033F);
static_assert(longTagHeaderWord(TagCode::FrameLabel) == 0x0AFF);
static_assert(longTagHeaderWord(TagCode::DefineBitsLossless) == 0x053F);
static_assert(longTagHeaderWord(TagCode::DefineBitsJpeg3) == 0x08FF);
static_assert(longTagHeaderWord(TagCode::DefineBitsLossless2) == 0x093F);

// Bit-field widths of the records: RECT, MATRIX and the MoveTo of a style change store their
// value width in 5 bits, CXFORMWITHALPHA in 4, an edge stores width - 2 in 4 bits.
inline constexpr unsigned kRecordWidthBits = 5;
inline constexpr unsigned kMaxRecordFieldWidth = 31;
inline constexpr unsigned kColorTransformWidthBits = 4;
inline constexpr unsigned kMaxColorTransformFieldWidth = 15;
inline constexpr unsigned kEdgeNumBitsBits = 4;
inline constexpr unsigned kEdgeNumBitsBias = 2;
inline constexpr unsigned kMaxEdgeFieldWidth = 17;
inline constexpr unsigned kEndShapeRecordBits = 6;

// MATRIX scale and rotate terms are 16.16 fixed point; their width is 17 plus the bits of the
// integer part, so the fraction and the sign always fit.
inline constexpr unsigned kFixed16FractionWidth = 17;

// FILLSTYLE types.
inline constexpr std::uint8_t kFillSolid = 0x00;
inline constexpr std::uint8_t kFillLinearGradient = 0x10;
inline constexpr std::uint8_t kFillRadialGradient = 0x12;
inline constexpr std::uint8_t kFillRepeatingBitmap = 0x40;
inline constexpr std::uint8_t kFillClippedBitmap = 0x41;
inline constexpr std::uint8_t kFillRepeatingBitmapHard = 0x42;
inline constexpr std::uint8_t kFillClippedBitmapHard = 0x43;

// A gradient's square spans 32768 twips; its fill matrix stretches it over the target rectangle.
inline constexpr float kGradientSquareTwips = 32768.0F;

// FILLSTYLEARRAY / LINESTYLEARRAY counts from 255 upwards are the byte FF and a 16-bit count.
inline constexpr std::uint8_t kStyleCountEscape = 0xFF;

// PlaceObject2 flag bits.
inline constexpr std::uint8_t kPlaceMove = 0x01;
inline constexpr std::uint8_t kPlaceHasCharacter = 0x02;
inline constexpr std::uint8_t kPlaceHasMatrix = 0x04;
inline constexpr std::uint8_t kPlaceHasColorTransform = 0x08;

// Action codes of SWF 3. Codes from 0x80 upwards carry a 16-bit payload length.
inline constexpr std::uint8_t kActionEnd = 0x00;
inline constexpr std::uint8_t kActionNextFrame = 0x04;
inline constexpr std::uint8_t kActionPreviousFrame = 0x05;
inline constexpr std::uint8_t kActionPlay = 0x06;
inline constexpr std::uint8_t kActionStop = 0x07;
inline constexpr std::uint8_t kActionGotoFrame = 0x81;
inline constexpr std::uint8_t kActionGetUrl = 0x83;
inline constexpr std::uint8_t kActionWaitForFrame = 0x8A;
inline constexpr std::uint8_t kActionSetTarget = 0x8B;
inline constexpr std::uint8_t kActionGoToLabel = 0x8C;
inline constexpr std::uint8_t kActionHasPayload = 0x80;

// DefineBitsJPEG2 wraps the file as EOI SOI <file> EOI: players of version 2 and 3 expect an
// (empty) encoding-tables stream ended by EOI before the image stream.
inline constexpr std::array<std::uint8_t, 4> kJpegPrefix = {0xFF, 0xD9, 0xFF, 0xD8};
inline constexpr std::array<std::uint8_t, 2> kJpegSuffix = {0xFF, 0xD9};

// DefineBitsLossless BitmapFormat values: colour mapped (8-bit indices into a table of up to 256
// colours) and direct 32-bit pixels; the first byte of a 32-bit pixel without alpha is reserved
// and always 0.
inline constexpr std::uint8_t kLosslessColorMapped = 3;
inline constexpr std::uint8_t kLosslessDirect32 = 5;
inline constexpr std::uint8_t kLosslessPix24Reserved = 0;

// Units: one pixel is 20 twips; 16.16 and 8.8 fixed point have 65536 and 256 steps per unit.
inline constexpr float kTwipsPerPixel = 20.0F;
inline constexpr float kFixed16One = 65536.0F;
inline constexpr float kFixed8One = 256.0F;

}  // namespace swf
