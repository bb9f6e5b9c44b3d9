// Turning a Japanese mail text into HTML text in which every emoji of the carrier is a picture
// from the image cache folder and everything else is shown as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "emoji/carrier.h"

namespace pictolumen {

// The size limit of markup that has none.
inline constexpr std::size_t kNoSizeLimit = SIZE_MAX;

// Where a page's pictures are: the folder they are copied into (ending in a path separator) and
// the address the page refers to that folder by ("file:///tmp/_AE.tmp/", or "pictures/").
struct PictureFolder {
  std::string path;
  std::string address;
};

// How a text's pictographs are read and shown.
struct EmojiReading {
  Carrier carrier = Carrier::kAu;         // whose codes the text's private-use characters are
  std::optional<PictureFolder> pictures;  // none: the image cache folder, by its file address
  std::size_t size_limit = kNoSizeLimit;  // the most markup one text may grow to
  // False for text of no carrier: no code is read as a pictograph, and every private-use
  // character becomes a numeric character reference.
  bool pictographs = true;
};

// `text` with &, <, > and " written as &amp;, &lt;, &gt; and &quot;, and a zero byte as &#65533;
// (the replacement character); every other byte kept.
// EscapeHtml("<a href=\"x\">&") == "&lt;a href=&quot;x&quot;&gt;&amp;"
std::string EscapeHtml(std::string_view text);

// Converts `text` (7-bit JIS with escape sequences, or Shift_JIS, which passes unchanged) to
// Shift_JIS and replaces every two-byte character found in au's emoji table chosen by
// `transfer_encoding` (see ExtractEmojiTable) with
//   <img src="file://<cache folder><number>.gif" alt="<name>">
// (the address and folder of `pictures` where given)
// making sure the picture file exists. Every other byte is escaped as text by EscapeHtml, the
// second byte of a two-byte character included; a lead byte at the very end is kept as it is.
// Lead bytes are those of Shift_JIS, 0x81-0x9F and 0xE0-0xFC. The table is read from its cache
// file at every call; the first row of a code wins. Raises the errors of ExtractEmojiTable,
// EnsureEmojiImage and ReadCsvColumns (ListIndexError for a row with fewer than three fields).
// A long text is done in two pieces at once, the second on a thread of its own, with the same
// result.
// Raises SizeLimitError, before it is reached, when the markup would grow beyond `size_limit`
// bytes.
// EmojiToHtml("\x1b$Bu:\x1b(B<b>", "7bit") ==
//   "<img src=\"file:///tmp/_AE.tmp/1.gif\" alt=\"\x81\x49\">&lt;b&gt;"   (natively)
std::string EmojiToHtml(std::string_view text, std::string_view transfer_encoding,
                        std::size_t size_limit = kNoSizeLimit,
                        const std::optional<PictureFolder>& pictures = std::nullopt);

class EmojiMarkupWriter;

// The markup of Unicode text for the Shift_JIS page, made piece by piece: the reading's
// carrier's private-use pictographs (see TableCodeOfCodePoint) become the pictures of its table
// (CarrierTableName) as in EmojiToHtml, characters that code page 932 holds are written in it
// and escaped as EscapeHtml does, and every other character, other private-use ones among them,
// becomes a numeric character reference. The table is read once, when the markup is made.
// Raises like EmojiToHtml, SizeLimitError where the markup appended to one text would grow
// beyond the reading's size limit.
class UnicodeEmojiMarkup {
 public:
  explicit UnicodeEmojiMarkup(const EmojiReading& reading = {});
  ~UnicodeEmojiMarkup();
  UnicodeEmojiMarkup(const UnicodeEmojiMarkup&) = delete;
  UnicodeEmojiMarkup& operator=(const UnicodeEmojiMarkup&) = delete;

  // Appends the markup of `text` to `html`; a text cut into pieces anywhere gives the markup of
  // the whole.
  void Append(std::u32string_view text, std::string& html);

 private:
  Carrier carrier_;
  bool pictographs_;
  std::unique_ptr<EmojiMarkupWriter> writer_;
};

// The markup of the whole of `text`, as UnicodeEmojiMarkup makes it.
// UnicodeEmojiToHtml(U"\u3042<\U0001F600") == "\x82\xA0&lt;&#x1F600;"
std::string UnicodeEmojiToHtml(std::u32string_view text, const EmojiReading& reading = {});

// UnicodeEmojiToHtml of UTF-8 text, read a piece at a time (ForEachUtf8Piece).
std::string Utf8EmojiToHtml(std::string_view utf8, const EmojiReading& reading = {});

// The hexadecimal character reference of `c`.  NumericCharacterReference(0x1F600) == "&#x1F600;"
std::string NumericCharacterReference(char32_t c);

}  // namespace pictolumen
