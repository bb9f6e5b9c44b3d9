// Code page 932 both ways and the Unicode forms checked against the C library's iconv.
#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <string>

#include "charset/unicode_text.h"
#include "common/text.h"

namespace pictolumen {
namespace {

using namespace std::string_view_literals;

// One iconv conversion, reused for many inputs.
class SystemConverter {
 public:
  SystemConverter(const char* target, const char* source) : handle_(iconv_open(target, source)) {}
  ~SystemConverter() {
    if (IsOpen()) iconv_close(handle_);
  }
  SystemConverter(const SystemConverter&) = delete;
  SystemConverter& operator=(const SystemConverter&) = delete;
  bool IsOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // The output up to the first input byte refused; `complete` when nothing was.
  std::string Convert(std::string_view input, bool& complete) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    std::string output(4 * input.size() + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t in_left = input.size();
    char* out = output.data();
    std::size_t out_left = output.size();
    complete = iconv(handle_, &in, &in_left, &out, &out_left) != static_cast<std::size_t>(-1);
    output.resize(output.size() - out_left);
    return output;
  }

 private:
  iconv_t handle_;
};

std::u32string FromUtf32Le(std::string_view bytes) {
  std::u32string text;
  for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
    char32_t c = 0;
    for (std::size_t k = 4; k-- > 0;) c = c << 8 | static_cast<std::uint8_t>(bytes[i + k]);
    text += c;
  }
  return text;
}

std::string Utf32Le(char32_t c) {
  return {static_cast<char>(c), static_cast<char>(c >> 8), static_cast<char>(c >> 16), '\0'};
}

// Where iconv takes all of `bytes`, the same code points; where it refuses a sequence, the same
// code points before it and U+FFFD for it. Returns whether iconv took all.
bool ExpectAgreesWithIconv(SystemConverter& to_utf32, std::string_view bytes, CharsetId id) {
  bool complete = false;
  const std::u32string expected = FromUtf32Le(to_utf32.Convert(bytes, complete));
  const std::u32string decoded = DecodeToUnicode(bytes, id);
  if (complete) {
    EXPECT_EQ(decoded, expected) << testing::PrintToString(bytes);
  } else {
    EXPECT_EQ(decoded.substr(0, expected.size() + 1), expected + U'\uFFFD')
        << testing::PrintToString(bytes);
  }
  return complete;
}

TEST(Cp932, EveryCodeDecodesAsIconvReadsIt) {
  SystemConverter to_utf32("UTF-32LE", "CP932");
  ASSERT_TRUE(to_utf32.IsOpen());
  for (unsigned code = 0; code <= 0xFCFF; ++code) {
    const bool single = code < 0x100;
    if (!single && !IsSjisLeadByte(static_cast<unsigned char>(code >> 8))) continue;
    const std::string bytes =
        single ? std::string(1, static_cast<char>(code))
               : std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    bool complete = false;
    const std::u32string expected = FromUtf32Le(to_utf32.Convert(bytes, complete));
    EXPECT_EQ(UnicodeFromCp932(code), complete ? expected.at(0) : kReplacementCharacter) << code;
    ExpectAgreesWithIconv(to_utf32, bytes, csCP932);
  }
}

TEST(Cp932, EveryBmpCodePointEncodesAsIconvWritesIt) {
  SystemConverter to_cp932("CP932", "UTF-32LE");
  SystemConverter to_utf32("UTF-32LE", "CP932");
  int one_way = 0;
  for (char32_t c = 0; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    bool complete = false;
    const std::string code = to_cp932.Convert(Utf32Le(c), complete);
    int expected = 0;
    for (const char byte : code) expected = expected << 8 | static_cast<std::uint8_t>(byte);
    // iconv writes a few look-alikes (U+00A5 as 0x5C) that do not read back as the character.
    bool back_complete = false;
    if (complete && FromUtf32Le(to_utf32.Convert(code, back_complete)) != std::u32string(1, c)) {
      expected = kNoCp932Code;
      ++one_way;
    }
    EXPECT_EQ(Cp932FromUnicode(c), complete ? expected : kNoCp932Code)
        << std::hex << static_cast<std::uint32_t>(c);
  }
  EXPECT_EQ(one_way, 9);
  EXPECT_EQ(Cp932FromUnicode(U'\U0001F600'), kNoCp932Code);
  EXPECT_EQ(Cp932FromUnicode(0x110000 + U'A'), kNoCp932Code);
}

// EUC-JP-MS is EUC-JP as Windows reads it: JIS X 0208 through CP932, the rows 0x75-0x7E as the
// user-defined area. Every pair and half-width katakana; the same pairs in ISO-2022-JP.
TEST(JisPairs, DecodeAsIconvReadsEucJpMs) {
  SystemConverter to_utf32("UTF-32LE", "EUC-JP-MS");
  ASSERT_TRUE(to_utf32.IsOpen());
  for (unsigned first = 0x8E; first <= 0xFE; ++first) {
    for (unsigned second = 0xA1; second <= 0xFE; ++second) {
      if (first < 0xA1 && (first != 0x8E || second > 0xDF)) continue;
      const std::string euc{static_cast<char>(first), static_cast<char>(second)};
      if (!ExpectAgreesWithIconv(to_utf32, euc, csEUC_JP) || first == 0x8E) continue;
      const std::string jis =
          "\x1B$B" + std::string{static_cast<char>(first & 0x7F), static_cast<char>(second & 0x7F)};
      EXPECT_EQ(DecodeToUnicode(jis, csISO_2022_JP), DecodeToUnicode(euc, csEUC_JP));
    }
  }
}

TEST(Utf, EveryCodePointDecodesAsIconvWritesIt) {
  std::string all;
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c < 0xD800 || c > 0xDFFF) all += Utf32Le(c);
  }
  const struct {
    CharsetId id;
    const char* name;
  } forms[] = {{csUTF_8, "UTF-8"},
               {csUTF_16, "UTF-16BE"},
               {csUTF_16LE, "UTF-16LE"},
               {csUCS_4, "UCS-4BE"},
               {csUCS_4LE, "UCS-4LE"}};
  for (const auto& form : forms) {
    SystemConverter to_form(form.name, "UTF-32LE");
    bool complete = false;
    const std::string encoded = to_form.Convert(all, complete);
    ASSERT_TRUE(complete) << form.name;
    EXPECT_TRUE(DecodeToUnicode(encoded, form.id) == FromUtf32Le(all)) << form.name;
    if (form.id == csUTF_8) {
      EXPECT_TRUE(Utf8FromUnicode(FromUtf32Le(all)) == encoded);
    }
  }
}

// Random texts of pieces that begin, continue or break sequences, each read from every position.
// No two pieces form a byte order mark, which iconv would read as a character.
TEST(Utf, MalformedTextsDecodeAsIconvUpToTheirFirstFault) {
  const struct {
    CharsetId id;
    const char* name;
    std::string_view pieces[12];
  } forms[] = {
      {csUTF_8,
       "UTF-8",
       {"A", "\x7F", "\x80", "\x9F", "\xBF", "\xC1", "\xC2", "\xE0", "\xED", "\xF0", "\xF4",
        "\xF5"}},
      {csUTF_16LE,
       "UTF-16LE",
       {"A\0"sv, "\xE9\0"sv, "\0\xD8"sv, "\xFF\xDB", "\0\xDC"sv, "\xFF\xDF", "\x3D\xD8", "\0\xDE"sv,
        "\xFD\xFF", "\0N"sv, "\xFF", "\0"sv}},
  };
  std::mt19937 random(932);
  for (const auto& form : forms) {
    SystemConverter to_utf32("UTF-32LE", form.name);
    int faulty = 0;
    for (int n = 0; n < 4000; ++n) {
      std::string text;
      for (int k = random() % 8; k >= 0; --k) text += form.pieces[random() % 12];
      for (std::size_t start = 0; start < text.size(); ++start) {
        faulty += !ExpectAgreesWithIconv(to_utf32, std::string_view(text).substr(start), form.id);
      }
    }
    EXPECT_GT(faulty, 4000) << form.name;
  }
}

}  // namespace
}  // namespace pictolumen
