// Quoted-printable text cut into lines: the soft line breaks of a message body, apart from the
// byte codec (transfer_codecs.h) and from any part of a message.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pictolumen {

// Quoted-printable text cut into lines of at most `max_length` characters, the soft line break
// "=" included: a line ends before the last escape or the last space within the limit; a line
// without either takes `max_length` characters plus "=". An empty text gives one empty line.
// 200 letters with 78 give two lines of 78 letters and "=", then one of 44.
std::vector<std::string> CutQuotedPrintableLines(std::string_view text, int max_length);

// Writes text quoted-printable encoded and cut into lines in one pass, without the escaped text
// of a whole line: Append(bytes, out) appends to `out` the lines of
// CutQuotedPrintableLines(QuotedPrintableEncode(bytes), max_length), each followed by "=" and
// CR LF where a soft line break ends it, else by CR LF. Its buffer is kept from one text to the
// next, so that writing line after line allocates only for the longest.
class QuotedPrintableLineWriter {
 public:
  explicit QuotedPrintableLineWriter(int max_length);
  void Append(std::string_view bytes, std::string& out);

 private:
  std::size_t limit_;
  std::string line_;  // the escaped text of the line being made
  std::string cut_;   // the lines cut from it, with their breaks
};

// At least the size of the quoted-printable lines of `text`, each of its lines (split at CR LF,
// lone CR or lone LF) escaped, cut for `max_length` and followed by CR LF; counted without
// encoding.
std::size_t QuotedPrintableLinesSizeBound(std::string_view text, int max_length);

}  // namespace pictolumen
