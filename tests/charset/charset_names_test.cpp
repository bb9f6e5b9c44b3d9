#include "charset/charset_names.h"

#include <gtest/gtest.h>

namespace pictolumen {
namespace {

TEST(CharsetIdFromName, FindsAnyAliasAsAWholeWordInAnyCase) {
  EXPECT_EQ(CharsetIdFromName("shift_jis"), csSHIFT_JIS);
  EXPECT_EQ(CharsetIdFromName("Shift-JIS"), csSHIFT_JIS);
  EXPECT_EQ(CharsetIdFromName("MS_KANJI"), csSHIFT_JIS);
  EXPECT_EQ(CharsetIdFromName("sjis"), csSHIFT_JIS);
  EXPECT_EQ(CharsetIdFromName("csISO2022JP"), csISO_2022_JP);
  EXPECT_EQ(CharsetIdFromName("iso-2022-jp"), csISO_2022_JP);
  EXPECT_EQ(CharsetIdFromName("UTF-7"), csUTF_7);
  EXPECT_EQ(CharsetIdFromName("csUnicode11UTF7"), csUTF_7);
  EXPECT_EQ(CharsetIdFromName("UCS-4LE"), csUCS_4LE);
  EXPECT_EQ(CharsetIdFromName("unicode-1-1"), csUCS_2);
  EXPECT_EQ(CharsetIdFromName("UTF-32LE"), csUTF_32);
  EXPECT_EQ(CharsetIdFromName("l2"), csISO_8859_2);           // an inner word
  EXPECT_EQ(CharsetIdFromName("csisolatin2"), csISO_8859_2);  // the last word
  EXPECT_EQ(CharsetIdFromName("iso_8859-8"), csISO_8859_8);
  EXPECT_EQ(CharsetIdFromName("koi8-r"), csKOI8_R);
  EXPECT_EQ(CharsetIdFromName("windows-1251"), csCP1251);
  EXPECT_EQ(CharsetIdFromName("852"), csCP852);
  EXPECT_EQ(CharsetIdFromName("EUC-KR"), csEUC_KR);
  EXPECT_EQ(CharsetIdFromName("cp1125"), csCP1125);
  // Names of other sets that the table files under ISO-8859-1.
  EXPECT_EQ(CharsetIdFromName("us-ascii"), csISO_8859_1);
  EXPECT_EQ(CharsetIdFromName("CP850"), csISO_8859_1);
  EXPECT_EQ(CharsetIdFromName("ibm437"), csISO_8859_1);
  // A name that spans words of one alias list is found there too.
  EXPECT_EQ(CharsetIdFromName("UCS-2 CSUNICODE"), csUCS_2);
}

TEST(CharsetIdFromName, UnknownNamesAndPartsOfWordsGiveIso8859_1) {
  EXPECT_EQ(CharsetIdFromName("x-sjis"), csISO_8859_1);
  EXPECT_EQ(CharsetIdFromName(""), csISO_8859_1);
  EXPECT_EQ(CharsetIdFromName("UCS"), csISO_8859_1);
  EXPECT_EQ(CharsetIdFromName("KOI8"), csISO_8859_1);
  EXPECT_EQ(CharsetIdFromName("SHIFT"), csISO_8859_1);
  EXPECT_EQ(CharsetIdFromName(" UTF-8"), csISO_8859_1);
  EXPECT_EQ(CharsetIdFromName("UTF-8 "), csISO_8859_1);
}

TEST(CharsetIdFromName, KamenickyAndModifiedUtf7AreRecognisedAnywhereInTheName) {
  EXPECT_EQ(CharsetIdFromName("cp-895"), csCP895);
  EXPECT_EQ(CharsetIdFromName("x-Kamenicky"), csCP895);
  EXPECT_EQ(CharsetIdFromName("IBM895x"), csCP895);
  EXPECT_EQ(CharsetIdFromName("mUTF-7"), csMUTF_7);
  EXPECT_EQ(CharsetIdFromName("x-imap-mutf-7"), csMUTF_7);
  EXPECT_EQ(CharsetIdFromName("mutf-7-895"), csCP895);  // the Kamenicky rule comes first
}

TEST(CharsetNameFromId, GivesThePrimaryNameOfTheFirstEntry) {
  EXPECT_EQ(CharsetNameFromId(csISO_2022_JP), "ISO-2022-JP");
  EXPECT_EQ(CharsetNameFromId(csUTF_7), "UNICODE-1-1-UTF-7");
  EXPECT_EQ(CharsetNameFromId(csUCS_2), "ISO-10646-UCS-2");
  EXPECT_EQ(CharsetNameFromId(csUCS_4), "ISO-10646-UCS-4");
  EXPECT_EQ(CharsetNameFromId(csUTF_32), "UTF-32");
  EXPECT_EQ(CharsetNameFromId(csISO_8859_8), "ISO_8859-8");
  EXPECT_EQ(CharsetNameFromId(csISO_8859_1), "ISO-8859-1");
  EXPECT_EQ(CharsetNameFromId(csCP852), "852");
  EXPECT_EQ(CharsetNameFromId(csCP1252), "WINDOWS-1252");
  EXPECT_EQ(CharsetNameFromId(csSHIFT_JIS), "SHIFT_JIS");  // the name registered for mail
  EXPECT_EQ(CharsetNameFromId(csCP1125), "CP1125");
  EXPECT_EQ(CharsetNameFromId(csCP895), "CP-895");
  EXPECT_EQ(CharsetNameFromId(csMUTF_7), "mUTF-7");
  EXPECT_EQ(CharsetNameFromId(static_cast<CharsetId>(35)), "ISO-8859-1");
  EXPECT_EQ(CharsetNameFromId(static_cast<CharsetId>(200)), "ISO-8859-1");
}

TEST(CharsetNameFromId, EveryIdentifierIsFoundAgainByItsName) {
  for (int ordinal = 0; ordinal < kCharsetIdCount; ++ordinal) {
    if (ordinal == 35) continue;
    const auto id = static_cast<CharsetId>(ordinal);
    EXPECT_EQ(CharsetIdFromName(CharsetNameFromId(id)), id) << ordinal;
  }
}

TEST(CharsetIdFromCodePage, MapsListedNumbersAndDefaultsToWindows1252) {
  EXPECT_EQ(CharsetIdFromCodePage(932), csCP932);
  EXPECT_EQ(CharsetIdFromCodePage(1252), csCP1252);
  EXPECT_EQ(CharsetIdFromCodePage(874), csCP874);
  EXPECT_EQ(CharsetIdFromCodePage(0), csUCS_2LE);
  EXPECT_EQ(CharsetIdFromCodePage(1200), csUCS_2LE);
  EXPECT_EQ(CharsetIdFromCodePage(1201), csUCS_2);
  EXPECT_EQ(CharsetIdFromCodePage(12000), csUCS_4LE);
  EXPECT_EQ(CharsetIdFromCodePage(12001), csUCS_4);
  EXPECT_EQ(CharsetIdFromCodePage(20127), csISO_8859_1);
  EXPECT_EQ(CharsetIdFromCodePage(850), csISO_8859_1);
  EXPECT_EQ(CharsetIdFromCodePage(708), csISO_8859_6);
  EXPECT_EQ(CharsetIdFromCodePage(38598), csISO_8859_8);
  EXPECT_EQ(CharsetIdFromCodePage(28605), csISO_8859_15);
  EXPECT_EQ(CharsetIdFromCodePage(1258), csCP1258);
  EXPECT_EQ(CharsetIdFromCodePage(21866), csKOI8_U);
  EXPECT_EQ(CharsetIdFromCodePage(895), csCP895);
  EXPECT_EQ(CharsetIdFromCodePage(65000), csUTF_7);
  EXPECT_EQ(CharsetIdFromCodePage(65001), csUTF_8);
  EXPECT_EQ(CharsetIdFromCodePage(869), csCP869);
  EXPECT_EQ(CharsetIdFromCodePage(10082), csMACCROATIAN);
  EXPECT_EQ(CharsetIdFromCodePage(10017), csMACUKRAINE);
  EXPECT_EQ(CharsetIdFromCodePage(51932), csEUC_JP);
  EXPECT_EQ(CharsetIdFromCodePage(20932), csJIS_X0208);
  EXPECT_EQ(CharsetIdFromCodePage(50220), csISO_2022_JP);
  EXPECT_EQ(CharsetIdFromCodePage(50222), csISO_2022_JP_2);
  EXPECT_EQ(CharsetIdFromCodePage(20936), csGB2312);
  EXPECT_EQ(CharsetIdFromCodePage(51936), csGB2312);
  EXPECT_EQ(CharsetIdFromCodePage(54936), csGB18030);
  EXPECT_EQ(CharsetIdFromCodePage(52936), csHZ);
  EXPECT_EQ(CharsetIdFromCodePage(50229), csISO_2022_CN_EXT);
  EXPECT_EQ(CharsetIdFromCodePage(51949), csEUC_KR);
  EXPECT_EQ(CharsetIdFromCodePage(50225), csISO_2022_KR);
  EXPECT_EQ(CharsetIdFromCodePage(1361), csCP1361);
  EXPECT_EQ(CharsetIdFromCodePage(853), csCP1252);  // no code page maps to csCP853
  EXPECT_EQ(CharsetIdFromCodePage(12345), csCP1252);
}

TEST(SystemCharsetId, IsTheJapaneseCodePageOnTheSystemsThePlugInIsMadeFor) {
  // Natively and under Wine in a Japanese locale the ANSI code page is 932.
  EXPECT_EQ(SystemCharsetId(), csCP932);
}

TEST(CharsetSet, HoldsExactlyTheIdentifiersPutIn) {
  CharsetSet set{csISO_8859_1, csCP1125, csISO_2022_JP};
  EXPECT_TRUE(set.Contains(csISO_8859_1));
  EXPECT_TRUE(set.Contains(csCP1125));
  EXPECT_TRUE(set.Contains(csISO_2022_JP));
  EXPECT_FALSE(set.Contains(csISO_2022_JP_1));
  EXPECT_FALSE(set.Contains(static_cast<CharsetId>(200)));
  EXPECT_FALSE(set.Empty());
  EXPECT_TRUE(CharsetSet{}.Empty());
}

}  // namespace
}  // namespace pictolumen
