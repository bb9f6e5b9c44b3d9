#include "emoji/main_text.h"

#include <utility>
#include <vector>

#include "charset/unicode_text.h"
#include "common/text.h"
#include "emoji/carrier_text.h"
#include "emoji/emoji_markup.h"
#include "emoji/html_to_text.h"

namespace pictolumen {
namespace {

bool IsJisCharset(CharsetId id) {
  return id == csISO_2022_JP || id == csISO_2022_JP_1 || id == csISO_2022_JP_2;
}

// Sets of two or four bytes a unit, whose text the plain alternative cannot carry in lines.
bool IsWideCharset(CharsetId id) {
  return id == csUCS_2 || id == csUCS_4 || id == csUCS_2LE || id == csUCS_4LE || id == csUTF_16 ||
         id == csUTF_16LE || id == csUTF_32;
}

// The set the text of `part` is read in. Text labelled US-ASCII, or not labelled at all, is
// read as 7-bit JIS, which holds ASCII, so that JIS mail that names no set shows its
// pictographs.
CharsetId TextCharset(const TMimePart& part) {
  const std::string& name = part.CharsetName;
  return name.empty() || name == "US-ASCII" || name == "ASCII" ? csISO_2022_JP : part.CharsetCode;
}

bool IsHtml(const TMimePart& part) {
  return part.PrimaryKind == pkText && UpperCase(part.SubType) == "HTML";
}

bool IsPlainText(const TMimePart& part) {
  return part.PrimaryKind == pkText && UpperCase(part.SubType) == "PLAIN";
}

// The content of `part` with its transfer encoding undone and its bytes as the mail carries
// them, in the set it is labelled with.
std::string RawContent(TMimePart& part, bool keep_body) {
  const CharsetId target = part.TargetCharset;
  part.TargetCharset = part.CharsetCode;
  if (keep_body) {
    part.DecodeBody();
  } else {
    part.DecodeTakenBody();
  }
  part.TargetCharset = target;
  return part.DecodedData.Take();
}

MainText JapaneseText(std::string bytes, const TMimePart& part, CharsetId charset,
                      const EmojiReading& reading) {
  MainText text;
  const bool shift_jis = !IsJisCharset(charset);
  text.html_body = EmojiToHtml(bytes, shift_jis ? std::string_view("8bit") : part.TransferEncoding,
                               reading.size_limit, reading.pictures);
  text.plain = std::move(bytes);
  // Text that names no set is labelled as the JIS it is read as.
  text.plain_charset =
      shift_jis || IsJisCharset(part.CharsetCode) ? part.CharsetCode : csISO_2022_JP;
  return text;
}

MainText UnicodeText(std::string bytes, const TMimePart& part, CharsetId charset,
                     const EmojiReading& reading) {
  MainText text;
  if (charset == csUTF_8 && !IsHtml(part)) {
    text.html_body = Utf8EmojiToHtml(bytes, reading);
    text.plain = std::move(bytes);
    text.plain_charset = csUTF_8;
    return text;
  }
  std::u32string unicode = reading.pictographs
                               ? CarrierTextToUnicode(bytes, charset, reading.carrier)
                               : DecodeToUnicode(bytes, charset);
  // Its text in code points is held beside the page it becomes: an HTML text may take half the
  // limit, and the page what the code points leave of it.
  if (IsHtml(part)) unicode = HtmlToText(unicode, reading.size_limit / 2 / sizeof(char32_t));
  EmojiReading page_reading = reading;
  const std::size_t held = unicode.size() * sizeof(char32_t);
  page_reading.size_limit = held < reading.size_limit ? reading.size_limit - held : 0;
  text.html_body = UnicodeEmojiToHtml(unicode, page_reading);
  if (IsHtml(part) || IsWideCharset(charset)) {
    text.plain = Utf8FromUnicode(unicode);
    text.plain_charset = csUTF_8;
  } else {
    text.plain = std::move(bytes);
    text.plain_charset = charset;
  }
  return text;
}

}  // namespace

bool IsAttachment(const TMimePart& part) {
  return UpperCase(part.Disposition) == "ATTACHMENT" || !part.FileName.empty();
}

TMimePart* FindMainTextPart(TMimePart& root) {
  if (root.PrimaryKind == pkText) return &root;
  TMimePart* first_html = nullptr;
  // Depth first without recursion, so that a tree of any depth is walked in bounded stack.
  std::vector<TMimePart*> pending{&root};
  while (!pending.empty()) {
    TMimePart* part = pending.back();
    pending.pop_back();
    if (part->PrimaryKind == pkMultipart) {
      for (auto sub = part->SubParts.rbegin(); sub != part->SubParts.rend(); ++sub) {
        pending.push_back(sub->get());
      }
      continue;
    }
    if (IsAttachment(*part)) continue;
    if (IsPlainText(*part)) return part;
    if (first_html == nullptr && IsHtml(*part)) first_html = part;
  }
  return first_html;
}

MainText ReadMainText(TMimePart* part, bool keep_body, const EmojiReading& reading) {
  if (part == nullptr) return {std::string(), std::string(), csISO_2022_JP};
  const CharsetId charset = TextCharset(*part);
  std::string bytes = RawContent(*part, keep_body);
  const bool japanese = IsJisCharset(charset) || charset == csSHIFT_JIS || charset == csCP932;
  if (reading.carrier == Carrier::kAu && reading.pictographs && japanese && !IsHtml(*part)) {
    return JapaneseText(std::move(bytes), *part, charset, reading);
  }
  return UnicodeText(std::move(bytes), *part, charset, reading);
}

}  // namespace pictolumen
