#pragma once

#include <tiffio.h>

#include <cstdint>
#include <span>
#include <vector>

namespace image {

// A TIFF opened by libtiff over bytes in memory instead of a file: for reading over `input`,
// or for writing into `output` (which grows as libtiff writes and seeks). libtiff's messages
// are kept per handle rather than printed; Failed() tells whether it reported an error.
// The handle is closed on destruction.
class TiffMemory {
 public:
  // Opens `input` for reading; Get() is null when libtiff rejects the data.
  explicit TiffMemory(std::span<const uint8_t> input);
  // Opens an empty TIFF for writing into `output`, whose contents are replaced.
  explicit TiffMemory(std::vector<uint8_t>& output);
  TiffMemory(const TiffMemory&) = delete;
  TiffMemory& operator=(const TiffMemory&) = delete;
  ~TiffMemory();

  TIFF* get() const;
  // True once libtiff has reported an error on this handle.
  bool failed() const;
  // True when growing the output ran out of memory.
  bool outOfMemory() const;

  // The stream state libtiff's procedures work on; public for those procedures only.
  struct Stream {
    std::span<const uint8_t> input;
    std::vector<uint8_t>* output = nullptr;
    uint64_t position = 0;
    bool failed = false;
    bool outOfMemory = false;
  };

 private:
  void open(const char* mode);

  Stream m_stream;
  TIFF* m_tiff = nullptr;
};

}  // namespace image
