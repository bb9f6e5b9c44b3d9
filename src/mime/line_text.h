// Line helpers shared by the header model and the MIME part's reader and writer (not part of the
// engine's interface).
#pragma once

#include <string_view>

#include "common/text.h"

namespace pictolumen::mime_detail {

inline bool StartsWith(std::string_view text, std::string_view prefix) {
  // Most lines a boundary is looked for in differ at their first byte, which is tested without
  // a call to compare.
  if (prefix.empty()) return true;
  if (text.empty() || text[0] != prefix[0]) return false;
  return text.substr(0, prefix.size()) == prefix;
}

// Calls `take` with every line of `text`, split at CR LF, lone CR or lone LF; a line break at the
// very end adds no empty line. Unlike StringList::SetText, a zero byte is kept as data: decoded
// content may hold one, and quoted-printable writes it as "=00".
template <class Take>
void ForEachLine(std::string_view text, Take&& take) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t stop = FindLineBreak(text, start);
    if (stop == std::string_view::npos) {
      take(text.substr(start));
      return;
    }
    take(text.substr(start, stop - start));
    const bool crlf = text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n';
    start = stop + (crlf ? 2 : 1);
  }
}

}  // namespace pictolumen::mime_detail
