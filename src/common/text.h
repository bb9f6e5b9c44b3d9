// Byte-string helpers every subsystem shares.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pictolumen {

// Removes every byte of value 0x00 to 0x20 from both ends, except the escape byte 0x1B, which
// begins a JIS escape sequence and is never a blank. This is the one trim of the plug-in.
// Trim("  abc\r\n") == "abc";  Trim("\x1b$B...\x1b(B ") == "\x1b$B...\x1b(B"
std::string Trim(std::string_view text);
// The end-only form of Trim, as a view: a JIS escape sequence that ends a line stays intact.
inline std::string_view WithoutTrailingBlanks(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0) {
    const auto byte = static_cast<unsigned char>(text[end - 1]);
    if (byte > 0x20 || byte == 0x1B) break;
    --end;
  }
  return text.substr(0, end);
}

// ASCII upper and lower case; every other byte is kept (Shift_JIS trail bytes included).
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

// Byte comparison with ASCII letter case ignored: <0, 0 or >0.
int CompareIgnoringCase(std::string_view a, std::string_view b);

// Every occurrence of `pattern` in `source`, found left to right without overlap and with
// letter case significant, replaced by `replacement`; inserted text is not searched again; an
// empty pattern finds nothing. Byte-wise, so a one-byte pattern can match a Shift_JIS trail byte.
// ReplaceAll("aaa", "aa", "b") == "ba";  ReplaceAll("{Body}{Body}", "{Body}", "X") == "XX"
std::string ReplaceAll(std::string_view source, std::string_view pattern,
                       std::string_view replacement);

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

// Bit 7 of each byte of the eight bytes of `word` that is zero, exactly (no carry from one byte
// to the next).
inline std::uint64_t ZeroBytesOf(std::uint64_t word) {
  constexpr std::uint64_t kLow7 = 0x0101010101010101u * 0x7F;
  return ~(((word & kLow7) + kLow7) | word) & ~kLow7;
}

// Position of the first of the bytes `kBytes` in `text` at or after `from`; npos when there is
// none. Sixteen bytes are compared at a time where the processor has vector instructions, else
// eight as one word.
template <char... kBytes>
std::size_t FindFirstOf(std::string_view text, std::size_t from) {
  std::size_t i = from;
#if defined(__SSE2__)
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const int found = _mm_movemask_epi8((_mm_cmpeq_epi8(chunk, _mm_set1_epi8(kBytes)) | ...));
    if (found != 0)
      return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(found)));
  }
#endif
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  for (; i + 8 <= text.size(); i += 8) {
    const std::uint64_t word = WordAt(text.data() + i);
    const std::uint64_t found =
        (ZeroBytesOf(word ^ (kOnes * static_cast<unsigned char>(kBytes))) | ...);
    if (found == 0) continue;
    // The first byte in memory is the lowest of a little-endian word, the highest otherwise.
    const int bit = std::endian::native == std::endian::little ? std::countr_zero(found)
                                                               : std::countl_zero(found);
    return i + static_cast<std::size_t>(bit / 8);
  }
  for (; i < text.size(); ++i) {
    if (((text[i] == kBytes) || ...)) return i;
  }
  return std::string_view::npos;
}

}  // namespace text_detail

// Position of the first CR or LF in `text` at or after `from`; npos when there is none. Many
// bytes are looked at a time, so long lines are searched fast, and every byte only once.
// FindLineBreak("ab\ncd\r", 0) == 2;  FindLineBreak("ab\ncd\r", 3) == 5
inline std::size_t FindLineBreak(std::string_view text, std::size_t from) {
  return text_detail::FindFirstOf<'\r', '\n'>(text, from);
}

// FindLineBreak that stops at a zero byte too, for texts that end at one.
// FindLineEnd("ab\0c\n", 0) == 2
inline std::size_t FindLineEnd(std::string_view text, std::size_t from) {
  return text_detail::FindFirstOf<'\r', '\n', '\0'>(text, from);
}

}  // namespace pictolumen
