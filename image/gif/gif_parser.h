#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "image/image_error.h"

namespace image {

// What happens to a frame's rectangle before the next frame is drawn. The GIF disposal
// values 0 (unspecified), 1 (do not dispose) and the reserved 4..7 all leave the canvas as
// it is, as browsers treat them.
enum class GifDisposal : uint8_t { Keep, Background, Previous };

// One image of a GIF file as the container describes it; no pixel is decoded yet.
// Offsets index the byte span the file was parsed from.
struct GifFrame {
  int left = 0;  // image descriptor position and size, pixels, before clipping
  int top = 0;
  int width = 0;
  int height = 0;
  bool interlaced = false;
  GifDisposal disposal = GifDisposal::Keep;
  int transparentIndex = -1;  // -1: no transparent colour
  int delayCentiseconds = 0;
  std::size_t paletteOffset = 0;  // local colour table, 3 bytes (r, g, b) per entry
  int paletteSize = 0;            // entries; 0: the frame uses the global table
  int minCodeSize = 0;            // LZW minimum code size, 1..8
  std::size_t dataOffset = 0;     // length byte of the first LZW data sub-block
  std::size_t dataSize = 0;       // LZW payload bytes, sub-block length bytes excluded
};

// GifFile::loopCount of a file without a loop extension.
inline constexpr int kNoLoopExtension = -1;

// The whole container: logical screen, global colour table and every complete frame.
struct GifFile {
  int width = 0;  // logical screen, pixels
  int height = 0;
  std::size_t paletteOffset = 0;  // global colour table, 3 bytes per entry
  int paletteSize = 0;            // entries; 0: no global table
  std::vector<GifFrame> frames;
  // The loop count of the NETSCAPE2.0 (or ANIMEXTS1.0) application extension as stored (0: play
  // forever), or kNoLoopExtension; of several such extensions the last counts.
  int loopCount = kNoLoopExtension;
  bool truncated = false;  // the data ended before the trailer; `frames` holds the complete ones
};

// Told, every few megabytes, how far the parse has come: the bytes before `offset` will not be
// read again by the parse.
using GifParseProgress = std::function<void(std::size_t offset)>;

// Parses the container in `bytes` into `file` without decoding pixels. Frames that the data
// cuts off are dropped; the complete ones before them are kept, and an unknown block type
// ends the file the same way. Fails, `file` left unchanged, with: BadSignature (not
// "GIF87a"/"GIF89a"; Truncated for a cut-off one), BadDimensions (a zero screen side), TooLarge (a
// screen or frame side above kMaxDimension), Corrupt (an LZW minimum code size outside 1..8, or an
// unknown block before any frame), NoFrames (a trailer with no frame before it), Truncated (the
// data ends before the first frame is complete). `progress` (may be empty) follows the walk.
ImageResult parseGif(std::span<const uint8_t> bytes, GifFile* file,
                     const GifParseProgress& progress = {});

}  // namespace image
