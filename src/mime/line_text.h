// Line helpers shared by the header model and the MIME part (not part of the engine's interface).
#pragma once

#include <string_view>

namespace pictolumen::mime_detail {

// `text` without the bytes 0x00 to 0x20 at its end, except the escape byte 0x1B: the end-only
// form of Trim (common/text.h), which keeps a JIS escape sequence that ends a line intact.
inline std::string_view WithoutTrailingBlanks(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0) {
    const auto byte = static_cast<unsigned char>(text[end - 1]);
    if (byte > 0x20 || byte == 0x1B) break;
    --end;
  }
  return text.substr(0, end);
}

inline bool StartsWith(std::string_view text, std::string_view prefix) {
  // Most lines a boundary is looked for in differ at their first byte, which is tested without
  // a call to compare.
  if (prefix.empty()) return true;
  if (text.empty() || text[0] != prefix[0]) return false;
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace pictolumen::mime_detail
