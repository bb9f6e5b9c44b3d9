// Byte-string helpers every subsystem shares.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
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

namespace text_detail {

inline std::uint64_t WordAt(const char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// Bit 7 of each byte of the eight bytes of `word` that is a CR or LF, exactly (no carry from one
// byte to the next).
inline std::uint64_t LineBreakBytesOf(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kLow7 = kOnes * 0x7F;
  const auto zero_bytes = [](std::uint64_t bytes) {
    return ~(((bytes & kLow7) + kLow7) | bytes) & ~kLow7;
  };
  return zero_bytes(word ^ (kOnes * '\r')) | zero_bytes(word ^ (kOnes * '\n'));
}

}  // namespace text_detail

// Position of the first CR or LF in `text` at or after `from`; npos when there is none. Eight
// bytes are looked at a time, so long lines are searched fast, and every byte only once.
// FindLineBreak("ab\ncd\r", 0) == 2;  FindLineBreak("ab\ncd\r", 3) == 5
inline std::size_t FindLineBreak(std::string_view text, std::size_t from) {
  std::size_t i = from;
  for (; i + 8 <= text.size(); i += 8) {
    const std::uint64_t breaks =
        text_detail::LineBreakBytesOf(text_detail::WordAt(text.data() + i));
    if (breaks == 0) continue;
    // The first byte in memory is the lowest of a little-endian word, the highest otherwise.
    const int bit = std::endian::native == std::endian::little ? std::countr_zero(breaks)
                                                               : std::countl_zero(breaks);
    return i + static_cast<std::size_t>(bit / 8);
  }
  for (; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') return i;
  }
  return std::string_view::npos;
}

}  // namespace pictolumen
