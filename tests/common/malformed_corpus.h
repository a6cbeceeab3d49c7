#pragma once

// Every file of tests/data/malformed/ (the GIFs made by scripts/make-test-gifs.py), with the
// error its decoder must refuse it with; what each file holds is in its name. None: damaged, but
// loads by design.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "image/image_error.h"

namespace testutil {

struct MalformedFile {
  const char* path;  // below tests/data/malformed/
  image::ImageError error;
};

inline const std::vector<MalformedFile>& malformedCorpus() {
  using image::ImageError;
  static const std::vector<MalformedFile> kCorpus = {
      {"bmp/truncated_header.bmp", ImageError::Truncated},
      {"bmp/cut_info_header.bmp", ImageError::Truncated},
      {"bmp/offbits_past_end.bmp", ImageError::Truncated},
      {"bmp/info_header_past_end.bmp", ImageError::Truncated},
      {"bmp/cut_bitfield_masks.bmp", ImageError::Truncated},
      {"bmp/wrong_signature.bmp", ImageError::BadSignature},
      {"bmp/zero_width.bmp", ImageError::BadDimensions},
      {"bmp/negative_height.bmp", ImageError::BadDimensions},
      {"bmp/huge_width.bmp", ImageError::TooLarge},
      {"bmp/overflowing_dims.bmp", ImageError::TooLarge},
      {"bmp/depth_2.bmp", ImageError::UnsupportedDepth},
      {"bmp/rle8_compression.bmp", ImageError::UnsupportedDepth},
      {"bmp/core_header.bmp", ImageError::Corrupt},
      {"bmp/truncated_pixels.bmp", ImageError::None},
      {"tga/truncated_header.tga", ImageError::Truncated},
      {"tga/header_only.tga", ImageError::Truncated},
      {"tga/colour_map_cut.tga", ImageError::Truncated},
      {"tga/id_past_end.tga", ImageError::Truncated},
      {"tga/truncated_pixels.tga", ImageError::Truncated},
      {"tga/rle_truncated.tga", ImageError::Truncated},
      {"tga/rle_missing_rows.tga", ImageError::Truncated},
      {"tga/zero_width.tga", ImageError::BadDimensions},
      {"tga/huge_dims.tga", ImageError::TooLarge},
      {"tga/depth_4.tga", ImageError::UnsupportedDepth},
      {"tga/depth_0.tga", ImageError::UnsupportedDepth},
      {"tga/colour_map_past_256.tga", ImageError::BadPalette},
      {"tga/colour_map_16bit_entries.tga", ImageError::BadPalette},
      {"tga/rle_packet_overrun.tga", ImageError::None},
      {"ico/truncated_directory.ico", ImageError::Truncated},
      {"ico/entry_offset_past_end.ico", ImageError::Truncated},
      {"ico/entry_size_past_end.ico", ImageError::Truncated},
      {"ico/entry_size_wraps.ico", ImageError::Truncated},
      {"ico/dib_colour_rows_cut.ico", ImageError::Truncated},
      {"ico/png_entry_cut.ico", ImageError::Truncated},
      {"ico/cursor_type_3.ico", ImageError::BadSignature},
      {"ico/dib_huge_width.ico", ImageError::TooLarge},
      {"ico/dib_core_header.ico", ImageError::UnsupportedDepth},
      {"ico/dib_palette_300.ico", ImageError::BadPalette},
      {"ico/zero_entries.ico", ImageError::NoFrames},
      {"gif/bad_signature.gif", ImageError::BadSignature},
      {"gif/not_gif.gif", ImageError::BadSignature},
      {"gif/only_signature.gif", ImageError::Truncated},
      {"gif/zero_width.gif", ImageError::BadDimensions},
      {"gif/zero_height.gif", ImageError::BadDimensions},
      {"gif/huge_screen.gif", ImageError::TooLarge},
      {"gif/huge_frame.gif", ImageError::TooLarge},
      {"gif/min_code_size_0.gif", ImageError::Corrupt},
      {"gif/min_code_size_9.gif", ImageError::Corrupt},
      {"gif/min_code_size_12.gif", ImageError::Corrupt},
      {"gif/code_out_of_range.gif", ImageError::Corrupt},
      {"gif/code_undefined_first.gif", ImageError::Corrupt},
      {"gif/code_out_of_range_second_frame.gif", ImageError::Corrupt},
      {"gif/trailer_only.gif", ImageError::NoFrames},
      {"gif/unknown_block.gif", ImageError::Corrupt},
      {"gif/cut_in_global_table.gif", ImageError::Truncated},
      {"gif/cut_in_descriptor.gif", ImageError::Truncated},
      {"gif/cut_in_lzw_data.gif", ImageError::Truncated},
      {"gif/cut_before_terminator.gif", ImageError::Truncated},
      {"gif/fuzz_offscreen_previous.gif", ImageError::None},
  };
  return kCorpus;
}

// The rows of one decoder's folder ("bmp", "gif", ...).
inline std::vector<MalformedFile> malformedFiles(std::string_view decoder) {
  std::vector<MalformedFile> rows;
  for (const MalformedFile& row : malformedCorpus()) {
    if (std::string_view(row.path).starts_with(std::string(decoder) + "/")) rows.push_back(row);
  }
  return rows;
}

inline void PrintTo(const MalformedFile& file, std::ostream* out) { *out << file.path; }

inline std::string malformedPath(const MalformedFile& file) {
  return std::string(QUORVEX_TEST_DATA_DIR) + "/malformed/" + file.path;
}

}  // namespace testutil
