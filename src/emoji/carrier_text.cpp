#include "emoji/carrier_text.h"

#include "charset/unicode_text.h"
#include "common/text.h"
#include "emoji/carrier_emoji.h"
#include "jtext/jis_conversion.h"
#include "mime/encoded_words.h"

namespace pictolumen {
namespace {

bool IsJisCharset(CharsetId charset) {
  return charset == csISO_2022_JP || charset == csISO_2022_JP_1 || charset == csISO_2022_JP_2;
}

bool IsShiftJisCharset(CharsetId charset) {
  return charset == csSHIFT_JIS || charset == csCP932;
}

// Shift_JIS text as Unicode, where `emoji_of` tells the carrier's pictograph of a two-byte code.
// A lead byte whose pair code page 932 does not know gives U+FFFD and takes its second byte
// with it unless that is ASCII, which is read again as a character of its own.
std::u32string SjisToUnicode(std::string_view sjis, const CarrierEmoji* (*emoji_of)(unsigned)) {
  std::u32string text;
  text.reserve(sjis.size());
  std::size_t i = 0;
  while (i < sjis.size()) {
    const auto lead = static_cast<unsigned char>(sjis[i]);
    if (lead < 0x80) {
      text.push_back(lead);
      ++i;
      continue;
    }
    if (!IsSjisLeadByte(lead) || i + 1 == sjis.size()) {
      text.push_back(UnicodeFromCp932(lead));
      ++i;
      continue;
    }
    const auto second = static_cast<unsigned char>(sjis[i + 1]);
    const unsigned code = static_cast<unsigned>(lead) << 8 | second;
    if (const CarrierEmoji* emoji = emoji_of(code)) {
      text.push_back(emoji->pua);
      i += 2;
      continue;
    }
    const char32_t c = UnicodeFromCp932(code);
    text.push_back(c);
    i += c == kReplacementCharacter && second < 0x80 ? 1 : 2;
  }
  return text;
}

// Whether `text` reads as UTF-8 without a byte that forms no character (and without a byte order
// mark, which decoding would drop).
bool IsValidUtf8(std::string_view text) {
  bool valid = true;
  std::size_t at = 0;
  ForEachUtf8Piece(text, [&](std::u32string_view piece) {
    const std::string again = Utf8FromUnicode(piece);
    valid = valid && text.substr(at, again.size()) == again;
    at += again.size();
  });
  return valid && at == text.size();
}

// Text outside encoded words in UTF-8: JIS where it switches with escapes, as it is where it is
// valid UTF-8 (ASCII among it), else Shift_JIS.
std::string HeaderTextToUtf8(std::string_view text) {
  if (text.find('\x1b') != std::string_view::npos) {
    return Utf8FromUnicode(CarrierTextToUnicode(text, csISO_2022_JP));
  }
  if (IsValidUtf8(text)) return std::string(text);
  return Utf8FromUnicode(CarrierTextToUnicode(text, csSHIFT_JIS));
}

}  // namespace

std::u32string CarrierTextToUnicode(std::string_view bytes, CharsetId charset) {
  if (IsJisCharset(charset)) return SjisToUnicode(JisToSjis(bytes), &AuEmojiOfJisAsSjis);
  if (IsShiftJisCharset(charset)) return SjisToUnicode(bytes, &AuEmojiOfSjis);
  return DecodeToUnicode(bytes, charset);
}

std::string CarrierHeaderToUtf8(std::string_view value) {
  return DecodeInlineWordsWith(value,
                               {[](std::string_view text) { return HeaderTextToUtf8(text); },
                                [](std::string_view bytes, CharsetId charset) {
                                  return Utf8FromUnicode(CarrierTextToUnicode(bytes, charset));
                                }});
}

}  // namespace pictolumen
