#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "support/result.h"

namespace core {

// One frame rate for a whole movie and how many movie frames each GIF frame lasts at it, so
// that every frame shows for its own delay.
struct MovieTiming {
  // Frames per second in 8.8 fixed point, the form of the SWF header's FrameRate.
  std::uint16_t frameRate8x8 = 0;
  // Per GIF frame, in order: the movie frames it lasts (at least 1).
  std::vector<int> movieFrames;
  // True when every delay is exactly a whole number of movie frames at the rate.
  bool exact = false;
};

// The delay a GIF frame shows for, in hundredths of a second, as browsers show it: a stored
// delay of 0 or 1 counts as 10.
int effectiveDelay(int storedDelayCentiseconds);

// The movie's total frame count must fit the SWF header's 16-bit FrameCount.
inline constexpr int kMaxMovieFrameCount = 65535;

// Chooses the timing of a movie showing frames of the given stored delays (hundredths of a
// second; EffectiveDelay is applied). The rate lies within 1..`maxFramesPerSecond`:
//   - when some rate in 8.8 fixed point makes every delay a whole number of movie frames, the
//     lowest such rate is taken;
//   - otherwise the whole-number rate whose rounding errs least (ties: the lower rate), each
//     frame's end rounded from the running total of the delays, so that the error never builds
//     up: a frame lasts within one movie frame of its delay and ends within half a movie frame
//     of its time.
// Fails (Refused, with a sentence) when there is no delay or every rate would need more than
// kMaxMovieFrameCount movie frames.
support::Status chooseMovieTiming(std::span<const int> storedDelaysCentiseconds,
                                  int maxFramesPerSecond, MovieTiming& timing);

}  // namespace core
