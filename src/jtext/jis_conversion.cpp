#include "jtext/jis_conversion.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/platform.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pictolumen {
namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kEucKanaPrefix = 0x8E;
constexpr unsigned char kDakuten = 0xDE;
constexpr unsigned char kHandakuten = 0xDF;
constexpr BytePair kGetaMark{0x22, 0x2E};
constexpr std::string_view kEnterTwoByte = "\x1b$B";
constexpr std::string_view kEnterSingleByte = "\x1b(J";

// JIS X 0208 codes of the half-width katakana 0xA1 to 0xDF, row byte then cell byte.
constexpr std::array<std::uint16_t, 63> kHalfWidthKana = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126,                                  // A1-A5
    0x2572, 0x2521, 0x2523, 0x2525, 0x2527, 0x2529, 0x2563, 0x2565, 0x2567,  // A6-AE
    0x2543,                                                                  // AF
    0x213C,                                                                  // B0
    0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B, 0x252D, 0x252F, 0x2531,  // B1-B9
    0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D,                          // BA-BF
    0x253F, 0x2541, 0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C, 0x254D,  // C0-C8
    0x254E, 0x254F, 0x2552, 0x2555, 0x2558, 0x255B, 0x255E,                  // C9-CF
    0x255F, 0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569, 0x256A,  // D0-D8
    0x256B, 0x256C, 0x256D, 0x256F, 0x2573,                                  // D9-DD
    0x212B, 0x212C,                                                          // DE-DF
};

unsigned char At(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]);
}

void Append(std::string& output, unsigned char byte) {
  output.push_back(static_cast<char>(byte));
}

void Append(std::string& output, BytePair pair) {
  Append(output, pair.first);
  Append(output, pair.second);
}

bool IsHalfWidthKana(unsigned char byte) {
  return byte >= 0xA1 && byte <= 0xDF;
}

// The full-width code of half-width katakana `kana`, with the voicing mark `mark` (0 for none)
// folded in where the full-width kana has the voiced form. Sets `folded` when it was.
BytePair HalfWidthKanaToJis(unsigned char kana, unsigned char mark, bool& folded) {
  const std::uint16_t code = kHalfWidthKana[kana - 0xA1];
  BytePair pair{static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code & 0xFF)};
  folded = false;
  if (mark == kDakuten) {
    if (kana == 0xB3) {
      pair = {0x25, 0x74};
      folded = true;
    } else if ((kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE)) {
      pair.second = static_cast<unsigned char>(pair.second + 1);
      folded = true;
    }
  } else if (mark == kHandakuten && kana >= 0xCA && kana <= 0xCE) {
    pair.second = static_cast<unsigned char>(pair.second + 2);
    folded = true;
  }
  return pair;
}

// Walks a 7-bit JIS text, following its escape sequences, and hands every byte of a
// single-byte run to `single` and every position in a two-byte run to `two_byte`, which
// returns how many bytes it consumed.
template <typename Single, typename TwoByte>
void WalkJis(std::string_view text, Single single, TwoByte two_byte) {
  bool two_byte_mode = false;
  std::size_t i = 0;
  while (i < text.size()) {
    if (At(text, i) == kEsc) {
      if (i + 2 >= text.size()) return;  // a sequence cut short ends the text
      if (text[i + 1] == '$') two_byte_mode = true;
      if (text[i + 1] == '(') two_byte_mode = false;
      i += 3;
    } else if (two_byte_mode) {
      i += two_byte(i);
    } else {
      single(At(text, i));
      ++i;
    }
  }
}

// Tracks the mode of a JIS text being written and emits the escape sequences between runs.
class JisWriter {
 public:
  explicit JisWriter(std::string& output) : output_(output) {}

  void SingleByte(unsigned char byte) {
    if (two_byte_mode_) {
      output_.append(kEnterSingleByte);
      two_byte_mode_ = false;
    }
    Append(output_, byte);
  }

  void EnterTwoByte() {
    if (!two_byte_mode_) {
      output_.append(kEnterTwoByte);
      two_byte_mode_ = true;
    }
  }

 private:
  std::string& output_;
  bool two_byte_mode_ = false;
};

}  // namespace

BytePair SjisPairToJis(unsigned char s1, unsigned char s2) {
  const unsigned base = s1 < 0xA0 ? 0x70 : 0xB0;
  auto j1 = static_cast<unsigned char>(2 * (s1 - base));
  unsigned char j2;
  if (s2 < 0x9F) {
    j1 = static_cast<unsigned char>(j1 - 1);
    j2 = static_cast<unsigned char>(s2 <= 0x7F ? s2 - 0x1F : s2 - 0x20);
  } else {
    j2 = static_cast<unsigned char>(s2 - 0x7E);
  }
  return {j1, j2};
}

BytePair EucKanaToJis(std::string_view text, std::size_t& position) {
  if (position + 1 >= text.size() || !IsHalfWidthKana(At(text, position + 1))) {
    position = position < text.size() ? position + 1 : position;
    return kGetaMark;
  }
  const unsigned char kana = At(text, position + 1);
  position += 2;
  const bool mark_follows = position + 1 < text.size() && At(text, position) == kEucKanaPrefix;
  bool folded = false;
  const BytePair pair = HalfWidthKanaToJis(kana, mark_follows ? At(text, position + 1) : 0, folded);
  if (folded) position += 2;
  return pair;
}

BytePair SjisKanaToJis(std::string_view text, std::size_t& position) {
  if (position >= text.size()) return kGetaMark;
  const unsigned char kana = At(text, position);
  ++position;
  if (!IsHalfWidthKana(kana)) return kGetaMark;
  bool folded = false;
  const BytePair pair =
      HalfWidthKanaToJis(kana, position < text.size() ? At(text, position) : 0, folded);
  if (folded) ++position;
  return pair;
}

namespace {

// JisPairToSjis as two look-ups: the first byte follows from j1, the second from j2 and whether
// j1 is odd. A text mixes both kinds of first byte, so the branches of the computation would be
// hard to predict.
constexpr auto kSjisFirstOf = [] {
  std::array<unsigned char, 256> first{};
  for (unsigned j1 = 0; j1 < 256; ++j1) {
    first[j1] = JisPairToSjis(static_cast<unsigned char>(j1), 0).first;
  }
  return first;
}();
constexpr auto kSjisSecondOf = [] {
  std::array<std::array<unsigned char, 256>, 2> second{};
  for (unsigned odd = 0; odd < 2; ++odd) {
    for (unsigned j2 = 0; j2 < 256; ++j2) {
      second[odd][j2] =
          JisPairToSjis(static_cast<unsigned char>(odd), static_cast<unsigned char>(j2)).second;
    }
  }
  return second;
}();

#if defined(__SSE2__)
// Sixteen bytes at `in` converted as eight JIS pairs to Shift_JIS into `out` (by the arithmetic
// of JisPairToSjis, which is what the tables hold for bytes 0x21-0x7E); returns how many of
// them were converted: up to the first byte outside 0x21-0x7E (an escape byte, a line break, an
// eight-bit byte), rounded down to whole pairs. All sixteen are written; bytes past the count are
// junk the caller overwrites.
std::size_t ConvertPairBlock(const char* in, char* out) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  // Bytes of 0x80 and above are negative when compared as signed, so below 0x21 too.
  const __m128i graphic = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x20)),
                                        _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x7F)));
  const auto outside = static_cast<unsigned>(~_mm_movemask_epi8(graphic)) & 0xFFFFu;
  // Each 16-bit lane holds a pair: j1 in its low byte, j2 in its high byte.
  const __m128i one = _mm_set1_epi16(1);
  const __m128i j1 = _mm_and_si128(bytes, _mm_set1_epi16(0x00FF));
  const __m128i j2 = _mm_srli_epi16(bytes, 8);
  // s1 = (j1 + 1) / 2 + 0x70, or + 0xB0 from row 0x5F on.
  const __m128i s1 =
      _mm_add_epi16(_mm_add_epi16(_mm_srli_epi16(_mm_add_epi16(j1, one), 1), _mm_set1_epi16(0x70)),
                    _mm_and_si128(_mm_cmpgt_epi16(j1, _mm_set1_epi16(0x5E)), _mm_set1_epi16(0x40)));
  // s2 = j2 + 0x1F (+ 1 from 0x60 on) after an odd j1, j2 + 0x7E after an even one.
  const __m128i odd = _mm_cmpeq_epi16(_mm_and_si128(j1, one), one);
  const __m128i after_odd = _mm_sub_epi16(_mm_add_epi16(j2, _mm_set1_epi16(0x1F)),
                                          _mm_cmpgt_epi16(j2, _mm_set1_epi16(0x5F)));
  const __m128i after_even = _mm_add_epi16(j2, _mm_set1_epi16(0x7E));
  const __m128i s2 = _mm_or_si128(_mm_and_si128(odd, after_odd), _mm_andnot_si128(odd, after_even));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(s1, _mm_slli_epi16(s2, 8)));
  return outside == 0 ? 16 : static_cast<std::size_t>(std::countr_zero(outside)) & ~std::size_t{1};
}

// How many of the sixteen bytes at `in` come before the first escape byte (16 for none); all
// sixteen are copied to `out`.
std::size_t CopyToEscape(const char* in, char* out) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
  const auto escapes = static_cast<unsigned>(
      _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(kEsc)))));
  return escapes == 0 ? 16 : static_cast<std::size_t>(std::countr_zero(escapes));
}
#endif

}  // namespace

std::string JisToSjis(std::string_view text) {
  // Every byte read gives at most one byte written (escape sequences none), so the output is
  // sized once and written through a pointer that never passes the reading position: sixteen
  // bytes written at once from there stay inside the output. This is WalkJis with whole runs at
  // a time: a single-byte run is copied up to the next escape byte, a two-byte run is converted
  // pair by pair until an escape byte starts a pair, sixteen bytes at a time where the compiler
  // targets SSE2.
  std::string output = platform::LargeText(text.size());
  output.resize(text.size());
  char* const start = output.data();
  char* out = start;
  const char* const bytes = text.data();
  const std::size_t size = text.size();
  bool two_byte_mode = false;
  bool kana_mode = false;  // ESC ( I: the bytes 0x21-0x5F are half-width katakana
  std::size_t i = 0;
  while (i < size) {
    if (At(text, i) == kEsc) {
      if (i + 2 >= size) break;  // a sequence cut short ends the text
      if (bytes[i + 1] == '$') two_byte_mode = true;
      if (bytes[i + 1] == '(') two_byte_mode = false;
      kana_mode = bytes[i + 1] == '(' && bytes[i + 2] == 'I';
      i += 3;
    } else if (kana_mode) {
      for (; i < size && At(text, i) != kEsc; ++i) {
        const unsigned char byte = At(text, i);
        *out++ = static_cast<char>(byte >= 0x21 && byte <= 0x5F ? byte | 0x80 : byte);
      }
    } else if (!two_byte_mode) {
#if defined(__SSE2__)
      std::size_t copied = 16;
      while (copied == 16 && i + 16 <= size) {
        copied = CopyToEscape(bytes + i, out);
        out += copied;
        i += copied;
      }
      if (copied < 16) continue;
#endif
      while (i < size && At(text, i) != kEsc) *out++ = bytes[i++];
    } else {
      while (i + 1 < size && At(text, i) != kEsc) {
#if defined(__SSE2__)
        if (i + 16 <= size) {
          const std::size_t converted = ConvertPairBlock(bytes + i, out);
          out += converted;
          i += converted;
          if (converted == 16) continue;
          if (At(text, i) == kEsc) break;
        }
#endif
        // A pair with a byte outside the graphic range goes through the tables.
        const unsigned char j1 = At(text, i);
        out[0] = static_cast<char>(kSjisFirstOf[j1]);
        out[1] = static_cast<char>(kSjisSecondOf[j1 & 1][At(text, i + 1)]);
        out += 2;
        i += 2;
      }
      // A last byte alone is kept as it is.
      if (i + 1 == size && At(text, i) != kEsc) *out++ = bytes[i++];
    }
  }
  output.resize(static_cast<std::size_t>(out - start));
  return output;
}

std::string JisToEuc(std::string_view text) {
  std::string output;
  output.reserve(text.size());
  WalkJis(
      text, [&](unsigned char byte) { Append(output, byte); },
      [&](std::size_t i) -> std::size_t {
        const unsigned char byte = At(text, i);
        Append(output,
               byte >= 0x21 && byte <= 0x7E ? static_cast<unsigned char>(byte | 0x80) : byte);
        return 1;
      });
  return output;
}

std::string EucToJis(std::string_view text) {
  std::string output;
  output.reserve(text.size() + text.size() / 4);
  JisWriter writer(output);
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char byte = At(text, i);
    if (byte < 0x80) {
      writer.SingleByte(byte);
      ++i;
      continue;
    }
    writer.EnterTwoByte();
    if (i + 1 >= text.size()) {
      Append(output, byte);
      ++i;
    } else if (byte == kEucKanaPrefix) {
      Append(output, EucKanaToJis(text, i));
    } else {
      Append(output, static_cast<unsigned char>(byte & 0x7F));
      Append(output, static_cast<unsigned char>(At(text, i + 1) & 0x7F));
      i += 2;
    }
  }
  return output;
}

std::string SjisToJis(std::string_view text) {
  std::string output;
  output.reserve(text.size() + text.size() / 4);
  JisWriter writer(output);
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char byte = At(text, i);
    if (byte < 0x80) {
      writer.SingleByte(byte);
      ++i;
      continue;
    }
    writer.EnterTwoByte();
    if (IsHalfWidthKana(byte)) {
      Append(output, SjisKanaToJis(text, i));
    } else if (i + 1 >= text.size()) {
      Append(output, byte);
      ++i;
    } else {
      Append(output, SjisPairToJis(byte, At(text, i + 1)));
      i += 2;
    }
  }
  return output;
}

std::string EucToSjis(std::string_view text) {
  std::string output;
  output.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char byte = At(text, i);
    if (byte <= 0x80 || byte == 0xFF || i + 1 >= text.size()) {
      Append(output, byte);
      ++i;
    } else if (byte == kEucKanaPrefix) {
      Append(output, At(text, i + 1));
      i += 2;
    } else {
      Append(output, JisPairToSjis(byte & 0x7F, At(text, i + 1) & 0x7F));
      i += 2;
    }
  }
  return output;
}

std::string SjisToEuc(std::string_view text) {
  std::string output;
  output.reserve(text.size() + text.size() / 4);
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char byte = At(text, i);
    if (IsHalfWidthKana(byte)) {
      Append(output, kEucKanaPrefix);
      Append(output, byte);
      ++i;
    } else if (byte <= 0x7F || i + 1 >= text.size()) {
      Append(output, byte);
      ++i;
    } else {
      const BytePair jis = SjisPairToJis(byte, At(text, i + 1));
      Append(output, static_cast<unsigned char>(jis.first | 0x80));
      Append(output, static_cast<unsigned char>(jis.second | 0x80));
      i += 2;
    }
  }
  return output;
}

std::string ConvertCode(std::string_view text, int source, int target) {
  if (source <= 1 || source == target || source == 6) return std::string(text);
  if (target != jcJIS && target != jcEUC && target != jcSJIS) return std::string(text);
  switch (source) {
    case jcJIS:
    case jcJISAlt:
      if (target == jcEUC) return JisToEuc(text);
      if (target == jcSJIS) return JisToSjis(text);
      return std::string(text);
    case jcEUC:
      return target == jcJIS ? EucToJis(text) : EucToSjis(text);
    case jcSJIS:
      return target == jcJIS ? SjisToJis(text) : SjisToEuc(text);
    default:
      return {};
  }
}

}  // namespace pictolumen
