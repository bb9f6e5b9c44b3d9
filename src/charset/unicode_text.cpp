// Built-in decoding into code points, code page 932 both ways, and UTF-8 written from code points.
#include "charset/unicode_text.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "charset/charset_conversion.h"
#include "charset/cp932_table.h"
#include "charset/upper_half_tables.h"
#include "common/text.h"
#include "jtext/jis_conversion.h"

namespace pictolumen {
namespace {

constexpr char32_t kByteOrderMark = 0xFEFF;

bool IsScalarValue(char32_t value) {
  return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

unsigned ByteAt(std::string_view bytes, std::size_t i) {
  return static_cast<std::uint8_t>(bytes[i]);
}

// Index of a code page 932 trail byte (0x40-0x7E, 0x80-0xFC) in a row of 188; -1 for others.
int TrailIndex(unsigned trail) {
  if (trail >= 0x40 && trail <= 0x7E) return static_cast<int>(trail - 0x40);
  if (trail >= 0x80 && trail <= 0xFC) return static_cast<int>(trail - 0x41);
  return -1;
}

// The half-width katakana U+FF61-U+FF9F are the bytes A1-DF of code page 932, and the bytes
// 21-5F of JIS X 0201 katakana (ESC ( I).
constexpr char32_t kFirstHalfWidthKana = 0xFF61;
constexpr char32_t kLastHalfWidthKana = 0xFF9F;

// The user-defined area: the lead bytes F0-F9 of code page 932, 188 codes each, are the code
// points from U+E000 on; the JIS rows 0x75-0x7E, 94 each, the first 940 of them.
constexpr unsigned kFirstUserLead = 0xF0;
constexpr unsigned kLastUserLead = 0xF9;
constexpr char32_t kFirstUserDefined = 0xE000;
constexpr char32_t kLastUserDefined = 0xE757;

// The code point of the JIS X 0208 row and column bytes j1 j2 (0x21-0x7E), as Windows reads
// them: through the Shift_JIS code of the same place, except in the rows 0x75-0x7E.
char32_t UnicodeFromJisPair(unsigned j1, unsigned j2) {
  if (j1 >= 0x75) return kFirstUserDefined + (j1 - 0x75) * 94 + (j2 - 0x21);
  const BytePair sjis =
      JisPairToSjis(static_cast<unsigned char>(j1), static_cast<unsigned char>(j2));
  return UnicodeFromCp932(static_cast<unsigned>(sjis.first) << 8 | sjis.second);
}

void DecodeUtf8(std::string_view bytes, std::u32string& out, bool text_start = true) {
  // No byte gives more than one code point: the output is sized once and written through a
  // pointer, which a large text needs to be read quickly.
  const std::size_t start = out.size();
  out.resize(start + bytes.size());
  char32_t* o = out.data() + start;
  std::size_t i = text_start && bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  while (i < bytes.size()) {
    const unsigned lead = ByteAt(bytes, i++);
    if (lead < 0x80) {
      *o++ = static_cast<char32_t>(lead);
      continue;
    }
    // Most characters of Japanese text take three bytes, after a lead byte that puts no limit
    // on the next: they are read at once.
    if (lead >= 0xE1 && lead <= 0xEF && lead != 0xED && i + 1 < bytes.size()) {
      const unsigned second = ByteAt(bytes, i), third = ByteAt(bytes, i + 1);
      if ((second & 0xC0) == 0x80 && (third & 0xC0) == 0x80) {
        *o++ = (lead & 0x0F) << 12 | (second & 0x3F) << 6 | (third & 0x3F);
        i += 2;
        continue;
      }
    }
    // The bytes still needed, the payload so far, and the range the next byte must lie in:
    // narrower after E0 (no overlong form), ED (no surrogate), F0 (overlong) and F4 (above
    // U+10FFFF), 80-BF otherwise.
    int needed = 0;
    char32_t value = 0;
    unsigned lower = 0x80;
    unsigned upper = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      needed = 1;
      value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      needed = 2;
      value = lead & 0x0F;
      if (lead == 0xE0) lower = 0xA0;
      if (lead == 0xED) upper = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      needed = 3;
      value = lead & 0x07;
      if (lead == 0xF0) lower = 0x90;
      if (lead == 0xF4) upper = 0x8F;
    } else {
      *o++ = kReplacementCharacter;
      continue;
    }
    // A byte out of range ends the maximal subpart and is read again.
    for (; needed > 0 && i < bytes.size(); --needed) {
      const unsigned next = ByteAt(bytes, i);
      if (next < lower || next > upper) break;
      value = value << 6 | (next & 0x3F);
      ++i;
      lower = 0x80;
      upper = 0xBF;
    }
    *o++ = needed == 0 ? value : kReplacementCharacter;
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
}

char32_t ReadUnit(std::string_view bytes, std::size_t& position, int width, bool little_endian) {
  const CodeUnit unit = ReadCodeUnit(bytes, position, width, little_endian);
  return char32_t{unit.b4} << 24 | char32_t{unit.b3} << 16 | char32_t{unit.b2} << 8 | unit.b1;
}

// UTF-16 (`width` 2) or UTF-32 (4) in the given byte order; with `order_marked` a leading byte
// order mark of the other order switches to it.
void DecodeWideUnits(std::string_view bytes, int width, bool little_endian, bool order_marked,
                     std::u32string& out) {
  const auto starts_with_mark = [&](bool order) {
    std::size_t first = 1;
    return ReadUnit(bytes, first, width, order) == kByteOrderMark;
  };
  // Positions are 1-based, as ReadCodeUnit counts them.
  std::size_t position = 1;
  if (starts_with_mark(little_endian)) {
    position += width;
  } else if (order_marked && starts_with_mark(!little_endian)) {
    little_endian = !little_endian;
    position += width;
  }
  const auto whole_unit_left = [&](std::size_t at) { return at - 1 + width <= bytes.size(); };
  while (whole_unit_left(position)) {
    char32_t value = ReadUnit(bytes, position, width, little_endian);
    if (width == 2 && value >= 0xD800 && value <= 0xDBFF && whole_unit_left(position)) {
      std::size_t after = position;
      const char32_t low = ReadUnit(bytes, after, width, little_endian);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        value = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
        position = after;
      }
    }
    out += IsScalarValue(value) ? value : kReplacementCharacter;
  }
  if (position - 1 < bytes.size()) out += kReplacementCharacter;
}

void DecodeSingleByte(std::string_view bytes, const std::array<char16_t, 128>& upper_half,
                      std::u32string& out) {
  for (const char c : bytes) {
    const auto byte = static_cast<std::uint8_t>(c);
    out += byte < 0x80 ? byte : upper_half[byte - 0x80];
  }
}

void DecodeShiftJis(std::string_view bytes, std::u32string& out) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned byte = ByteAt(bytes, i++);
    if (!IsSjisLeadByte(static_cast<unsigned char>(byte))) {
      out += UnicodeFromCp932(byte);
      continue;
    }
    if (i == bytes.size()) {
      out += kReplacementCharacter;
      break;
    }
    const unsigned trail = ByteAt(bytes, i);
    const char32_t decoded = UnicodeFromCp932(byte << 8 | trail);
    if (decoded != kReplacementCharacter || trail >= 0x80) ++i;
    out += decoded;
  }
}

void DecodeEucJp(std::string_view bytes, std::u32string& out) {
  const auto is_high = [](unsigned byte) { return byte >= 0xA1 && byte <= 0xFE; };
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned byte = ByteAt(bytes, i++);
    const unsigned next = i < bytes.size() ? ByteAt(bytes, i) : 0;
    if (byte < 0x80) {
      out += static_cast<char32_t>(byte);
    } else if (byte == 0x8E && next >= 0xA1 && next <= 0xDF) {
      out += kFirstHalfWidthKana + (next - 0xA1);
      ++i;
    } else if (byte == 0x8F && is_high(next) && i + 1 < bytes.size() &&
               is_high(ByteAt(bytes, i + 1))) {
      out += kReplacementCharacter;
      i += 2;
    } else if (is_high(byte) && is_high(next)) {
      out += UnicodeFromJisPair(byte - 0x80, next - 0x80);
      ++i;
    } else {
      // The byte after is read again.
      out += kReplacementCharacter;
    }
  }
}

// The sets an ISO-2022-JP text can have switched to (invoked into 0x21-0x7E).
enum class JisMode { kAscii, kKatakana, kJisX0208, kOtherTwoByte };

struct Iso2022JpState {
  JisMode mode = JisMode::kAscii;
  bool shifted_out = false;  // SO: half-width katakana until SI
  // Upper half of the set ESC . designated for ESC N, if it is one with a built-in table.
  const std::array<char16_t, 128>* single_shift_set = nullptr;
};

// Applies the escape sequence `sequence` (its bytes after ESC). Unknown ones change nothing, and
// so do those that designate a two-byte set for other than 0x21-0x7E (ESC $ ) C and the like).
void ApplyEscape(std::string_view sequence, Iso2022JpState& state) {
  if (sequence == "(B" || sequence == "(J") {
    state.mode = JisMode::kAscii;
  } else if (sequence == "(I") {
    state.mode = JisMode::kKatakana;
  } else if (sequence.starts_with('$') && (sequence.size() == 2 || sequence[1] == '(')) {
    const bool jis_x0208 =
        sequence == "$@" || sequence == "$B" || sequence == "$(@" || sequence == "$(B";
    state.mode = jis_x0208 ? JisMode::kJisX0208 : JisMode::kOtherTwoByte;
  } else if (sequence == ".A") {
    state.single_shift_set = &UpperHalfTable(csISO_8859_1);
  } else if (sequence == ".F") {
    state.single_shift_set = &UpperHalfTable(csISO_8859_7);
  } else if (sequence.starts_with('.')) {
    state.single_shift_set = nullptr;
  }
}

void DecodeIso2022Jp(std::string_view bytes, std::u32string& out) {
  const auto is_graphic = [](unsigned byte) { return byte >= 0x21 && byte <= 0x7E; };
  Iso2022JpState state;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned byte = ByteAt(bytes, i++);
    if (byte == 0x1B) {
      // ESC, any bytes 0x20-0x2F, one byte 0x30-0x7E.
      std::size_t end = i;
      while (end < bytes.size() && ByteAt(bytes, end) >= 0x20 && ByteAt(bytes, end) <= 0x2F) ++end;
      if (end == bytes.size() || ByteAt(bytes, end) < 0x30 || ByteAt(bytes, end) > 0x7E) {
        out += kReplacementCharacter;
        continue;
      }
      const std::string_view sequence = bytes.substr(i, end + 1 - i);
      i = end + 1;
      if (sequence != "N") {
        ApplyEscape(sequence, state);
      } else if (i < bytes.size() && ByteAt(bytes, i) >= 0x20 && ByteAt(bytes, i) <= 0x7F) {
        // A single shift: the next byte is one of the upper half of the designated set.
        const unsigned shifted = ByteAt(bytes, i++);
        out += state.single_shift_set ? (*state.single_shift_set)[shifted] : kReplacementCharacter;
      } else {
        out += kReplacementCharacter;
      }
    } else if (byte == 0x0E || byte == 0x0F) {
      state.shifted_out = byte == 0x0E;
    } else if (byte >= 0x80) {
      out += kReplacementCharacter;
    } else if (!is_graphic(byte)) {
      out += static_cast<char32_t>(byte);
    } else if (state.shifted_out || state.mode == JisMode::kKatakana) {
      out += byte <= 0x5F ? kFirstHalfWidthKana + (byte - 0x21) : kReplacementCharacter;
    } else if (state.mode == JisMode::kAscii) {
      out += static_cast<char32_t>(byte);
    } else if (i == bytes.size() || !is_graphic(ByteAt(bytes, i))) {
      // Half a pair; the byte after is read again.
      out += kReplacementCharacter;
    } else {
      const unsigned second = ByteAt(bytes, i++);
      out += state.mode == JisMode::kJisX0208 ? UnicodeFromJisPair(byte, second)
                                              : kReplacementCharacter;
    }
  }
}

}  // namespace

char32_t UnicodeFromCp932(unsigned code) {
  if (code < 0x80) return code;
  if (code >= 0xA1 && code <= 0xDF) return kFirstHalfWidthKana + (code - 0xA1);
  const unsigned lead = code >> 8;
  const int trail = TrailIndex(code & 0xFF);
  if (lead < 0x80 || lead > 0xFF || trail < 0) return kReplacementCharacter;
  if (lead >= kFirstUserLead && lead <= kLastUserLead) {
    return kFirstUserDefined + (lead - kFirstUserLead) * 188 + static_cast<unsigned>(trail);
  }
  const std::uint8_t block = kCp932LeadBlocks[lead - 0x80];
  if (block == kCp932NoBlock) return kReplacementCharacter;
  return kCp932DecodeBlocks[block][static_cast<std::size_t>(trail)];
}

namespace {

// The codes of the encoding table spread out, 64 to a block, so that a look-up counts no bits
// (which processors without a bit-count instruction do slowly); 0 where a code point has none.
constexpr auto kCp932EncodeSpread = [] {
  std::array<std::array<std::uint16_t, 64>, kCp932EncodeMasks.size()> spread{};
  for (std::size_t block = 0; block < spread.size(); ++block) {
    std::size_t next = kCp932EncodeBases[block];
    for (unsigned bit = 0; bit < 64; ++bit) {
      if (kCp932EncodeMasks[block] >> bit & 1) spread[block][bit] = kCp932EncodeCodes[next++];
    }
  }
  return spread;
}();

}  // namespace

int Cp932FromUnicode(char32_t code_point) {
  if (code_point < 0x80) return static_cast<int>(code_point);
  if (code_point >= kFirstHalfWidthKana && code_point <= kLastHalfWidthKana) {
    return static_cast<int>(0xA1 + (code_point - kFirstHalfWidthKana));
  }
  if (code_point >= kFirstUserDefined && code_point <= kLastUserDefined) {
    const unsigned index = code_point - kFirstUserDefined;
    const unsigned column = index % 188;
    const unsigned trail = column < 0x3F ? 0x40 + column : 0x41 + column;
    return static_cast<int>((kFirstUserLead + index / 188) << 8 | trail);
  }
  if (code_point > 0xFFFF) return kNoCp932Code;
  const std::uint16_t code =
      kCp932EncodeSpread[kCp932EncodeBlocks[code_point >> 6]][code_point & 63];
  return code == 0 ? kNoCp932Code : code;
}

std::u32string DecodeToUnicode(std::string_view bytes, CharsetId charset) {
  std::u32string out;
  switch (charset) {
    case csUTF_8:
      out.reserve(bytes.size());
      DecodeUtf8(bytes, out);
      break;
    case csUTF_16:
    case csUCS_2:
    case csUTF_16LE:
    case csUCS_2LE:
      out.reserve(bytes.size() / 2 + 1);
      DecodeWideUnits(bytes, 2, charset == csUTF_16LE || charset == csUCS_2LE,
                      charset == csUTF_16 || charset == csUCS_2, out);
      break;
    case csUTF_32:
    case csUCS_4:
    case csUCS_4LE:
      out.reserve(bytes.size() / 4 + 1);
      DecodeWideUnits(bytes, 4, charset == csUCS_4LE, charset != csUCS_4LE, out);
      break;
    case csUTF_7:
    case csMUTF_7: {
      const std::string ucs2 = Utf7ToUcs2Be(bytes, charset == csMUTF_7);
      out.reserve(ucs2.size() / 2);
      DecodeWideUnits(ucs2, 2, false, false, out);
      break;
    }
    case csSHIFT_JIS:
    case csCP932:
      out.reserve(bytes.size());
      DecodeShiftJis(bytes, out);
      break;
    case csEUC_JP:
      out.reserve(bytes.size());
      DecodeEucJp(bytes, out);
      break;
    case csISO_2022_JP:
    case csISO_2022_JP_1:
    case csISO_2022_JP_2:
      out.reserve(bytes.size());
      DecodeIso2022Jp(bytes, out);
      break;
    default:
      if (charset < kUpperHalfTableCount) {
        out.reserve(bytes.size());
        DecodeSingleByte(bytes, UpperHalfTable(charset), out);
      } else {
        const std::string utf8 = TranscodeText(bytes, charset, csUTF_8);
        out.reserve(utf8.size());
        DecodeUtf8(utf8, out);
      }
      break;
  }
  return out;
}

void ForEachUtf8Piece(std::string_view utf8,
                      const std::function<void(std::u32string_view piece)>& take) {
  constexpr std::size_t kPieceSize = 256 * 1024;
  std::u32string piece;
  for (std::size_t start = 0; start < utf8.size();) {
    std::size_t end = utf8.size() - start <= kPieceSize ? utf8.size() : start + kPieceSize;
    // At most three continuation bytes follow a lead byte; a longer run is cut anywhere.
    for (int back = 0; end < utf8.size() && back < 3 && (ByteAt(utf8, end) & 0xC0) == 0x80;
         ++back) {
      --end;
    }
    piece.clear();
    DecodeUtf8(utf8.substr(start, end - start), piece, start == 0);
    take(piece);
    start = end;
  }
}

void AppendUtf8(std::string& out, char32_t code_point) {
  const char32_t c = IsScalarValue(code_point) ? code_point : kReplacementCharacter;
  const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
  if (c < 0x80) {
    out += byte(c);
  } else if (c < 0x800) {
    out += byte(0xC0 | c >> 6);
    out += byte(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += byte(0xE0 | c >> 12);
    out += byte(0x80 | (c >> 6 & 0x3F));
    out += byte(0x80 | (c & 0x3F));
  } else {
    out += byte(0xF0 | c >> 18);
    out += byte(0x80 | (c >> 12 & 0x3F));
    out += byte(0x80 | (c >> 6 & 0x3F));
    out += byte(0x80 | (c & 0x3F));
  }
}

std::string Utf8FromUnicode(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char32_t c : text) AppendUtf8(out, c);
  return out;
}

}  // namespace pictolumen
