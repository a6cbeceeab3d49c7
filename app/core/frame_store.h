#pragma once

#include <atomic>
#include <string>

#include "image/image_sequence.h"
#include "support/result.h"

namespace core {

// The opened GIF: its path, every decoded frame in memory, and the temporary JPEG frame files
// that a capture pass writes from those frames under an output directory. The frames are never
// changed once loaded, so a capture pass may write them from another thread while they are shown.
class FrameStore {
 public:
  // Decodes every frame of the GIF at `path`, replacing whatever was held, and records the
  // path. A GIF whose data ends early keeps its complete frames (truncated() is then true).
  // `cancelled` (may be null) is read between frames; once true the load stops and fails. Fails,
  // with frameCount() 0, when the file cannot be read, does not decode, holds no frame, holds
  // more frames than a movie can carry (kMaxMovieFrames) or does not fit in memory; the path is
  // recorded and isLoaded() is true either way.
  support::Status LoadGif(const std::string& path, const std::atomic<bool>* cancelled = nullptr);

  // Deletes every file directly inside TempDirectory(outputDirectory), creating the folder when
  // it is missing. Subfolders and the folder itself stay; files that cannot be deleted are left.
  void ClearTempFrames(const std::string& outputDirectory) const;

  // outputDirectory + "quorvex/Temp/".
  static std::string TempDirectory(const std::string& outputDirectory);

  // The JPEG file of frame `index`: TempDirectory + GIF base name + five-digit index + ".jpg".
  std::string FramePath(const std::string& outputDirectory, int index) const;

  // Writes FramePath: the held frame `index` at width x height pixels as a JPEG of the codec's
  // default quality (80), encoded by image::EncodeResizedJpeg exactly as the streaming
  // conversion encodes it, creating the folder when missing. The held frame is not changed, and
  // the file is not flushed to disk (it only lives until the movie is built). Safe to call from
  // any thread while the frames are held. Fails, with the path and reason, when the index is
  // outside 0..frameCount()-1 or the folder or file cannot be written.
  support::Status WriteFrame(const std::string& outputDirectory, int index, int width,
                             int height) const;

  const std::string& gifPath() const { return m_gifPath; }
  const image::ImageSequence& frames() const { return m_frames; }
  int frameCount() const { return m_frameCount; }
  bool isLoaded() const { return m_isLoaded; }
  // True when the last load's GIF ended before its trailer; its complete frames are held.
  bool truncated() const { return m_truncated; }

 private:
  std::string m_gifPath;
  image::ImageSequence m_frames;
  int m_frameCount = 0;
  bool m_isLoaded = false;
  bool m_truncated = false;
};

}  // namespace core
