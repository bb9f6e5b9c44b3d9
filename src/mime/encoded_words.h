// Encoded words in header values: "=?" charset "?" letter "?" encoded-text "?=", where the letter
// is B (base64) or Q (a quoted-printable form with "_" for the space). Values are decoded into a
// chosen character set, and plain values holding unsafe bytes are written as Q words (B words
// are read, never written). Positions are 1-based, 0 meaning "not found". Nothing here throws.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "charset/charset_names.h"

namespace pictolumen {

// The character sets among which EncodeHeaderValue chooses the one to write.
inline constexpr CharsetSet kInlineWordCandidates{
    csISO_8859_1,  csISO_8859_2, csISO_8859_3, csISO_8859_4,  csISO_8859_5, csISO_8859_6,
    csISO_8859_7,  csISO_8859_8, csISO_8859_9, csISO_8859_10, csKOI8_R,     csKOI8_U,
    csISO_2022_JP, csGB2312,     csEUC_TW,     csEUC_KR};

// The position of the "?" of the "?=" that closes the word whose "=?" stands at `start`: the
// first "?" followed by "=" that is at least the third "?" after the opening "=?"; 0 if none.
// FindInlineWordEnd("x =?a?B?YQ==?= y", 3) == 13;  FindInlineWordEnd("=?a?=", 1) == 0
std::size_t FindInlineWordEnd(std::string_view value, std::size_t start);

// `value` with every well-formed encoded word replaced by its text converted to `target`. Text
// between two words that is empty or only blanks is dropped; other text, and words with a
// letter other than B or Q, stay as they are; an "=?" that is never closed leaves the rest of
// the value untouched.
// DecodeInlineWords("Re: =?us-ascii?Q?a_b?= =?us-ascii?B?Yw==?=", csISO_8859_1) == "Re: a bc"
std::string DecodeInlineWords(std::string_view value, CharsetId target);

// How DecodeInlineWordsWith reads the pieces of a value: `text` the text outside encoded words
// (and words with a letter other than B or Q), `word` the bytes of a word in its character set.
struct InlineTextDecoder {
  std::function<std::string(std::string_view text)> text;
  std::function<std::string(std::string_view bytes, CharsetId charset)> word;
};

// DecodeInlineWords with each piece read by `decode`; blanks between two words still disappear.
std::string DecodeInlineWordsWith(std::string_view value, const InlineTextDecoder& decode);

// True when a byte of `value` is a header special (" ( ) , / : ; < = > ? @ [ \ ] _) or outside
// printable ASCII (0 to 31, 127 to 255); the space alone never needs encoding.
bool NeedsInlineEncoding(std::string_view value);

// The whole value, converted from `source` to `word_charset`, as Q words on one line separated
// by single spaces. A word is cut only after the "_" of a space, once it holds more than 32
// characters.  EncodeInlineWord("a=b", csISO_8859_1, csISO_8859_1) == "=?ISO-8859-1?Q?a=3Db?="
std::string EncodeInlineWord(std::string_view value, CharsetId source, CharsetId word_charset);

// The value itself when it needs no encoding, else its Q words in the candidate set that
// carries it best (BestRoundTripCharset over kInlineWordCandidates).
std::string EncodeHeaderValue(std::string_view value, CharsetId source);

// A mailbox for a header: the bare address when the text has no display name, else the encoded
// display name in double quotes directly followed by the address in angle brackets.
// EncodeAddress("Taro <t@example.jp>", csISO_8859_1) == "\"Taro\"<t@example.jp>"
std::string EncodeAddress(std::string_view mailbox, CharsetId source);

}  // namespace pictolumen
