// Byte-string helpers every subsystem shares.
#pragma once

#include <string>
#include <string_view>

namespace pictolumen {

// Removes every byte of value 0x00 to 0x20 from both ends, except the escape byte 0x1B, which
// begins a JIS escape sequence and is never a blank. This is the one trim of the plug-in.
// Trim("  abc\r\n") == "abc";  Trim("\x1b$B...\x1b(B ") == "\x1b$B...\x1b(B"
std::string Trim(std::string_view text);

// ASCII upper and lower case; every other byte is kept (Shift_JIS trail bytes included).
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

// Byte comparison with ASCII letter case ignored: <0, 0 or >0.
int CompareIgnoringCase(std::string_view a, std::string_view b);

}  // namespace pictolumen

namespace pictolumen {

// True for the first byte of a Shift_JIS two-byte character (0x81 to 0x9F, 0xE0 to 0xFC).
constexpr bool IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Position of the first CR or LF in `text` at or after `from`; npos when there is none. One
// comparison per byte (std::string_view::find_first_of calls memchr once per byte).
// FindLineBreak("ab\ncd\r", 0) == 2;  FindLineBreak("ab\ncd\r", 3) == 5
inline std::size_t FindLineBreak(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') return i;
  }
  return std::string_view::npos;
}

}  // namespace pictolumen
