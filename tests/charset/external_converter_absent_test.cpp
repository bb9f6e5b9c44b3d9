// The external converter binding when no library "iconv.dll" can be found, as in the product's
// default installation: every operation degrades and every conversion is built in.
#include <gtest/gtest.h>

#include "charset/charset_conversion.h"
#include "charset/external_converter.h"

namespace pictolumen {
namespace {

TEST(ExternalConverterAbsent, EveryOperationDegradesAndLoadingIsRetried) {
  EXPECT_FALSE(LoadExternalConverter());
  EXPECT_FALSE(ExternalConverterLoaded());
  EXPECT_FALSE(LoadExternalConverter());  // nothing is remembered, nothing is found later

  ConverterHandle handle = ExternalOpenIgnore("UCS-2BE", "CP932");
  EXPECT_EQ(handle, kNoConverter);
  EXPECT_EQ(ExternalOpenTranslit("ISO-2022-JP", "UCS-2BE"), kNoConverter);
  EXPECT_EQ(ExternalOpen("UTF-8", "ISO-8859-1"), kNoConverter);
  EXPECT_EQ(ExternalClose(handle), 0);
  EXPECT_EQ(handle, kNoConverter);

  std::size_t consumed = 99;
  EXPECT_EQ(ExternalConvert(handle, "abc", &consumed), "");
  EXPECT_EQ(consumed, 0u);
  EXPECT_EQ(ExternalConvert(1234, "abc", &consumed), "");  // no library, no entry point

  ConverterHandle stale = 1234;
  EXPECT_EQ(ExternalClose(stale), -1);
  EXPECT_EQ(stale, kNoConverter);
  EXPECT_TRUE(UnloadExternalConverter());
}

TEST(ExternalConverterAbsent, ConversionsTakeTheBuiltInPath) {
  const std::string sjis = "abc\x93\xFA\x96\x7B";  // abc日本
  EXPECT_EQ(TranscodeText(sjis, csCP932, csISO_2022_JP), sjis);
  EXPECT_EQ(TranscodeText("\xE2\x80\xA6", csUTF_8, csISO_8859_15), "_");  // no transliteration
  EXPECT_EQ(TranscodeText("\xA4", csISO_8859_15, csUTF_8), "\xE2\x82\xAC");
  const CharsetSet header_sets{csISO_8859_1, csISO_8859_5, csKOI8_R, csISO_2022_JP, csEUC_KR};
  EXPECT_EQ(BestRoundTripCharset(sjis, csCP932, header_sets), csISO_8859_1);
  EXPECT_EQ(BestRoundTripCharset("\xE6\x97\xA5\xE6\x9C\xAC", csUTF_8, header_sets), csISO_8859_1);
  EXPECT_FALSE(ExternalConverterLoaded());
}

}  // namespace
}  // namespace pictolumen
