// A small, strict GIF reader for checking the emoji pictures: it walks every block of the file
// and decodes the LZW image data, so that a truncated, malformed or empty picture is caught.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pictolumen::testing {

struct GifPicture {
  std::string version;  // "GIF87a" or "GIF89a"
  int width = 0;
  int height = 0;
  std::vector<std::array<std::uint8_t, 3>> palette;
  int transparent = -1;               // palette index shown as transparent, -1 for none
  std::vector<std::uint8_t> indices;  // width * height palette indices, top row first
};

// Reads a GIF holding exactly one image that covers the logical screen. Raises
// std::runtime_error for anything else: a bad signature, a block running past the end, bad LZW
// codes, too few or too many pixels, an index outside the palette, data after the trailer.
GifPicture ReadGif(std::string_view data);

}  // namespace pictolumen::testing
