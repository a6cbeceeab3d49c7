#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "image/image_buffer.h"
#include "image/image_error.h"
#include "image/image_options.h"
#include "image/image_sequence.h"

namespace image {

// Base of every file-format codec. The public operations are non-virtual: they check their
// arguments, decode into a temporary sequence and hand frames over only when the whole decode
// succeeded, turn allocation failures into OutOfMemory, and make sure every failure carries an
// error code. Concrete codecs override the private On... operations.
//
// A codec is used by one thread at a time and lives for one or a few calls.
class ImageCodec {
 public:
  ImageCodec() = default;
  ImageCodec(const ImageCodec&) = delete;
  ImageCodec& operator=(const ImageCodec&) = delete;
  virtual ~ImageCodec();

  // Decodes the file at `path` and appends its frames to `frames`. Fails, `frames` unchanged,
  // when the file cannot be opened or read (FileOpen, FileRead, with the path and the system's
  // reason), is empty (Truncated) or does not decode (the codec's error).
  ImageResult LoadFile(const std::string& path, ImageSequence& frames);

  // Decodes `bytes` and appends its frames to `frames`. Fails, `frames` unchanged, for empty
  // data (Truncated), a codec that cannot decode (NoCodec) or data that does not decode.
  ImageResult LoadMemory(std::span<const uint8_t> bytes, ImageSequence& frames);

  // Writes images[0] to `path` (further images are ignored by single-picture formats). The
  // file appears only when the whole write succeeded: it is written beside the target under a
  // temporary name and renamed. Fails, no file created, when the list is empty or its first
  // image is null or invalid (InvalidImage), the codec cannot encode (NoCodec, or its own
  // error) or the file cannot be written (FileOpen, FileWrite); the message is "cannot write
  // <path>: <reason>", for a file error the system's reason.
  ImageResult Save(const std::string& path, const std::vector<const ImageBuffer*>& images,
                   const ImageOptions& options);

  // Encodes images[0] into `out` (replacing its contents) exactly as Save would write it.
  // Fails, `out` unchanged, with the same errors as Save apart from the file ones.
  ImageResult saveMemory(const std::vector<const ImageBuffer*>& images, const ImageOptions& options,
                         std::vector<uint8_t>& out);

 private:
  // Reads the whole file and calls OnLoadMemory. Codecs whose library reads files itself
  // override it. `decoded` is empty on entry.
  virtual ImageResult OnLoadFile(const std::string& path, ImageSequence& decoded);
  // Decodes `bytes` (never empty) into `decoded`. The default cannot decode (NoCodec).
  virtual ImageResult OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded);
  // Writes `picture` (valid) to `path` without leaving a partial file. The default encodes
  // with OnEncode and writes the bytes through a temporary file.
  virtual ImageResult OnSave(const std::string& path, const ImageBuffer& picture,
                             const ImageOptions& options);
  // Encodes `picture` (valid) into `out` (empty on entry). The default cannot encode
  // (NoCodec).
  virtual ImageResult OnEncode(const ImageBuffer& picture, const ImageOptions& options,
                               std::vector<uint8_t>& out);

  // Runs `operation` and returns its result; an allocation failure inside it gives
  // OutOfMemory.
  static ImageResult guarded(const std::function<ImageResult()>& operation);
  static ImageResult finishLoad(ImageResult decoded, ImageSequence& decodedFrames,
                                ImageSequence& frames);
};

}  // namespace image
