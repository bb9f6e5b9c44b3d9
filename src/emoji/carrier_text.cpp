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

bool IsValidUtf8(std::string_view text) {
  return Utf8FromUnicode(DecodeToUnicode(text, csUTF_8)) == text;
}

// Text outside encoded words: JIS where it switches with escapes, UTF-8 where it is valid UTF-8
// (ASCII among it), else Shift_JIS.
std::u32string HeaderTextToUnicode(std::string_view text) {
  if (text.find('\x1b') != std::string_view::npos) {
    return CarrierTextToUnicode(text, csISO_2022_JP);
  }
  if (IsValidUtf8(text)) return DecodeToUnicode(text, csUTF_8);
  return CarrierTextToUnicode(text, csSHIFT_JIS);
}

}  // namespace

std::u32string CarrierTextToUnicode(std::string_view bytes, CharsetId charset) {
  if (IsJisCharset(charset)) return SjisToUnicode(JisToSjis(bytes), &AuEmojiOfJisAsSjis);
  if (IsShiftJisCharset(charset)) return SjisToUnicode(bytes, &AuEmojiOfSjis);
  return DecodeToUnicode(bytes, charset);
}

std::u32string CarrierHeaderToUnicode(std::string_view value) {
  const std::string utf8 = DecodeInlineWordsWith(
      value, {[](std::string_view text) { return Utf8FromUnicode(HeaderTextToUnicode(text)); },
              [](std::string_view bytes, CharsetId charset) {
                return Utf8FromUnicode(CarrierTextToUnicode(bytes, charset));
              }});
  return DecodeToUnicode(utf8, csUTF_8);
}

}  // namespace pictolumen
