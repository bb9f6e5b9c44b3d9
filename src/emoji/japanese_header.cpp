#include "emoji/japanese_header.h"

#include <algorithm>
#include <optional>

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

// The character at text[i] as ISO-2022-JP writes it, or nothing where it has no place there;
// `i` is left on the last character taken.
std::optional<JisCharacter> JisCharacterAt(std::u32string_view text, std::size_t& i) {
  const char32_t c = text[i];
  if (c >= 0x20 && c < 0x7F) return JisCharacter{false, static_cast<unsigned char>(c), 0};
  if (const CarrierEmoji* emoji = AuEmojiOfCodePoint(c)) {
    return JisCharacter{true, static_cast<unsigned char>(emoji->jis >> 8),
                        static_cast<unsigned char>(emoji->jis & 0xFF)};
  }
  if (IsHalfWidthKatakana(c)) return FullWidthKatakana(text, i);
  if (const int code = Cp932FromUnicode(c); code > 0xFF && IsJisX0208Lead(code >> 8)) {
    const BytePair pair = SjisPairToJis(static_cast<unsigned char>(code >> 8),
                                        static_cast<unsigned char>(code & 0xFF));
    return JisCharacter{true, pair.first, pair.second};
  }
  return std::nullopt;
}

// Calls `take` with each character of the UTF-8 `text` as ISO-2022-JP writes it, as long as it
// has a place there; false where one has none.
template <class Take>
bool ForEachJisCharacter(std::string_view text, Take&& take) {
  bool all = true;
  ForEachUtf8Piece(text, [&](std::u32string_view piece) {
    for (std::size_t i = 0; all && i < piece.size(); ++i) {
      const std::optional<JisCharacter> c = JisCharacterAt(piece, i);
      if (c) {
        take(*c);
      } else {
        all = false;
      }
    }
  });
  return all;
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

// ISO-2022-JP words made a character at a time, each switching back to ASCII at its end.
class JisWordWriter {
 public:
  void Add(const JisCharacter& c) {
    const std::size_t needed = (c.two_byte != two_byte_ ? kAsciiMode.size() : 0) +
                               (c.two_byte ? 2 + kAsciiMode.size() : 1);
    if (!bytes_.empty() && bytes_.size() + needed > kJisWordBytes) EndWord();
    if (c.two_byte != two_byte_) bytes_ += c.two_byte ? kTwoByteMode : kAsciiMode;
    two_byte_ = c.two_byte;
    bytes_.push_back(static_cast<char>(c.first));
    if (c.two_byte) bytes_.push_back(static_cast<char>(c.second));
  }

  std::string Take() {
    if (!bytes_.empty()) EndWord();
    return std::move(words_);
  }

 private:
  static constexpr std::string_view kTwoByteMode = "\x1b$B", kAsciiMode = "\x1b(B";

  void EndWord() {
    if (two_byte_) bytes_ += kAsciiMode;
    two_byte_ = false;
    AppendWord(words_, "ISO-2022-JP", bytes_);
    bytes_.clear();
  }

  std::string words_, bytes_;
  bool two_byte_ = false;
};

// UTF-8 words, cut between characters.
std::string Utf8Words(std::string_view text) {
  std::string words;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = std::min(start + kUtf8WordBytes, text.size());
    // A word ends before a continuation byte, at a character's start.
    while (end < text.size() && end > start + 1 &&
           (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
      --end;
    }
    AppendWord(words, "UTF-8", text.substr(start, end - start));
    start = end;
  }
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

std::string EncodeJapaneseHeaderText(std::string_view text) {
  if (IsPlainAscii(text)) return std::string(text);
  // The text is read twice rather than held as characters: a header line may be megabytes long.
  if (!ForEachJisCharacter(text, [](const JisCharacter&) {})) return Utf8Words(text);
  JisWordWriter writer;
  ForEachJisCharacter(text, [&writer](const JisCharacter& c) { writer.Add(c); });
  return writer.Take();
}

std::string EncodeJapaneseMailbox(std::string_view mailbox) {
  const std::string name = DisplayNameOf(mailbox);
  const std::string address = EmailAddressOf(mailbox);
  if (name.empty()) return address;
  const std::string written = IsPlainAscii(name) ? Quoted(name) : EncodeJapaneseHeaderText(name);
  return written + " <" + address + ">";
}

TJapaneseMessHeader::TJapaneseMessHeader() {
  CharsetCode = csUTF_8;
}

std::string TJapaneseMessHeader::DecodeText(std::string_view value) const {
  return CarrierHeaderToUtf8(value);
}

std::string TJapaneseMessHeader::EncodeText(std::string_view value) const {
  return EncodeJapaneseHeaderText(value);
}

std::string TJapaneseMessHeader::EncodeMailbox(std::string_view mailbox) const {
  return EncodeJapaneseMailbox(mailbox);
}

}  // namespace pictolumen
