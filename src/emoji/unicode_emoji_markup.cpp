#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "charset/unicode_text.h"
#include "emoji/carrier_emoji.h"
#include "emoji/emoji_cache.h"
#include "emoji/emoji_markup.h"
#include "emoji/emoji_markup_writer.h"

namespace pictolumen {
namespace {

// Shift_JIS text is handed to the table's markup in pieces of about this size.
constexpr std::size_t kSjisPieceSize = 64 * 1024;

// A private-use character is the carrier's pictograph or nothing a page can show: code page
// 932 maps some to its user-defined codes, which the carrier's codes overlap.
bool IsPrivateUse(char32_t c) {
  return (c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000;
}

// Whether `code` lies where `carrier`'s table keys its pictographs, so that a character of
// code page 932 there would be read as one: au's 7-bit table rows EB40-EEFC (where code page 932
// has copies of IBM's characters, which it writes as FAxx-FCxx), docomo's F89F-F9FC, and
// SoftBank's rows of lead bytes F7, F9 and FB (FB holds IBM's characters in code page 932).
bool IsTableCode(Carrier carrier, int code) {
  switch (carrier) {
    case Carrier::kDocomo:
      return code >= 0xF89F && code <= 0xF9FC;
    case Carrier::kSoftbank:
      return code >> 8 == 0xF7 || code >> 8 == 0xF9 || code >> 8 == 0xFB;
    case Carrier::kAu:
      break;
  }
  return code >= 0xEB40 && code <= 0xEEFC;
}

// The code page 932 code of a character that is no pictograph, or -1: codes of the carrier's
// table are kept for the pictographs, and are written as references instead.
int PageCodeOf(char32_t c, Carrier carrier) {
  const int code = IsPrivateUse(c) ? -1 : Cp932FromUnicode(c);
  return IsTableCode(carrier, code) ? -1 : code;
}

// Writes the one or two bytes of a Shift_JIS code at `out` and returns the end.
char* WriteCode(char* out, unsigned code) {
  if (code > 0xFF) *out++ = static_cast<char>(code >> 8);
  *out++ = static_cast<char>(code & 0xFF);
  return out;
}

}  // namespace

UnicodeEmojiMarkup::UnicodeEmojiMarkup(const EmojiReading& reading)
    : carrier_(reading.carrier),
      pictographs_(reading.pictographs),
      writer_(std::make_unique<EmojiMarkupWriter>(CarrierTableName(reading.carrier),
                                                  reading.size_limit, reading.pictures)) {}

UnicodeEmojiMarkup::~UnicodeEmojiMarkup() = default;

void UnicodeEmojiMarkup::Append(std::u32string_view text, std::string& html) {
  // The Shift_JIS text of a piece is written through a pointer into room for its longest form,
  // two bytes a character, and handed to the table's markup whenever it fills up.
  std::string sjis(kSjisPieceSize + 2, '\0');
  char* const start = sjis.data();
  char* out = start;
  const auto hand_over = [&] {
    writer_->Append(std::string_view(start, static_cast<std::size_t>(out - start)), html);
    out = start;
  };
  for (const char32_t c : text) {
    if (c < 0x80) {
      *out++ = static_cast<char>(c);
    } else if (const unsigned emoji = pictographs_ ? TableCodeOfCodePoint(carrier_, c) : 0;
               emoji != 0) {
      out = WriteCode(out, emoji);
    } else if (const int code = PageCodeOf(c, carrier_); code >= 0) {
      out = WriteCode(out, static_cast<unsigned>(code));
    } else {
      hand_over();
      writer_->AppendReference(c, html);
      continue;
    }
    if (static_cast<std::size_t>(out - start) >= kSjisPieceSize) hand_over();
  }
  hand_over();
}

std::string UnicodeEmojiToHtml(std::u32string_view text, const EmojiReading& reading) {
  UnicodeEmojiMarkup markup(reading);
  std::string html;
  html.reserve(2 * text.size());
  markup.Append(text, html);
  return html;
}

std::string Utf8EmojiToHtml(std::string_view utf8, const EmojiReading& reading) {
  UnicodeEmojiMarkup markup(reading);
  std::string html;
  html.reserve(utf8.size());
  ForEachUtf8Piece(utf8, [&](std::u32string_view piece) { markup.Append(piece, html); });
  return html;
}

std::string NumericCharacterReference(char32_t c) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (auto value = static_cast<std::uint32_t>(c); hex.empty() || value != 0; value >>= 4) {
    hex.insert(hex.begin(), kDigits[value & 0xF]);
  }
  return "&#x" + hex + ";";
}

}  // namespace pictolumen
