#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "swf/movie_output.h"
#include "swf/swf_action_list.h"
#include "swf/swf_character.h"
#include "swf/swf_color_transform.h"
#include "swf/swf_rect.h"

namespace swf {

// How a movie file starts: its header's frame rate and frame count, and whether it is
// compressed.
struct MovieFormat {
  std::uint16_t frameRate = 0;  // frames per second, 8.8 fixed point
  // The ShowFrame tags the movie will have. finish() writes the real count into an uncompressed
  // movie; a compressed movie's header cannot be changed afterwards, so it must be right.
  std::uint16_t frameCount = 0;
  // "CWS", version 6: everything after the first 8 bytes zlib-compressed. Otherwise "FWS",
  // version 3.
  bool compressed = false;
};

// An SWF movie being written, uncompressed of version 3 unless opened compressed. With a file open,
// the header goes out first and every tag is written to the file as it is appended (see
// MovieOutput), so memory does not grow with the movie; finish() appends the End tag, completes
// FileLength and FrameCount in the header and gives the file its name. Without a file, tags
// accumulate in memory (tags()). The target file is replaced only by a complete movie.
class SwfMovie {
 public:
  // A 200 x 200 pixel stage at 12 frames per second, no frames, no file.
  SwfMovie();
  // Removes the temporary file of a movie that was opened but not finished; an earlier file of
  // the target name stays as it was.
  ~SwfMovie();
  SwfMovie(const SwfMovie&) = delete;
  SwfMovie& operator=(const SwfMovie&) = delete;

  // Starts a movie file at `path` with a stage of widthPx x heightPx pixels and an integer rate
  // (its low 8 bits: 0..255 frames per second), and writes the header and the tags appended so
  // far. The movie has no name until finish(). Fails, changing nothing, when a file is already
  // open or the file cannot be created (missing or unwritable directory): the path and the
  // system's reason.
  support::Status open(const std::string& path, float widthPx, float heightPx, int framesPerSecond);
  // As above, with the header `format` gives. finish() fails for a compressed movie whose
  // ShowFrame tags are not format.frameCount.
  support::Status open(const std::string& path, float widthPx, float heightPx,
                       const MovieFormat& format);

  // Appends a DefineBitsJPEG2 tag of character `id` carrying the JPEG bytes, written from
  // `jpeg` itself (SwfJpegBitmap's layout). A JPEG too large for the tag's length field fails the
  // movie (ok() false).
  void addJpegBitmap(std::uint16_t id, std::span<const std::uint8_t> jpeg);

  // Appends a SetBackgroundColor tag.
  void setBackgroundColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

  // Appends the character's definition tag (tagBytes, then tagSize bytes of it) and, when
  // `place` is set and the character is not a bitmap, a new placement at `depth`. The bytes are
  // copied: the character may be destroyed afterwards. Null is ignored.
  void addCharacter(const SwfCharacter* character, std::uint16_t depth, bool place);

  // Appends a PlaceObject2 tag: with `newPlacement` the character is put at `depth`; otherwise
  // whatever is at `depth` gets the character's matrix (and colour transform). A shape brings its
  // placement matrix, other characters the identity. Null characters and bitmaps are ignored.
  void placeCharacter(const SwfCharacter* character, std::uint16_t depth, bool newPlacement,
                      const SwfColorTransform* colorTransform = nullptr);

  // Appends a RemoveObject2 tag for `depth`.
  void removeDepth(std::uint16_t depth);

  // Appends a FrameLabel tag naming the current frame.
  void addFrameLabel(const std::string& name);

  // Appends the list's DoAction tag (as it serialises). Null is ignored.
  void addActions(SwfActionList* actions);

  // Appends a ShowFrame tag and counts the frame (the 16-bit count wraps after 65535).
  void showFrame();

  // Appends the End tag, completes the header and replaces the target with the new file. Returns
  // success when the complete movie is in place. Fails, with the path and the reason, when no
  // file is open, the movie outgrew the 4 GiB of its FileLength field, or any write, the flush or
  // the naming fails; the new file is then discarded and an earlier file of the target name left
  // untouched. It also fails for a compressed movie that shows another number of frames than its
  // header says. Either way no file is held afterwards.
  support::Status finish();

  // False once a write to the open file failed or the movie outgrew 4 GiB: later tags are
  // dropped and finish() fails with the reason, so a caller may stop early.
  bool ok() const { return m_output.ok(); }

  // Why ok() is false, with the path and the system's reason; success while ok().
  const support::Status& status() const { return m_output.status(); }

  // Number of showFrame calls, modulo 65536.
  std::uint16_t frameCount() const { return m_frameCount; }

  // Every tag appended while no file was open, in order.
  std::span<const std::uint8_t> tags() const { return m_tags; }

 private:
  // Appends bytes of a tag: to the file when one is open, else to tags_.
  void out(std::span<const std::uint8_t> bytes);
  // The header with FileLength and FrameCount left 0, and where FrameCount lies in it.
  std::vector<std::uint8_t> header() const;

  SwfRect m_frameSize;
  MovieFormat m_format;
  std::uint16_t m_frameCount = 0;
  std::vector<std::uint8_t> m_tags;
  std::size_t m_headerBytes = 0;
  MovieOutput m_output;
};

}  // namespace swf
