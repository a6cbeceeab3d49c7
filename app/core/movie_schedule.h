#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/output_settings.h"
#include "image/gif/gif_parser.h"
#include "support/result.h"
#include "swf/bitmap_frame.h"
#include "swf/swf_movie.h"

namespace core {

// What a movie shows and when, decided from the settings and the GIF before any frame is
// encoded: the header's rate and frame count, and each picture's placement.
struct MovieSchedule {
  std::uint16_t frameRate8x8 = 0;  // the header's FrameRate
  int movieFrames = 0;             // ShowFrame tags: the header's FrameCount
  int gifFrames = 0;
  int passes = 1;  // times the GIF's frames are shown one after the other
  // passes * gifFrames placements, GIF frame i of pass p at p * gifFrames + i. The first pass
  // defines each frame's bitmap and shape; later passes place those shapes again. The last
  // placement stops the movie unless it loops.
  std::vector<swf::FramePlacement> placements;
  std::vector<std::string> warnings;  // sentences for the user, e.g. a loop count not kept
};

// Whether each placement takes the picture shown before it off the stage: needed when pictures
// may be transparent (nothing of the earlier one may show through) and when the frames are shown
// more than once (a shape placed again must go to a free depth above the others).
bool removesShownPicture(const OutputSettings& settings, int passes);

// Plans the movie of the first `frameCount` frames of `gif` with `settings`:
//   - by default the design's movie: settings.frameRate, one movie frame per GIF frame, one pass,
//     looping, each frame at its own depth;
//   - with settings.gifTiming each frame lasts its own delay (ChooseMovieTiming over the delays
//     of all passes one after the other, so that rounding does not drift from pass to pass), and
//     the loop extension sets the passes: none, one pass (as browsers play such a GIF); 0, one
//     pass looping forever; N, N passes. The movie stops on its last picture unless it loops.
//     Passes that would need more movie frames than a movie can count become one pass looping
//     forever, with a warning.
// Fails (Refused, with a sentence) when no timing fits even one pass.
support::Status planMovieSchedule(const OutputSettings& settings, const image::GifFile& gif,
                                  int frameCount, MovieSchedule& schedule);

// The header of the scheduled movie: its rate and frame count, compressed as the settings say.
swf::MovieFormat movieFormatOf(const OutputSettings& settings, const MovieSchedule& schedule);

// Appends the passes after the first, once every frame of the first pass is in the movie: the
// shapes defined then, placed again as scheduled.
void appendLaterPasses(swf::SwfMovie& movie, const MovieSchedule& schedule);

}  // namespace core
