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

// A pictograph's private-use code point from a two-byte code of Shift_JIS text, or 0.
using PictographOfCode = char32_t (*)(Carrier carrier, unsigned code);

// au's pictograph of a JIS code as 7-bit text is read, converted to Shift_JIS arithmetically.
char32_t AuPictographOfJisAsSjis(Carrier, unsigned code) {
  const CarrierEmoji* emoji = AuEmojiOfJisAsSjis(code);
  return emoji != nullptr ? emoji->pua : 0;
}

// Appends Shift_JIS text as Unicode, where `pictograph_of` tells the carrier's pictograph of a
// two-byte code. A lead byte whose pair code page 932 does not know gives U+FFFD and takes its
// second byte with it unless that is ASCII, which is read again as a character of its own.
void AppendSjisAsUnicode(std::string_view sjis, Carrier carrier, PictographOfCode pictograph_of,
                         std::u32string& text) {
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
    if (const char32_t pictograph = pictograph_of(carrier, code); pictograph != 0) {
      text.push_back(pictograph);
      i += 2;
      continue;
    }
    const char32_t c = UnicodeFromCp932(code);
    text.push_back(c);
    i += c == kReplacementCharacter && second < 0x80 ? 1 : 2;
  }
}

// SoftBank's escape form in 7-bit text: ESC $, a page byte, one or more codes of that page, SI.
constexpr std::string_view kSoftbankPages = "GEFOPQ";

// Where the SoftBank escape at `at` ends (after its SI), or `at` when none begins there.
std::size_t SoftbankEscapeEnd(std::string_view jis, std::size_t at) {
  if (jis.substr(at, 2) != "\x1b$" || at + 3 >= jis.size() ||
      kSoftbankPages.find(jis[at + 2]) == std::string_view::npos) {
    return at;
  }
  std::size_t end = at + 3;
  while (end < jis.size() && jis[end] >= 0x21 && jis[end] <= 0x7A) ++end;
  return end > at + 3 && end < jis.size() && jis[end] == '\x0f' ? end + 1 : at;
}

// The last designation escape (ESC ( x, ESC $ x, ESC $ ( x) in `jis`, or empty: the state that
// text following an interruption continues in.
std::string_view LastDesignation(std::string_view jis) {
  for (std::size_t at = jis.rfind('\x1b'); at != std::string_view::npos;
       at = at == 0 ? std::string_view::npos : jis.rfind('\x1b', at - 1)) {
    const std::string_view rest = jis.substr(at);
    if (rest.size() >= 3 && (rest[1] == '(' || rest[1] == '$')) {
      return rest.substr(0, rest[1] == '$' && rest.size() >= 4 && rest[2] == '(' ? 4 : 3);
    }
  }
  return {};
}

// 7-bit JIS text of a SoftBank handset: its escapes become the pictographs they carry, the text
// between them is read as JIS, each piece in the set the one before it had switched to.
std::u32string SoftbankJisToUnicode(std::string_view jis) {
  std::u32string text;
  std::string piece;
  const auto flush = [&] {
    AppendSjisAsUnicode(JisToSjis(piece), Carrier::kSoftbank, PictographOfSjis, text);
    const std::string designation(LastDesignation(piece));
    piece = designation;
  };
  std::size_t i = 0;
  while (i < jis.size()) {
    const std::size_t end = SoftbankEscapeEnd(jis, i);
    if (end == i) {
      piece.push_back(jis[i++]);
      continue;
    }
    flush();
    for (std::size_t code = i + 3; code + 1 < end; ++code) {
      const unsigned webcode =
          static_cast<unsigned>(jis[i + 2]) << 8 | static_cast<unsigned char>(jis[code]);
      const char32_t pictograph = SoftbankPictographOfWebcode(webcode);
      text.push_back(pictograph != 0 ? pictograph : kReplacementCharacter);
    }
    i = end;
  }
  flush();
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
std::string HeaderTextToUtf8(std::string_view text, Carrier carrier) {
  if (text.find('\x1b') != std::string_view::npos) {
    return Utf8FromUnicode(CarrierTextToUnicode(text, csISO_2022_JP, carrier));
  }
  if (IsValidUtf8(text)) return std::string(text);
  return Utf8FromUnicode(CarrierTextToUnicode(text, csSHIFT_JIS, carrier));
}

}  // namespace

std::u32string CarrierTextToUnicode(std::string_view bytes, CharsetId charset, Carrier carrier) {
  std::u32string text;
  if (IsJisCharset(charset)) {
    // docomo's handsets write no pictographs in 7-bit text.
    if (carrier == Carrier::kSoftbank) return SoftbankJisToUnicode(bytes);
    const PictographOfCode pictograph_of = carrier == Carrier::kAu
                                               ? AuPictographOfJisAsSjis
                                               : [](Carrier, unsigned) { return char32_t{0}; };
    text.reserve(bytes.size());
    AppendSjisAsUnicode(JisToSjis(bytes), carrier, pictograph_of, text);
    return text;
  }
  if (IsShiftJisCharset(charset)) {
    text.reserve(bytes.size());
    AppendSjisAsUnicode(bytes, carrier, PictographOfSjis, text);
    return text;
  }
  return DecodeToUnicode(bytes, charset);
}

std::string CarrierHeaderToUtf8(std::string_view value, Carrier carrier) {
  return DecodeInlineWordsWith(
      value, {[carrier](std::string_view text) { return HeaderTextToUtf8(text, carrier); },
              [carrier](std::string_view bytes, CharsetId charset) {
                return Utf8FromUnicode(CarrierTextToUnicode(bytes, charset, carrier));
              }});
}

}  // namespace pictolumen
