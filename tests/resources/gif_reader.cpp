#include "gif_reader.h"

#include <algorithm>
#include <utility>

namespace pictolumen::testing {
namespace {

class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}

  std::uint8_t Byte() {
    if (pos_ >= data_.size()) throw std::runtime_error("GIF ends early");
    return static_cast<std::uint8_t>(data_[pos_++]);
  }
  int Word() {
    const int low = Byte();
    return low | (Byte() << 8);
  }
  std::string_view Take(std::size_t n) {
    if (data_.size() - pos_ < n) throw std::runtime_error("GIF ends early");
    const std::string_view part = data_.substr(pos_, n);
    pos_ += n;
    return part;
  }
  // The data sub-blocks that follow, joined: each is a length byte and that many bytes, the
  // last has length 0.
  std::string SubBlocks() {
    std::string joined;
    while (const std::uint8_t n = Byte()) joined += Take(n);
    return joined;
  }
  bool AtEnd() const { return pos_ == data_.size(); }

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

std::vector<std::array<std::uint8_t, 3>> ReadPalette(Bytes& in, int packed) {
  std::vector<std::array<std::uint8_t, 3>> palette(std::size_t{2} << (packed & 7));
  for (auto& colour : palette) colour = {in.Byte(), in.Byte(), in.Byte()};
  return palette;
}

// Variable-length LZW of GIF: codes are read least significant bit first, start one bit wider
// than `min_code_size` and grow with the dictionary up to 12 bits.
std::vector<std::uint8_t> DecodeLzw(std::string_view data, int min_code_size, std::size_t limit) {
  if (min_code_size < 2 || min_code_size > 8) throw std::runtime_error("bad LZW code size");
  const int clear = 1 << min_code_size;
  const int end = clear + 1;
  struct Entry {
    int prefix;
    std::uint8_t suffix;
    std::uint8_t first;
  };
  std::vector<Entry> table;
  for (int i = 0; i < clear + 2; ++i) {
    table.push_back({-1, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i)});
  }
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> run;
  auto emit = [&](int code) {
    run.clear();
    for (int c = code; c >= 0; c = table[c].prefix) run.push_back(table[c].suffix);
    out.insert(out.end(), run.rbegin(), run.rend());
    if (out.size() > limit) throw std::runtime_error("too many pixels");
  };
  int width = min_code_size + 1;
  int previous = -1;
  std::size_t bit = 0;
  while (true) {
    if (bit + width > data.size() * 8) throw std::runtime_error("LZW data without end code");
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit) {
      code |= ((static_cast<std::uint8_t>(data[bit / 8]) >> (bit % 8)) & 1) << i;
    }
    if (code == clear) {
      table.resize(clear + 2);
      width = min_code_size + 1;
      previous = -1;
      continue;
    }
    if (code == end) break;
    const int next = static_cast<int>(table.size());
    if (code > next || (code == next && previous < 0)) {
      throw std::runtime_error("bad LZW code");
    }
    if (previous >= 0 && next < 4096) {
      const std::uint8_t first = code < next ? table[code].first : table[previous].first;
      table.push_back({previous, first, table[previous].first});
    }
    emit(code);
    previous = code;
    if (static_cast<int>(table.size()) == (1 << width) && width < 12) ++width;
  }
  return out;
}

// Rows of an interlaced image come in four passes: every 8th from 0, every 8th from 4, every
// 4th from 2, every 2nd from 1.
std::vector<std::uint8_t> Deinterlace(const std::vector<std::uint8_t>& rows, int width,
                                      int height) {
  std::vector<std::uint8_t> ordered(rows.size());
  const std::pair<int, int> passes[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
  std::size_t from = 0;
  for (const auto& [start, step] : passes) {
    for (int y = start; y < height; y += step, from += width) {
      std::copy_n(rows.begin() + from, width, ordered.begin() + std::size_t(y) * width);
    }
  }
  return ordered;
}

}  // namespace

GifPicture ReadGif(std::string_view data) {
  Bytes in(data);
  GifPicture picture;
  picture.version = std::string(in.Take(6));
  if (picture.version != "GIF87a" && picture.version != "GIF89a") {
    throw std::runtime_error("not a GIF");
  }
  picture.width = in.Word();
  picture.height = in.Word();
  const int screen_flags = in.Byte();
  in.Take(2);  // background colour, aspect ratio
  if (screen_flags & 0x80) picture.palette = ReadPalette(in, screen_flags);
  bool have_image = false;
  while (true) {
    const std::uint8_t introducer = in.Byte();
    if (introducer == 0x3B) break;
    if (introducer == 0x21) {
      const std::uint8_t label = in.Byte();
      const std::string body = in.SubBlocks();
      if (label == 0xF9) {
        if (body.size() != 4) throw std::runtime_error("bad graphic control block");
        if (body[0] & 1) picture.transparent = static_cast<std::uint8_t>(body[3]);
      }
      continue;
    }
    if (introducer != 0x2C || have_image) throw std::runtime_error("unexpected block");
    have_image = true;
    const int left = in.Word(), top = in.Word(), width = in.Word(), height = in.Word();
    if (left != 0 || top != 0 || width != picture.width || height != picture.height) {
      throw std::runtime_error("image does not cover the screen");
    }
    const int image_flags = in.Byte();
    if (image_flags & 0x80) picture.palette = ReadPalette(in, image_flags);
    const int min_code_size = in.Byte();
    const std::size_t count = std::size_t(width) * height;
    picture.indices = DecodeLzw(in.SubBlocks(), min_code_size, count);
    if (picture.indices.size() != count) throw std::runtime_error("too few pixels");
    if (image_flags & 0x40) picture.indices = Deinterlace(picture.indices, width, height);
  }
  if (!have_image) throw std::runtime_error("no image");
  if (!in.AtEnd()) throw std::runtime_error("data after the trailer");
  for (const std::uint8_t index : picture.indices) {
    if (index >= picture.palette.size()) throw std::runtime_error("index outside the palette");
  }
  return picture;
}

}  // namespace pictolumen::testing
