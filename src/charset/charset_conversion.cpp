// Character set conversion through big-endian UCS-2, by the external converter or the built-in
// tables and routines.
#include "charset/charset_conversion.h"

#include <algorithm>
#include <optional>

#include "charset/external_converter.h"
#include "charset/text_utils.h"
#include "charset/transfer_codecs.h"
#include "charset/upper_half_tables.h"

namespace pictolumen {
namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// Width in bytes of one code unit on the built-in path. UTF-7 forms are read and written as
// UCS-2 and UTF-8 as UCS-4 (they are turned into / made from those forms first).
int UnitWidth(CharsetId id) {
  switch (id) {
    case csUCS_2:
    case csUTF_7:
    case csMUTF_7:
    case csUCS_2LE:
      return 2;
    case csUCS_4:
    case csUTF_8:
    case csUCS_4LE:
      return 4;
    default:
      return 1;
  }
}

bool IsLittleEndian(CharsetId id) {
  return id == csUCS_2LE || id == csUCS_4LE;
}

void AppendUcs2Be(std::string& out, char16_t code_point) {
  out += static_cast<char>(code_point >> 8);
  out += static_cast<char>(code_point & 0xFF);
}

// Closes an external converter when the stage that opened it ends, on every path.
class OpenedConverter {
 public:
  explicit OpenedConverter(ConverterHandle handle) : handle_(handle) {}
  ~OpenedConverter() { ExternalClose(handle_); }
  OpenedConverter(const OpenedConverter&) = delete;
  OpenedConverter& operator=(const OpenedConverter&) = delete;
  bool IsOpen() const { return handle_ != kNoConverter; }
  ConverterHandle handle() const { return handle_; }

 private:
  ConverterHandle handle_;
};

// Built-in decoding of `text` in `source` into big-endian UCS-2.
std::string DecodeBuiltIn(std::string_view text, CharsetId source) {
  std::string prepared;
  std::string_view units = text;
  if (source == csUTF_8) {
    prepared = Utf8ToUcs4Be(text);
    units = prepared;
  } else if (source == csUTF_7 || source == csMUTF_7) {
    prepared = Utf7ToUcs2Be(text, source == csMUTF_7);
    units = prepared;
  }

  const int width = UnitWidth(source);
  bool little_endian = IsLittleEndian(source);
  const std::array<char16_t, 128>& table = UpperHalfTable(source);
  std::string result;
  result.reserve(units.size() / width * 2);
  std::size_t position = 1;
  // A trailing incomplete unit cannot be read and is left out.
  while (position - 1 + width <= units.size()) {
    const CodeUnit unit = ReadCodeUnit(units, position, width, little_endian);
    char16_t value = static_cast<char16_t>(unit.b2 * 256 + unit.b1);
    if (unit.b3 == 0 && unit.b4 == 0) {
      if (value == 0xFFFE) {  // a byte order mark read the wrong way round
        little_endian = !little_endian;
        continue;
      }
      if (value == 0xFEFF) continue;  // a byte order mark, wherever it stands
    } else {
      // The intermediate form holds no character above U+FFFF.
      value = kReplacementCharacter;
    }
    if (width == 1 && unit.b1 >= 0x80) value = table[unit.b1 - 0x80];
    AppendUcs2Be(result, value);
  }
  return result;
}

// The byte of `table` (searched from 0x80 upward) that stands for `code_point`, if any. The
// replacement character stands for no character and is never mapped to an unassigned byte.
std::optional<char> FindInUpperHalf(const std::array<char16_t, 128>& table, char16_t code_point) {
  if (code_point == kReplacementCharacter) return std::nullopt;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i] == code_point) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

// Built-in encoding of big-endian UCS-2 into `target`.
std::string EncodeBuiltIn(std::string_view ucs2, CharsetId target, bool replace_unmappable) {
  const int width = UnitWidth(target);
  const bool little_endian = IsLittleEndian(target);
  const std::array<char16_t, 128>& table = UpperHalfTable(target);
  std::string units;
  units.reserve(ucs2.size() / 2 * width);
  for (std::size_t i = 0; i + 1 < ucs2.size(); i += 2) {
    const auto high = static_cast<std::uint8_t>(ucs2[i]);
    const auto low = static_cast<std::uint8_t>(ucs2[i + 1]);
    const auto code_point = static_cast<char16_t>(high * 256 + low);
    if (width != 1) {
      units += WriteCodeUnit({low, high, 0, 0}, width, little_endian);
    } else if (code_point < 0x80) {
      units += static_cast<char>(code_point);
    } else if (const std::optional<char> byte = FindInUpperHalf(table, code_point)) {
      units += *byte;
    } else if (replace_unmappable) {
      units += '_';
    }
  }
  switch (target) {
    case csUTF_7:
      return Ucs2BeToUtf7(units, false);
    case csMUTF_7:
      return Ucs2BeToUtf7(units, true);
    case csUTF_8:
      return Ucs4BeToUtf8(units);
    default:
      return units;
  }
}

// One entry of the inverse of an upper-half table: a code point and the byte that stands for it.
struct UpperHalfEntry {
  char16_t code_point;
  std::uint8_t byte;
};

int UpperHalfIndex(CharsetId id) {
  return id >= 1 && id < kUpperHalfTableCount ? id : csISO_8859_1;
}

// Each upper-half table turned round: its code points in ascending order, each with its byte,
// the lowest one where a code point stands twice (as FindInUpperHalf searches from 0x80 up).
constexpr auto kUpperHalfInverses = [] {
  std::array<std::array<UpperHalfEntry, 128>, kUpperHalfTableCount> inverses{};
  for (std::size_t t = 0; t < inverses.size(); ++t) {
    for (std::size_t i = 0; i < 128; ++i) {
      inverses[t][i] = {kUpperHalfTables[t][i], static_cast<std::uint8_t>(0x80 + i)};
    }
    std::sort(inverses[t].begin(), inverses[t].end(), [](UpperHalfEntry a, UpperHalfEntry b) {
      return a.code_point != b.code_point ? a.code_point < b.code_point : a.byte < b.byte;
    });
  }
  return inverses;
}();

// For each byte of each upper-half table, the first byte of the same table that stands for the
// same code point: the byte itself unless its code point stands twice. Read off the inverses, in
// which equal code points stand together, lowest byte first.
constexpr auto kUpperHalfFirstBytes = [] {
  std::array<std::array<std::uint8_t, 128>, kUpperHalfTableCount> first{};
  for (std::size_t t = 0; t < first.size(); ++t) {
    const std::array<UpperHalfEntry, 128>& inverse = kUpperHalfInverses[t];
    std::uint8_t run_first = inverse[0].byte;
    for (std::size_t i = 0; i < 128; ++i) {
      if (i > 0 && inverse[i].code_point != inverse[i - 1].code_point) run_first = inverse[i].byte;
      first[t][inverse[i].byte - 0x80] = run_first;
    }
  }
  return first;
}();

// Whether an upper-half table maps every byte to itself: each byte stands for a code point of
// its own at or above 0x80, so that converting between two sets sharing it copies the text.
constexpr auto kUpperHalfIsIdentity = [] {
  std::array<bool, kUpperHalfTableCount> identity{};
  for (std::size_t t = 0; t < identity.size(); ++t) {
    identity[t] = true;
    for (std::size_t i = 0; i < 128; ++i) {
      const char16_t code_point = kUpperHalfTables[t][i];
      if (code_point < 0x80 || code_point == kReplacementCharacter ||
          kUpperHalfFirstBytes[t][i] != 0x80 + i) {
        identity[t] = false;
      }
    }
  }
  return identity;
}();

// Built-in conversion between two sets of one byte per character, the same as decoding into
// UCS-2 and encoding from it: ASCII is copied, and each other byte value, the first time it
// occurs, is mapped through the source's table and looked up in the inverse of the target's.
std::string MapBytesBuiltIn(std::string_view text, CharsetId source, CharsetId target,
                            bool replace_unmappable) {
  constexpr int kDropped = -1;
  constexpr int kNotYetMapped = -2;
  const std::array<char16_t, 128>& source_table = UpperHalfTable(source);
  const std::array<UpperHalfEntry, 128>& inverse = kUpperHalfInverses[UpperHalfIndex(target)];
  // Sets that share a table (all that have none share that of ISO-8859-1) need no search.
  const bool same_table = UpperHalfIndex(source) == UpperHalfIndex(target);
  if (same_table && kUpperHalfIsIdentity[UpperHalfIndex(source)]) return std::string(text);
  const std::array<std::uint8_t, 128>& first_bytes = kUpperHalfFirstBytes[UpperHalfIndex(source)];
  const auto map_high_byte = [&](std::uint8_t byte) -> int {
    const char16_t code_point = source_table[byte - 0x80];
    if (code_point < 0x80) return code_point;
    if (same_table && code_point != kReplacementCharacter) return first_bytes[byte - 0x80];
    const auto found = std::lower_bound(
        inverse.begin(), inverse.end(), code_point,
        [](UpperHalfEntry entry, char16_t wanted) { return entry.code_point < wanted; });
    if (code_point != kReplacementCharacter && found != inverse.end() &&
        found->code_point == code_point) {
      return found->byte;
    }
    return replace_unmappable ? '_' : kDropped;
  };
  std::array<int, 128> high_bytes{};
  high_bytes.fill(kNotYetMapped);
  std::string out(text.size(), '\0');
  std::size_t length = 0;
  for (const char c : text) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte < 0x80) {
      out[length++] = c;
      continue;
    }
    int& mapped = high_bytes[byte - 0x80];
    if (mapped == kNotYetMapped) mapped = map_high_byte(byte);
    if (mapped != kDropped) out[length++] = static_cast<char>(mapped);
  }
  out.resize(length);
  return out;
}

// Characters that may stand in a UTF-7 run: the base64 alphabet without the pad.
struct RunAlphabet {
  bool member[256] = {};
  constexpr explicit RunAlphabet(std::string_view alphabet) {
    for (char c : alphabet.substr(0, 64)) member[static_cast<std::uint8_t>(c)] = true;
  }
  bool Contains(char c) const { return member[static_cast<std::uint8_t>(c)]; }
};

constexpr RunAlphabet kStandardRunAlphabet(kStandardAlphabet);
constexpr RunAlphabet kModifiedRunAlphabet(kModifiedAlphabet);

}  // namespace

const std::array<char16_t, 128>& UpperHalfTable(CharsetId id) {
  if (id >= 1 && id < kUpperHalfTableCount) return kUpperHalfTables[id];
  return kUpperHalfTables[csISO_8859_1];
}

std::string TranscodeCore(std::string_view text, CharsetId source, CharsetId target,
                          bool replace_unmappable) {
  if (source == target) return std::string(text);
  // Without the external library two sets of one byte per character are mapped byte by byte;
  // the names the library would be opened with are not needed then.
  if (UnitWidth(source) == 1 && UnitWidth(target) == 1 && !LoadExternalConverter()) {
    return MapBytesBuiltIn(text, source, target, replace_unmappable);
  }
  const std::string source_name = CharsetNameFromId(source);
  const std::string target_name = CharsetNameFromId(target);
  std::optional<std::string> external_ucs2;
  if (source == csUCS_2) {
    external_ucs2 = std::string(text);
  } else {
    const OpenedConverter converter(ExternalOpenIgnore("UCS-2BE", source_name));
    if (converter.IsOpen()) external_ucs2 = ExternalConvert(converter.handle(), text);
  }
  const OpenedConverter converter(replace_unmappable ? ExternalOpenTranslit(target_name, "UCS-2BE")
                                                     : ExternalOpenIgnore(target_name, "UCS-2BE"));
  if (!external_ucs2 && !converter.IsOpen() && UnitWidth(source) == 1 && UnitWidth(target) == 1) {
    return MapBytesBuiltIn(text, source, target, replace_unmappable);
  }
  const std::string ucs2 = external_ucs2 ? std::move(*external_ucs2) : DecodeBuiltIn(text, source);
  if (!converter.IsOpen()) return EncodeBuiltIn(ucs2, target, replace_unmappable);
  if (target != csUTF_7) return ExternalConvert(converter.handle(), ucs2);
  // A hyphen after the text makes the converter close an open base64 run; the hyphen itself
  // is then removed again.
  std::string input(ucs2);
  input += '\0';
  input += '-';
  std::string encoded = ExternalConvert(converter.handle(), input);
  if (!encoded.empty()) encoded.pop_back();
  return encoded;
}

bool TranscodeKeepsBytes(CharsetId source, CharsetId target) {
  if (source == target) return true;
  return UnitWidth(source) == 1 && UnitWidth(target) == 1 &&
         UpperHalfIndex(source) == UpperHalfIndex(target) &&
         kUpperHalfIsIdentity[UpperHalfIndex(source)] && !LoadExternalConverter();
}

std::string TranscodeText(std::string_view text, CharsetId source, CharsetId target) {
  return TranscodeCore(text, source, target, true);
}

CharsetId BestRoundTripCharset(std::string_view text, CharsetId source, CharsetSet candidates) {
  const std::string_view sample = text.substr(0, 1024);
  CharsetId best = csISO_8859_1;
  std::size_t best_length = 0;
  for (int ordinal = 0; ordinal < kCharsetIdCount; ++ordinal) {
    const auto candidate = static_cast<CharsetId>(ordinal);
    if (!candidates.Contains(candidate)) continue;
    const std::string there = TranscodeCore(sample, source, candidate, false);
    const std::string back = TranscodeCore(there, candidate, source, false);
    if (back == sample) return candidate;
    if (back.size() > best_length) {
      best = candidate;
      best_length = back.size();
    }
  }
  return best;
}

std::string ByteOrderMarkFor(CharsetId id) {
  using namespace std::string_literals;
  switch (id) {
    case csUCS_2:
      return "\xFE\xFF"s;
    case csUCS_4:
      return "\x00\x00\xFE\xFF"s;
    case csUTF_8:
      return "\xEF\xBB\xBF"s;
    case csUCS_2LE:
      return "\xFF\xFE"s;
    case csUCS_4LE:
      return "\xFF\xFE\x00\x00"s;
    default:
      return {};
  }
}

CodeUnit ReadCodeUnit(std::string_view bytes, std::size_t& position, int width,
                      bool little_endian) {
  if (width < 1 || width > 4 || position < 1 || position - 1 + width > bytes.size()) return {};
  std::uint8_t b[4] = {0, 0, 0, 0};
  for (int k = 0; k < width; ++k) {
    const auto byte = static_cast<std::uint8_t>(bytes[position - 1 + k]);
    b[little_endian ? k : width - 1 - k] = byte;
  }
  position += width;
  return {b[0], b[1], b[2], b[3]};
}

std::string WriteCodeUnit(CodeUnit unit, int width, bool little_endian) {
  const std::uint8_t b[4] = {unit.b1, unit.b2, unit.b3, unit.b4};
  std::string out;
  for (int k = 0; k < width && k < 4; ++k) {
    out += static_cast<char>(b[little_endian ? k : width - 1 - k]);
  }
  return out;
}

std::string Utf8ToUcs4Be(std::string_view utf8) {
  // Payload bits of a lead byte: 110xxxxx, 1110xxxx, 11110xxx, 111110xx, 1111110x; none for a
  // continuation byte, 0xFE or 0xFF.
  const auto payload = [](std::uint8_t lead) -> std::uint32_t {
    if ((lead & 0xE0) == 0xC0) return lead & 0x1F;
    if ((lead & 0xF0) == 0xE0) return lead & 0x0F;
    if ((lead & 0xF8) == 0xF0) return lead & 0x07;
    if ((lead & 0xFC) == 0xF8) return lead & 0x03;
    if ((lead & 0xFE) == 0xFC) return lead & 0x01;
    return 0;
  };
  const auto is_continuation = [](char c) { return (static_cast<std::uint8_t>(c) & 0xC0) == 0x80; };

  std::string out;
  out.reserve(utf8.size() * 4);
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<std::uint8_t>(utf8[i++]);
    std::uint32_t value = lead;
    if (lead >= 0x80) {
      std::string digits = IntToBinText(payload(lead), 0);
      while (i < utf8.size() && is_continuation(utf8[i])) {
        digits += IntToBinText(static_cast<std::uint8_t>(utf8[i++]) & 0x3F, 6);
      }
      value = BinTextToInt(digits);
    }
    out += WriteCodeUnit(
        {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
         static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)},
        4, false);
  }
  return out;
}

std::string Ucs4BeToUtf8(std::string_view ucs4) {
  // Lead byte marks for one to five continuation bytes.
  constexpr std::uint8_t kLeadMarks[6] = {0x00, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};
  std::string out;
  out.reserve(ucs4.size());
  std::size_t position = 1;
  while (position + 3 <= ucs4.size()) {
    const CodeUnit unit = ReadCodeUnit(ucs4, position, 4, false);
    const std::uint32_t value = std::uint32_t{unit.b4} << 24 | std::uint32_t{unit.b3} << 16 |
                                std::uint32_t{unit.b2} << 8 | unit.b1;
    if (value < 0x80) {
      out += static_cast<char>(value);
      continue;
    }
    const std::string digits = IntToBinText(value, 0);
    const std::size_t continuations = digits.size() / 6;
    const std::size_t lead_digits = digits.size() - 6 * continuations;
    out += static_cast<char>(BinTextToInt(std::string_view(digits).substr(0, lead_digits)) |
                             kLeadMarks[continuations]);
    for (std::size_t k = 0; k < continuations; ++k) {
      out += static_cast<char>(
          0x80 | BinTextToInt(std::string_view(digits).substr(lead_digits + 6 * k, 6)));
    }
  }
  return out;
}

std::string Utf7ToUcs2Be(std::string_view utf7, bool modified) {
  const char shift = modified ? '&' : '+';
  const RunAlphabet& alphabet = modified ? kModifiedRunAlphabet : kStandardRunAlphabet;
  std::string out;
  out.reserve(utf7.size() * 2);
  std::size_t i = 0;
  while (i < utf7.size()) {
    const char c = utf7[i++];
    if (c != shift) {
      AppendUcs2Be(out, static_cast<std::uint8_t>(c));
      continue;
    }
    // The run ends at "-" (taken), at "=" or any other character outside the alphabet (left).
    const std::size_t start = i;
    while (i < utf7.size() && alphabet.Contains(utf7[i])) ++i;
    const std::string_view run = utf7.substr(start, i - start);
    if (i < utf7.size() && utf7[i] == '-') ++i;
    if (run.empty()) {
      AppendUcs2Be(out, static_cast<std::uint8_t>(shift));
      continue;
    }
    const std::string decoded = modified ? ModifiedBase64Decode(run) : Base64Decode(run);
    if (decoded.size() % 2 == 0) {
      out += decoded;
      continue;
    }
    // An odd number of bytes is no encoded text: keep the characters as they stood.
    AppendUcs2Be(out, static_cast<std::uint8_t>(shift));
    for (char r : run) AppendUcs2Be(out, static_cast<std::uint8_t>(r));
  }
  return out;
}

std::string Ucs2BeToUtf7(std::string_view ucs2, bool modified) {
  const char shift = modified ? '&' : '+';
  const auto unit_at = [&](std::size_t i) {
    return static_cast<std::uint8_t>(ucs2[i]) * 256 + static_cast<std::uint8_t>(ucs2[i + 1]);
  };
  std::string out;
  out.reserve(ucs2.size() * 2);
  std::size_t i = 0;
  while (i + 1 < ucs2.size()) {
    const int unit = unit_at(i);
    if (unit < 0x80) {
      out += static_cast<char>(unit);
      if (unit == shift) out += '-';
      i += 2;
      continue;
    }
    const std::size_t start = i;
    while (i + 1 < ucs2.size() && unit_at(i) >= 0x80) i += 2;
    const std::string_view run = ucs2.substr(start, i - start);
    const std::string encoded = modified ? ModifiedBase64Encode(run) : Base64Encode(run);
    out += shift;
    out += std::string_view(encoded).substr(0, encoded.find('='));
    out += '-';
  }
  return out;
}

}  // namespace pictolumen
