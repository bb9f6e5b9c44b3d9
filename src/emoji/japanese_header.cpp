#include "emoji/japanese_header.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "charset/text_utils.h"
#include "charset/transfer_codecs.h"
#include "charset/unicode_text.h"
#include "emoji/carrier_emoji.h"
#include "emoji/carrier_text.h"
#include "jtext/jis_conversion.h"

namespace pictolumen {
namespace {

// One character as ISO-2022-JP writes it: an ASCII byte, or a pair of two-byte mode.
struct JisCharacter {
  bool two_byte;
  unsigned char first;
  unsigned char second;
};

// Shift_JIS lead bytes of the rows of JIS X 0208 (1-8 and 16-84); the rows between and after
// them hold Microsoft's and NEC's additions, which ISO-2022-JP has no place for.
bool IsJisX0208Lead(unsigned lead) {
  return (lead >= 0x81 && lead <= 0x84) || (lead >= 0x88 && lead <= 0x9F) ||
         (lead >= 0xE0 && lead <= 0xEA);
}

bool IsHalfWidthKatakana(char32_t c) {
  return c >= 0xFF61 && c <= 0xFF9F;
}

// The full-width form of the half-width katakana at text[i], with a voicing mark after it
// folded in; `i` is left on the last character taken.
JisCharacter FullWidthKatakana(std::u32string_view text, std::size_t& i) {
  std::string sjis(1, static_cast<char>(Cp932FromUnicode(text[i])));
  if (i + 1 < text.size() && (text[i + 1] == 0xFF9E || text[i + 1] == 0xFF9F)) {
    sjis.push_back(static_cast<char>(Cp932FromUnicode(text[i + 1])));
  }
  std::size_t position = 0;
  const BytePair pair = SjisKanaToJis(sjis, position);
  i += position - 1;
  return {true, pair.first, pair.second};
}

// The characters of `text` as ISO-2022-JP writes them, or nothing where one has no place there.
std::optional<std::vector<JisCharacter>> JisCharacters(std::u32string_view text) {
  std::vector<JisCharacter> characters;
  characters.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c >= 0x20 && c < 0x7F) {
      characters.push_back({false, static_cast<unsigned char>(c), 0});
    } else if (const CarrierEmoji* emoji = AuEmojiOfCodePoint(c)) {
      characters.push_back({true, static_cast<unsigned char>(emoji->jis >> 8),
                            static_cast<unsigned char>(emoji->jis & 0xFF)});
    } else if (IsHalfWidthKatakana(c)) {
      characters.push_back(FullWidthKatakana(text, i));
    } else if (const int code = Cp932FromUnicode(c); code > 0xFF && IsJisX0208Lead(code >> 8)) {
      const BytePair pair = SjisPairToJis(static_cast<unsigned char>(code >> 8),
                                          static_cast<unsigned char>(code & 0xFF));
      characters.push_back({true, pair.first, pair.second});
    } else {
      return std::nullopt;
    }
  }
  return characters;
}

// An encoded word holds at most 75 characters: these many bytes of text fit in one.
constexpr std::size_t kJisWordBytes = 42;   // "=?ISO-2022-JP?B?" + 56 + "?=" is 74
constexpr std::size_t kUtf8WordBytes = 45;  // "=?UTF-8?B?" + 60 + "?=" is 72

void AppendWord(std::string& words, std::string_view charset, std::string_view bytes) {
  if (!words.empty()) words += ' ';
  words += "=?";
  words += charset;
  words += "?B?";
  words += Base64Encode(bytes);
  words += "?=";
}

// ISO-2022-JP words, each switching back to ASCII at its end.
std::string JisWords(const std::vector<JisCharacter>& characters) {
  constexpr std::string_view kTwoByteMode = "\x1b$B", kAsciiMode = "\x1b(B";
  std::string words, bytes;
  bool two_byte = false;
  const auto end_word = [&] {
    if (two_byte) bytes += kAsciiMode;
    two_byte = false;
    AppendWord(words, "ISO-2022-JP", bytes);
    bytes.clear();
  };
  for (const JisCharacter& c : characters) {
    const std::size_t needed =
        (c.two_byte != two_byte ? kAsciiMode.size() : 0) + (c.two_byte ? 2 + kAsciiMode.size() : 1);
    if (!bytes.empty() && bytes.size() + needed > kJisWordBytes) end_word();
    if (c.two_byte != two_byte) bytes += c.two_byte ? kTwoByteMode : kAsciiMode;
    two_byte = c.two_byte;
    bytes.push_back(static_cast<char>(c.first));
    if (c.two_byte) bytes.push_back(static_cast<char>(c.second));
  }
  if (!bytes.empty()) end_word();
  return words;
}

// UTF-8 words, cut between characters.
std::string Utf8Words(std::u32string_view text) {
  std::string words, bytes;
  for (const char32_t c : text) {
    const std::string character = Utf8FromUnicode(std::u32string_view(&c, 1));
    if (bytes.size() + character.size() > kUtf8WordBytes) {
      AppendWord(words, "UTF-8", bytes);
      bytes.clear();
    }
    bytes += character;
  }
  if (!bytes.empty()) AppendWord(words, "UTF-8", bytes);
  return words;
}

bool IsPlainAscii(std::string_view text) {
  return text.find("=?") == std::string_view::npos &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// A printable ASCII display name as a quoted string.
std::string Quoted(std::string_view name) {
  std::string quoted = "\"";
  for (const char c : name) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string EncodeJapaneseHeaderText(std::u32string_view text) {
  const std::string utf8 = Utf8FromUnicode(text);
  if (IsPlainAscii(utf8)) return utf8;
  if (const auto characters = JisCharacters(text)) return JisWords(*characters);
  return Utf8Words(text);
}

std::string EncodeJapaneseMailbox(std::string_view mailbox) {
  const std::string name = DisplayNameOf(mailbox);
  const std::string address = EmailAddressOf(mailbox);
  if (name.empty()) return address;
  const std::string written =
      IsPlainAscii(name) ? Quoted(name) : EncodeJapaneseHeaderText(DecodeToUnicode(name, csUTF_8));
  return written + " <" + address + ">";
}

TJapaneseMessHeader::TJapaneseMessHeader() {
  CharsetCode = csUTF_8;
}

std::string TJapaneseMessHeader::DecodeText(std::string_view value) const {
  return Utf8FromUnicode(CarrierHeaderToUnicode(value));
}

std::string TJapaneseMessHeader::EncodeText(std::string_view value) const {
  return EncodeJapaneseHeaderText(DecodeToUnicode(value, csUTF_8));
}

std::string TJapaneseMessHeader::EncodeMailbox(std::string_view mailbox) const {
  return EncodeJapaneseMailbox(mailbox);
}

}  // namespace pictolumen
