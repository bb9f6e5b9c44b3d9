// The external converter path, with the test converter library "iconv.dll" where the binding
// looks for it (natively on the library search path, on Windows beside the test program; the
// product's own default is tested in charsets_tests).
#include "charset/external_converter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "charset/charset_conversion.h"
#include "platform/platform.h"
#include "test_hooks.h"

namespace pictolumen {
namespace {

using namespace std::string_literals;

// The hooks of the loaded test library, reached through a second reference to it by name.
class ConverterHooks {
 public:
  ConverterHooks() : library_(platform::DynamicLibrary::Load("iconv.dll")) {
    if (!library_) return;
    open_log_ = reinterpret_cast<OpenLogHook>(library_->Symbol(ICONV_DLL_OPEN_LOG));
    clear_ = reinterpret_cast<ClearLogHook>(library_->Symbol(ICONV_DLL_CLEAR_LOG));
    convert_calls_ = reinterpret_cast<CallCountHook>(library_->Symbol(ICONV_DLL_CONVERT_CALLS));
    flush_calls_ = reinterpret_cast<CallCountHook>(library_->Symbol(ICONV_DLL_FLUSH_CALLS));
  }
  bool Found() const { return open_log_ && clear_ && convert_calls_ && flush_calls_; }
  std::string OpenLog() const { return open_log_(); }
  void Clear() const { clear_(); }
  long ConvertCalls() const { return convert_calls_(); }
  long FlushCalls() const { return flush_calls_(); }

 private:
  std::unique_ptr<platform::DynamicLibrary> library_;
  OpenLogHook open_log_ = nullptr;
  ClearLogHook clear_ = nullptr;
  CallCountHook convert_calls_ = nullptr;
  CallCountHook flush_calls_ = nullptr;
};

class ExternalConverter : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadExternalConverter()) << "the test converter's folder is not on the search path";
    ASSERT_TRUE(hooks_.Found());
    hooks_.Clear();
  }
  ConverterHooks hooks_;
};

const std::string kSjisNihon = "\x93\xFA\x96\x7B";  // 日本 in Shift_JIS
const std::string kJisNihon = "\x1B$BF|K\\\x1B(B";  // 日本 in ISO-2022-JP
const std::string kUtf8Euro = "\xE2\x82\xAC";

TEST_F(ExternalConverter, IsLoadedByNameOnceAndCanBeUnloadedAndLoadedAgain) {
  EXPECT_TRUE(ExternalConverterLoaded());
  EXPECT_TRUE(UnloadExternalConverter());
  EXPECT_FALSE(ExternalConverterLoaded());
  EXPECT_TRUE(LoadExternalConverter());
  EXPECT_TRUE(ExternalConverterLoaded());
}

TEST_F(ExternalConverter, OpenPassesTheNamesWithTheirSuffixesAndCloseClearsTheHandle) {
  ConverterHandle handle = ExternalOpenTranslit("ISO-2022-JP", "UCS-2BE");
  EXPECT_NE(handle, kNoConverter);
  EXPECT_EQ(ExternalClose(handle), 0);
  EXPECT_EQ(handle, kNoConverter);
  handle = ExternalOpenIgnore("UCS-2BE", "CP932");
  EXPECT_NE(handle, kNoConverter);
  EXPECT_EQ(ExternalClose(handle), 0);
  handle = ExternalOpen("NO-SUCH-SET", "UCS-2BE");
  EXPECT_EQ(handle, kNoConverter);
  EXPECT_EQ(ExternalClose(handle), 0);
  EXPECT_EQ(hooks_.OpenLog(),
            "ISO-2022-JP//IGNORE//TRANSLIT<UCS-2BE ok\n"
            "UCS-2BE//IGNORE<CP932 ok\n"
            "NO-SUCH-SET<UCS-2BE refused\n");
}

TEST_F(ExternalConverter, EncodingToIso2022JpEndsInTheInitialShiftState) {
  EXPECT_EQ(TranscodeText(kSjisNihon, csCP932, csISO_2022_JP), kJisNihon);
  EXPECT_EQ(TranscodeText("abc" + kSjisNihon, csCP932, csISO_2022_JP), "abc" + kJisNihon);
  EXPECT_EQ(TranscodeText(kSjisNihon + "\r\n" + kSjisNihon, csCP932, csISO_2022_JP),
            "\x1B$BF|K\\\x1B(B\r\n" + kJisNihon);
  EXPECT_EQ(hooks_.OpenLog(),
            "UCS-2BE//IGNORE<CP932 ok\nISO-2022-JP//IGNORE//TRANSLIT<UCS-2BE ok\n"
            "UCS-2BE//IGNORE<CP932 ok\nISO-2022-JP//IGNORE//TRANSLIT<UCS-2BE ok\n"
            "UCS-2BE//IGNORE<CP932 ok\nISO-2022-JP//IGNORE//TRANSLIT<UCS-2BE ok\n");
  EXPECT_EQ(hooks_.FlushCalls(), 6);  // one after each conversion call
}

TEST_F(ExternalConverter, NoSetsKeepTheirBytesWhileTheLibraryIsThere) {
  EXPECT_FALSE(TranscodeKeepsBytes(csCP932, csISO_2022_JP));
  EXPECT_TRUE(TranscodeKeepsBytes(csCP932, csCP932));
}

TEST_F(ExternalConverter, DecodesAndEncodesThroughTheLibrary) {
  EXPECT_EQ(TranscodeText(kJisNihon, csISO_2022_JP, csCP932), kSjisNihon);
  EXPECT_EQ(TranscodeText("a" + kJisNihon + "b", csISO_2022_JP, csUTF_8),
            "a\xE6\x97\xA5\xE6\x9C\xAC"
            "b");
  EXPECT_EQ(TranscodeText(kUtf8Euro + "x", csUTF_8, csISO_8859_15), "\xA4x");
  EXPECT_EQ(TranscodeText("\xA4x", csISO_8859_15, csUTF_8), kUtf8Euro + "x");
  EXPECT_EQ(hooks_.OpenLog(),
            "UCS-2BE//IGNORE<ISO-2022-JP ok\nCP932//IGNORE//TRANSLIT<UCS-2BE ok\n"
            "UCS-2BE//IGNORE<ISO-2022-JP ok\nUTF-8//IGNORE//TRANSLIT<UCS-2BE ok\n"
            "UCS-2BE//IGNORE<UTF-8 ok\nISO-8859-15//IGNORE//TRANSLIT<UCS-2BE ok\n"
            "UCS-2BE//IGNORE<ISO-8859-15 ok\nUTF-8//IGNORE//TRANSLIT<UCS-2BE ok\n");
  EXPECT_EQ(hooks_.ConvertCalls(), 8);
}

TEST_F(ExternalConverter, EachStageFallsBackToTheBuiltInPathOnItsOwn) {
  // "CP-895" is refused, so decoding is built in while encoding goes through the library.
  EXPECT_EQ(TranscodeText("\x80", csCP895, csUTF_8), "\xC4\x8C");
  EXPECT_EQ(TranscodeText("\xC4\x8C", csUTF_8, csCP895), "\x80");
  EXPECT_EQ(hooks_.OpenLog(),
            "UCS-2BE//IGNORE<CP-895 refused\nUTF-8//IGNORE//TRANSLIT<UCS-2BE ok\n"
            "UCS-2BE//IGNORE<UTF-8 ok\nCP-895//IGNORE//TRANSLIT<UCS-2BE refused\n");
  // UCS-2 sources never ask the library to decode.
  hooks_.Clear();
  EXPECT_EQ(TranscodeText("\x65\xE5", csUCS_2, csUTF_8), "\xE6\x97\xA5");
  EXPECT_EQ(hooks_.OpenLog(), "UTF-8//IGNORE//TRANSLIT<UCS-2BE ok\n");
}

TEST_F(ExternalConverter, Utf7OutputLosesTheHyphenAddedToCloseTheLastRun) {
  const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";  // 日本 in UTF-8
  for (const std::string& text : {nihon, "a" + nihon, nihon + "-", "a+b"s}) {
    hooks_.Clear();
    const std::string utf7 = TranscodeText(text, csUTF_8, csUTF_7);
    EXPECT_NE(hooks_.OpenLog().find("UNICODE-1-1-UTF-7//IGNORE//TRANSLIT<UCS-2BE ok\n"),
              std::string::npos);
    EXPECT_EQ(Utf7ToUcs2Be(utf7, false), TranscodeText(text, csUTF_8, csUCS_2)) << utf7;
  }
  // The run is closed by one hyphen; the one added after the text is gone again.
  const std::string utf7 = TranscodeText(nihon, csUTF_8, csUTF_7);
  ASSERT_GE(utf7.size(), 2u);
  EXPECT_EQ(utf7.substr(utf7.size() - 1), "-");
  EXPECT_NE(utf7[utf7.size() - 2], '-');
}

TEST_F(ExternalConverter, OutputLargerThanFourTimesTheInputIsNotCut) {
  const std::string text(100000, 'a');
  ConverterHandle handle = ExternalOpen("UTF-32", "ISO-8859-1");
  ASSERT_NE(handle, kNoConverter);
  std::size_t consumed = 0;
  const std::string wide = ExternalConvert(handle, text, &consumed);
  ExternalClose(handle);
  EXPECT_EQ(consumed, text.size());
  EXPECT_EQ(wide.size(), 4 + 4 * text.size());  // a byte order mark and four bytes each

  handle = ExternalOpen("ISO-8859-1", "UTF-32");
  ASSERT_NE(handle, kNoConverter);
  EXPECT_EQ(ExternalConvert(handle, wide, &consumed), text);
  EXPECT_EQ(consumed, wide.size());
  ExternalClose(handle);

  handle = ExternalOpen("UTF-32", "ISO-8859-1");
  EXPECT_EQ(ExternalConvert(handle, "a").size(), 8u);
  EXPECT_EQ(ExternalConvert(handle, ""), "");
  ExternalClose(handle);
}

TEST_F(ExternalConverter, ConversionStopsWhereTheLibraryCannotGoOn) {
  // Without "//IGNORE" the library stops at a byte that is no UTF-8.
  ConverterHandle handle = ExternalOpen("ISO-8859-1", "UTF-8");
  ASSERT_NE(handle, kNoConverter);
  std::size_t consumed = 0;
  EXPECT_EQ(ExternalConvert(handle,
                            "ab\xFF"
                            "cd",
                            &consumed),
            "ab");
  EXPECT_EQ(consumed, 2u);
  ExternalClose(handle);
  // With it, the byte is skipped.
  handle = ExternalOpenIgnore("ISO-8859-1", "UTF-8");
  EXPECT_EQ(ExternalConvert(handle,
                            "ab\xFF"
                            "cd",
                            &consumed),
            "abcd");
  ExternalClose(handle);
  EXPECT_EQ(ExternalConvert(kNoConverter, "abc", &consumed), "");
  EXPECT_EQ(consumed, 0u);
}

TEST_F(ExternalConverter, ALibraryThatMiscountsIsNotCalledAgain) {
  // Its counts claim 4 bytes of input more than it had and 4 bytes more output room: trusted,
  // they would send the next call far beyond the input and grow the output without end.
  ConverterHandle handle = ExternalOpen("UCS-2BE", ICONV_DLL_MISCOUNTING);
  ASSERT_NE(handle, kNoConverter);
  std::size_t consumed = 0;
  EXPECT_EQ(ExternalConvert(handle, "abc", &consumed), "");
  EXPECT_EQ(consumed, 3u);
  EXPECT_EQ(hooks_.ConvertCalls(), 1);
  EXPECT_EQ(hooks_.FlushCalls(), 1);
  ExternalClose(handle);
}

TEST_F(ExternalConverter, BestRoundTripCharsetFindsTheJapaneseSet) {
  const CharsetSet header_sets{csISO_8859_1,  csISO_8859_2,  csISO_8859_3, csISO_8859_4,
                               csISO_8859_5,  csISO_8859_6,  csISO_8859_7, csISO_8859_8,
                               csISO_8859_9,  csISO_8859_10, csKOI8_R,     csKOI8_U,
                               csISO_2022_JP, csGB2312,      csEUC_TW,     csEUC_KR};
  EXPECT_EQ(BestRoundTripCharset("abc" + kSjisNihon, csCP932, header_sets), csISO_2022_JP);
  EXPECT_EQ(BestRoundTripCharset("\xE6\x97\xA5\xE6\x9C\xAC", csUTF_8, header_sets), csISO_2022_JP);
  EXPECT_EQ(BestRoundTripCharset("abc", csCP932, header_sets), csISO_8859_1);
  EXPECT_EQ(BestRoundTripCharset(kSjisNihon, csCP932, CharsetSet{}), csISO_8859_1);
}

TEST_F(ExternalConverter, ThreadsConvertingAtOnceShareOneLoad) {
  UnloadExternalConverter();
  std::vector<std::string> results(4);
  std::vector<std::thread> threads;
  for (std::string& result : results) {
    threads.emplace_back([&result] {
      for (int i = 0; i < 50; ++i) result = TranscodeText(kSjisNihon, csCP932, csISO_2022_JP);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& result : results) EXPECT_EQ(result, kJisNihon);
  EXPECT_TRUE(ExternalConverterLoaded());
}

}  // namespace
}  // namespace pictolumen
