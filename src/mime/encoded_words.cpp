#include "mime/encoded_words.h"

#include <optional>
#include <utility>

#include "charset/charset_conversion.h"
#include "charset/text_utils.h"
#include "charset/transfer_codecs.h"
#include "common/text.h"

namespace pictolumen {
namespace {

// Longest chunk of a Q word that is not yet cut at the next space.
constexpr std::size_t kWordChunkLength = 32;

// The bytes and the character set of one encoded word ("=?" through "?="), or nothing when it
// is not of the form charset "?" letter "?" payload with the letter B or Q.
std::optional<std::pair<std::string, CharsetId>> ReadWord(std::string_view word) {
  const std::string_view inner = word.substr(2, word.size() - 4);
  const std::size_t first_mark = inner.find('?');
  if (first_mark == std::string_view::npos || inner.size() < first_mark + 3 ||
      inner[first_mark + 2] != '?') {
    return std::nullopt;
  }
  std::string_view name = inner.substr(0, first_mark);
  name = name.substr(0, name.find('*'));  // a language suffix is ignored
  const CharsetId charset = CharsetIdFromName(name);
  const char letter = inner[first_mark + 1];
  const std::string_view payload = inner.substr(first_mark + 3);
  if (letter == 'B' || letter == 'b') return std::pair(Base64Decode(payload), charset);
  if (letter == 'Q' || letter == 'q') {
    std::string text(payload);
    for (char& c : text) {
      if (c == '_') c = ' ';
    }
    return std::pair(QuotedPrintableDecode(text), charset);
  }
  return std::nullopt;
}

}  // namespace

std::size_t FindInlineWordEnd(std::string_view value, std::size_t start) {
  if (start == 0) return 0;
  int marks = 0;
  // From the byte after "=?" up to the next-to-last byte (0-based start + 1 is 1-based start + 2).
  for (std::size_t i = start + 1; i + 1 < value.size(); ++i) {
    if (value[i] != '?') continue;
    ++marks;
    if (marks >= 3 && value[i + 1] == '=') return i + 1;
  }
  return 0;
}

std::string DecodeInlineWordsWith(std::string_view value, const InlineTextDecoder& decode) {
  std::string result;
  result.reserve(value.size());
  std::size_t rest = 0;  // where the undecoded rest of the value begins
  for (;;) {
    const std::size_t word_start = value.find("=?", rest);
    if (word_start == std::string_view::npos) break;
    const std::size_t end_mark = FindInlineWordEnd(value, word_start + 1);
    if (end_mark == 0) break;
    const std::string_view gap = value.substr(rest, word_start - rest);
    if (!Trim(gap).empty()) result += decode.text(gap);  // blanks between two words disappear
    const std::size_t word_end = end_mark + 1;           // 0-based, just past the closing "="
    const std::string_view word = value.substr(word_start, word_end - word_start);
    if (const auto read = ReadWord(word)) {
      result += decode.word(read->first, read->second);
    } else {
      result += decode.text(word);
    }
    rest = word_end;
  }
  result += decode.text(value.substr(rest));
  return result;
}

std::string DecodeInlineWords(std::string_view value, CharsetId target) {
  return DecodeInlineWordsWith(value, {[](std::string_view text) { return std::string(text); },
                                       [target](std::string_view bytes, CharsetId charset) {
                                         return TranscodeText(bytes, charset, target);
                                       }});
}

bool NeedsInlineEncoding(std::string_view value) {
  for (const char c : value) {
    if (kStrictEscapeSet[static_cast<unsigned char>(c)]) return true;
  }
  return false;
}

std::string EncodeInlineWord(std::string_view value, CharsetId source, CharsetId word_charset) {
  const std::string encoded =
      QuotedPrintableEncodeStrict(TranscodeText(value, source, word_charset));
  const std::string name = CharsetNameFromId(word_charset);
  std::string result;
  // Room for the text and the frame of each word (" =?", "?Q?" and "?=" around the name) at
  // once: a long value is not copied over as the words grow.
  constexpr std::size_t kWordFrameLength = 8;
  result.reserve(encoded.size() +
                 (encoded.size() / kWordChunkLength + 1) * (name.size() + kWordFrameLength));
  std::string chunk;
  const auto flush = [&] {
    if (!result.empty()) result += ' ';
    result += "=?";
    result += name;
    result += "?Q?";
    result += chunk;
    result += "?=";
    chunk.clear();
  };
  for (const char c : encoded) {
    if (c == ' ') {
      chunk += '_';
      if (chunk.size() > kWordChunkLength) flush();
    } else {
      chunk += c;
    }
  }
  if (!chunk.empty()) flush();
  return result;
}

std::string EncodeHeaderValue(std::string_view value, CharsetId source) {
  if (!NeedsInlineEncoding(value)) return std::string(value);
  return EncodeInlineWord(value, source,
                          BestRoundTripCharset(value, source, kInlineWordCandidates));
}

std::string EncodeAddress(std::string_view mailbox, CharsetId source) {
  const std::string name = DisplayNameOf(mailbox);
  const std::string address = EmailAddressOf(mailbox);
  if (name.empty()) return address;
  return "\"" + EncodeHeaderValue(name, source) + "\"<" + address + ">";
}

}  // namespace pictolumen
