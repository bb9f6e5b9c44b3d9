#include "charset/transfer_codecs.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "common/text.h"

#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <tmmintrin.h>
#endif

namespace pictolumen {
namespace {

static_assert(kStandardAlphabet.size() == 65 && kModifiedAlphabet.size() == 65);
static_assert(kUUAlphabet.size() == 64 && kXXAlphabet.size() == 64);

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value of a hexadecimal digit (either letter case), or -1.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Index of every byte value in `alphabet` (the first one when it occurs twice), or `missing`.
std::array<std::uint8_t, 256> AlphabetIndex(std::string_view alphabet, std::uint8_t missing) {
  std::array<std::uint8_t, 256> index{};
  index.fill(missing);
  for (std::size_t k = alphabet.size(); k-- > 0;) {
    index[static_cast<unsigned char>(alphabet[k])] = static_cast<std::uint8_t>(k);
  }
  return index;
}

// The number of data characters that carry `n` bytes on a uu or xx line.
std::size_t DataCharacterCount(std::size_t n) {
  std::size_t count = 4 * (n / 3);
  if (n % 3 == 1) count += 2;
  if (n % 3 == 2) count += 3;
  return count;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Shared steps of the uu and xx line decoders.
std::string DecodeLengthPrefixedLine(std::string_view line, std::string_view alphabet,
                                     bool skip_table_lines) {
  const std::string upper = UpperCase(Trim(line));
  if (upper.empty()) return {};
  if (StartsWith(upper, "BEGIN") || StartsWith(upper, "END")) return {};
  if (skip_table_lines && StartsWith(upper, "TABLE")) return {};

  const std::size_t n = alphabet.find(line.front());
  if (n == std::string_view::npos) return {};
  const std::size_t count = DataCharacterCount(n);
  const std::string_view present = line.substr(1, count);
  if (present.empty()) return {};
  std::string data(present);
  data.resize(count, ' ');
  return DecodeSextetsByAlphabet(data, alphabet);
}

}  // namespace

std::string DecodeEscapedTriplets(std::string_view text, char escape) {
  std::string out(text.size(), '\0');
  std::size_t length = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i++];
    if (c != escape) {
      out[length++] = c;
      continue;
    }
    if (text.size() - i < 2) break;
    const char next = text[i];
    if (next == '\n' || next == '\r') {
      const char pair = next == '\n' ? '\r' : '\n';
      ++i;
      if (i < text.size() && text[i] == pair) ++i;
      continue;
    }
    const int high = HexValue(next);
    const int low = HexValue(text[i + 1]);
    if (high >= 0 && low >= 0) {
      out[length++] = static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out[length++] = escape;
    }
  }
  out.resize(length);
  return out;
}

namespace {

void EncodeEscapedTripletsInto(std::string_view bytes, char escape, const ByteSet& escape_set,
                               std::string& out) {
  out.resize(3 * bytes.size());
  char* const start = out.data();
  char* at = start;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (escape_set[byte]) {
      at[0] = escape;
      at[1] = kHexDigits[byte >> 4];
      at[2] = kHexDigits[byte & 15];
      at += 3;
    } else {
      *at++ = c;
    }
  }
  out.resize(static_cast<std::size_t>(at - start));
}

// What each byte becomes in the quoted-printable body form: its length (1 or 3) and its bytes.
// Each byte as QuotedPrintableEncode writes it, padded to four bytes so that it is copied by one
// store, and the number of those bytes that count.
struct EscapedByte {
  char bytes[4];
  std::uint8_t length;
};

constexpr auto kBodyEscapes = [] {
  std::array<EscapedByte, 256> escapes{};
  for (std::size_t byte = 0; byte < 256; ++byte) {
    if (kBodyEscapeSet[byte]) {
      escapes[byte] = {{'=', kHexDigits[byte >> 4], kHexDigits[byte & 15], 0}, 3};
    } else {
      escapes[byte] = {{static_cast<char>(byte), 0, 0, 0}, 1};
    }
  }
  return escapes;
}();

// For the eight bytes of `word`: bit 7 of each byte set where QuotedPrintableEncode escapes that
// byte (below 0x20, "=", 0x7F and above), computed for all eight at once without carries from
// one byte into the next.
constexpr std::uint64_t EscapedBytesOf(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = kOnes * 0x80;
  const std::uint64_t low7 = word & ~kHigh;
  const std::uint64_t below_space = ~(low7 + kOnes * (0x80 - 0x20)) & kHigh;
  const std::uint64_t is_delete = (low7 + kOnes) & kHigh;
  const std::uint64_t xored = word ^ (kOnes * '=');
  const std::uint64_t is_equals = ~(((xored & ~kHigh) + ~kHigh) | xored) & kHigh;
  return (word & kHigh) | below_space | is_delete | is_equals;
}

std::uint64_t WordAt(const char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

}  // namespace

std::string EncodeEscapedTriplets(std::string_view bytes, char escape, const ByteSet& escape_set) {
  std::string out;
  EncodeEscapedTripletsInto(bytes, escape, escape_set, out);
  return out;
}

std::string EncodeSextets(std::string_view bytes, std::string_view alphabet) {
  std::string out;
  out.reserve(4 * ((bytes.size() + 2) / 3));
  const auto put = [&](unsigned symbol) {
    if (symbol < alphabet.size()) out += alphabet[symbol];
  };
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t group = bytes.size() - i < 3 ? bytes.size() - i : 3;
    const unsigned b0 = static_cast<unsigned char>(bytes[i]);
    const unsigned b1 = group > 1 ? static_cast<unsigned char>(bytes[i + 1]) : 0u;
    const unsigned b2 = group > 2 ? static_cast<unsigned char>(bytes[i + 2]) : 0u;
    put(b0 >> 2);
    put(((b0 & 3u) << 4) | (b1 >> 4));
    put(group > 1 ? ((b1 & 15u) << 2) | (b2 >> 6) : 64u);
    put(group > 2 ? b2 & 63u : 64u);
  }
  return out;
}

std::string DecodeSextetsByAlphabet(std::string_view text, std::string_view alphabet) {
  const std::array<std::uint8_t, 256> index = AlphabetIndex(alphabet, 0);
  const auto symbol = [&](std::size_t at) -> unsigned {
    return at < text.size() ? index[static_cast<unsigned char>(text[at])] : 64u;
  };
  std::string out(text.size(), '\0');
  std::size_t length = 0;
  for (std::size_t x = 0; x < text.size(); x += 4) {
    const unsigned d0 = symbol(x), d1 = symbol(x + 1), d2 = symbol(x + 2), d3 = symbol(x + 3);
    out[length++] = static_cast<char>(((d0 & 63u) << 2) | ((d1 & 0x30u) >> 4));
    if (d2 == 64) continue;
    out[length++] = static_cast<char>(((d1 & 15u) << 4) | ((d2 & 0x3Cu) >> 2));
    if (d3 == 64) continue;
    out[length++] = static_cast<char>(((d2 & 3u) << 6) | (d3 & 63u));
  }
  out.resize(length);
  return out;
}

std::string DecodeSextetsByTable(std::string_view text, const InverseTable& table) {
  std::array<std::uint8_t, 256> value_of;
  value_of.fill(64);
  for (unsigned byte = 0x21; byte <= 0x7F; ++byte) value_of[byte] = table[byte - 0x21];
  std::string out(text.size(), '\0');
  std::size_t length = 0;
  std::uint32_t accumulator = 0;
  int missing = 4;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    // Four characters of the alphabet in a row, the common case, give three bytes at once.
    if (missing == 4 && i + 4 <= text.size()) {
      const unsigned a = value_of[bytes[i]], b = value_of[bytes[i + 1]],
                     c = value_of[bytes[i + 2]], d = value_of[bytes[i + 3]];
      if ((a | b | c | d) < 64) {
        out[length++] = static_cast<char>(a << 2 | b >> 4);
        out[length++] = static_cast<char>((b & 0xF) << 4 | c >> 2);
        out[length++] = static_cast<char>((c & 0x3) << 6 | d);
        i += 4;
        continue;
      }
    }
    const unsigned value = value_of[bytes[i++]];
    if (value > 63) continue;
    accumulator = (accumulator << 6) | value;
    if (--missing == 0) {
      out[length++] = static_cast<char>(accumulator >> 16);
      out[length++] = static_cast<char>(accumulator >> 8);
      out[length++] = static_cast<char>(accumulator);
      accumulator = 0;
      missing = 4;
    }
  }
  if (missing == 1) {
    accumulator >>= 2;
    out[length++] = static_cast<char>(accumulator >> 8);
    out[length++] = static_cast<char>(accumulator);
  } else if (missing == 2) {
    accumulator >>= 4;
    out[length++] = static_cast<char>(accumulator);
  }
  out.resize(length);
  return out;
}

std::string QuotedPrintableDecode(std::string_view text) {
  return DecodeEscapedTriplets(text, '=');
}

std::string QuotedPrintableEncode(std::string_view bytes) {
  std::string out(3 * bytes.size() + 3, '\0');
  out.resize(static_cast<std::size_t>(QuotedPrintableEncodeTo(bytes, out.data()) - out.data()));
  return out;
}

namespace {

#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define PICTOLUMEN_QP_SHUFFLES 1

// Where the processor has SSSE3, sixteen bytes are quoted-printable encoded at a time by byte
// shuffles. Each half of eight bytes is put together from two registers, `plain` (the eight
// bytes, then their high hexadecimal digits) and `escape` (their low digits, then "=" eight
// times), by one shuffle of each per sixteen output bytes; the shuffles of a half follow from
// which of its bytes are escaped, one table entry for each of the 256 cases.
struct EscapeShuffle {
  std::array<std::uint8_t, 16> first_from_plain;
  std::array<std::uint8_t, 16> first_from_escape;
  std::array<std::uint8_t, 8> rest_from_plain;
  std::array<std::uint8_t, 8> rest_from_escape;
  std::uint8_t length;  // of the encoded half: 8 and 2 for each escaped byte
};

constexpr auto kEscapeShuffles = [] {
  constexpr std::uint8_t kZero = 0x80;  // a shuffle index that gives a zero byte
  std::array<EscapeShuffle, 256> shuffles{};
  for (unsigned mask = 0; mask < 256; ++mask) {
    std::array<std::uint8_t, 24> from_plain{};
    std::array<std::uint8_t, 24> from_escape{};
    from_plain.fill(kZero);
    from_escape.fill(kZero);
    std::size_t at = 0;
    for (std::uint8_t k = 0; k < 8; ++k) {
      if ((mask >> k & 1) == 0) {
        from_plain[at++] = k;
        continue;
      }
      from_escape[at++] = 8;     // "="
      from_plain[at++] = 8 + k;  // high digit
      from_escape[at++] = k;     // low digit
    }
    EscapeShuffle& shuffle = shuffles[mask];
    shuffle.length = static_cast<std::uint8_t>(at);
    for (std::size_t j = 0; j < 16; ++j) {
      shuffle.first_from_plain[j] = from_plain[j];
      shuffle.first_from_escape[j] = from_escape[j];
    }
    for (std::size_t j = 0; j < 8; ++j) {
      shuffle.rest_from_plain[j] = from_plain[16 + j];
      shuffle.rest_from_escape[j] = from_escape[16 + j];
    }
  }
  return shuffles;
}();

const bool kHasSsse3 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3") != 0;
}();

// Writes the encoded half `mask` says of (bit k set where byte k is escaped) at `out`, 24 bytes
// whatever its length, and returns its end.
__attribute__((target("ssse3"))) inline char* EncodeHalf(__m128i plain, __m128i escape,
                                                         unsigned mask, char* out) {
  const EscapeShuffle& shuffle = kEscapeShuffles[mask];
  const auto control = [](const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  const auto short_control = [](const std::uint8_t* at) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at));
  };
  const __m128i first =
      _mm_or_si128(_mm_shuffle_epi8(plain, control(shuffle.first_from_plain.data())),
                   _mm_shuffle_epi8(escape, control(shuffle.first_from_escape.data())));
  const __m128i rest =
      _mm_or_si128(_mm_shuffle_epi8(plain, short_control(shuffle.rest_from_plain.data())),
                   _mm_shuffle_epi8(escape, short_control(shuffle.rest_from_escape.data())));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), first);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), rest);
  return out + shuffle.length;
}

// Encodes whole blocks of sixteen bytes from `in` on, advancing it, and returns the end of what
// it wrote. A block read from input offset k was written from output offset 3k at most, and
// writes 48 bytes past it at most, within the room of 3 * size + 3 bytes.
__attribute__((target("ssse3"))) char* QuotedPrintableEncodeBlocks(const char*& in, const char* end,
                                                                   char* out) {
  const __m128i digits = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kHexDigits));
  const __m128i equals = _mm_set1_epi8('=');
  const __m128i nibble = _mm_set1_epi8(0x0F);
  for (; end - in >= 16; in += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    // Below 0x20 or from 0x80 on (negative when compared as signed), 0x7F, or "=".
    const __m128i escaped = _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)),
                                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8(0x7F))),
                                         _mm_cmpeq_epi8(bytes, equals));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(escaped));
    if (mask == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
      out += 16;
      continue;
    }
    const __m128i high = _mm_shuffle_epi8(digits, _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble));
    const __m128i low = _mm_shuffle_epi8(digits, _mm_and_si128(bytes, nibble));
    out = EncodeHalf(_mm_unpacklo_epi64(bytes, high), _mm_unpacklo_epi64(low, equals), mask & 0xFF,
                     out);
    out = EncodeHalf(_mm_unpackhi_epi64(bytes, high), _mm_unpackhi_epi64(low, equals), mask >> 8,
                     out);
  }
  return out;
}
#endif

}  // namespace

char* QuotedPrintableEncodeTo(std::string_view bytes, char* out) {
  // Each byte's four output bytes are copied whole from the table, at the place the bytes before
  // it give: one further byte for a plain byte, three for an escaped one; the junk a copy leaves
  // beyond its byte is overwritten by the next, and the last one may reach three bytes past the
  // end, hence the room. Eight bytes are looked at a time: the places of all eight follow from
  // which of them are escaped, so that no copy waits for the one before it, and eight plain
  // bytes are copied at once. Where the processor has SSSE3, whole blocks of sixteen bytes are
  // done by shuffles before that.
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  const char* in = bytes.data();
  const char* const end = in + bytes.size();
#if defined(PICTOLUMEN_QP_SHUFFLES)
  if (kHasSsse3) out = QuotedPrintableEncodeBlocks(in, end, out);
#endif
  const auto escaped_byte = [](char c) { return kBodyEscapes[static_cast<unsigned char>(c)]; };
  if constexpr (std::endian::native == std::endian::little) {
    for (; end - in >= 8; in += 8) {
      const std::uint64_t escaped = EscapedBytesOf(WordAt(in)) >> 7;  // 1 in each escaped byte
      if (escaped == 0) {
        std::memcpy(out, in, 8);
        out += 8;
        continue;
      }
      // Byte k of `before` counts the escaped bytes among the first k (the first in memory is
      // the lowest).
      const std::uint64_t before = (escaped * kOnes) << 8;
      const auto copy = [&](auto k) {
        const auto escapes_before = static_cast<std::size_t>((before >> (8 * k)) & 0xFF);
        std::memcpy(out + k + 2 * escapes_before, escaped_byte(in[k]).bytes, 4);
      };
      // The eight copies, written out in order.
      [&]<std::size_t... k>(std::index_sequence<k...>) {
        (copy(std::integral_constant<std::size_t, k>()), ...);
      }
      (std::make_index_sequence<8>());
      out += 8 + 2 * static_cast<std::size_t>((escaped * kOnes) >> 56);
    }
  }
  for (; in != end; ++in) {
    const EscapedByte& escaped = escaped_byte(*in);
    std::memcpy(out, escaped.bytes, 4);
    out += escaped.length;
  }
  return out;
}

QuotedPrintableCount CountQuotedPrintable(std::string_view bytes) {
  // Written as comparisons over blocks of 64 bytes counted in bytes, which compilers turn into
  // vector instructions; a table look-up per byte would not be.
  const auto escaped = [](unsigned char c) -> unsigned char { return IsBodyEscaped(c); };
  const auto line_break = [](unsigned char c) -> unsigned char {
    return (c == '\r') | (c == '\n');
  };
  constexpr std::size_t kBlock = 64;
  const auto* const data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t escapes = 0;
  std::size_t breaks = 0;
  std::size_t i = 0;
  for (; i + kBlock <= bytes.size(); i += kBlock) {
    unsigned char block_escapes = 0;
    unsigned char block_breaks = 0;
    for (std::size_t k = 0; k < kBlock; ++k) {
      block_escapes += escaped(data[i + k]);
      block_breaks += line_break(data[i + k]);
    }
    escapes += block_escapes;
    breaks += block_breaks;
  }
  for (; i < bytes.size(); ++i) {
    escapes += escaped(data[i]);
    breaks += line_break(data[i]);
  }
  return {bytes.size() + 2 * escapes, breaks};
}

std::string QuotedPrintableEncodeStrict(std::string_view bytes) {
  return EncodeEscapedTriplets(bytes, '=', kStrictEscapeSet);
}

std::string Base64Encode(std::string_view bytes) {
  return EncodeSextets(bytes, kStandardAlphabet);
}

std::string Base64Decode(std::string_view text) {
  return DecodeSextetsByTable(text, kBase64InverseTable);
}

std::string ModifiedBase64Encode(std::string_view bytes) {
  return EncodeSextets(bytes, kModifiedAlphabet);
}

std::string ModifiedBase64Decode(std::string_view text) {
  return DecodeSextetsByAlphabet(text, kModifiedAlphabet);
}

std::string UUDecodeLine(std::string_view line) {
  return DecodeLengthPrefixedLine(line, kUUAlphabet, true);
}

std::string XXDecodeLine(std::string_view line) {
  return DecodeLengthPrefixedLine(line, kXXAlphabet, false);
}

}  // namespace pictolumen
