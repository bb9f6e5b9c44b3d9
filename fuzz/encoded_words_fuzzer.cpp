// Encoded header words: decoding any value into any set, and header values and mailboxes
// encoded and decoded again, which must give them back whenever the chosen word set carries
// the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "charset/charset_conversion.h"
#include "charset/text_utils.h"
#include "fuzz_check.h"
#include "mime/encoded_words.h"

using namespace pictolumen;

namespace {

// Whether `text` in `source` survives the way to the set EncodeHeaderValue picks and back.
bool CarriedByWords(std::string_view text, CharsetId source) {
  const CharsetId word = BestRoundTripCharset(text, source, kInlineWordCandidates);
  return TranscodeText(TranscodeText(text, source, word), word, source) == text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto charset = static_cast<CharsetId>(data[0]);
  const std::size_t start = data[1];
  const std::string_view value(reinterpret_cast<const char*>(data) + 2, size - 2);

  const std::size_t end = FindInlineWordEnd(value, start);
  if (end != 0) {
    FUZZ_CHECK(end > start + 1 && end < value.size(), "word end inside the value");
    FUZZ_CHECK(value[end - 1] == '?' && value[end] == '=', "word end at ?=");
  }
  const std::string decoded = DecodeInlineWords(value, charset);
  FUZZ_CHECK(decoded.size() <= 8 * value.size() + 8, "decoded size");
  NeedsInlineEncoding(value);

  const std::string encoded = EncodeHeaderValue(value, charset);
  if (CarriedByWords(value, charset)) {
    FUZZ_CHECK(DecodeInlineWords(encoded, charset) == value, encoded);
  }

  // An address holding a "<" of its own is cut at it when read again; such a text is no mailbox.
  const std::string mailbox = EncodeAddress(value, charset);
  const std::string address = EmailAddressOf(value);
  if (address.find('<') == std::string::npos) {
    FUZZ_CHECK(EmailAddressOf(mailbox) == address, mailbox);
  }
  const std::string name = DisplayNameOf(value);
  if (!name.empty() && CarriedByWords(name, charset)) {
    FUZZ_CHECK(DecodeInlineWords(DisplayNameOf(mailbox), charset) == name, mailbox);
  }
  return 0;
}
