#include "charset/mail_date.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "platform/platform.h"

namespace pictolumen {
namespace {

constexpr int kJapan = 540;
constexpr int kUtc = 0;

double At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return *EncodeDate(year, month, day) + *EncodeTime(hour, minute, second, 0);
}

// A day count as "YYYY-MM-DD hh:mm:ss", so that failures read as dates.
std::string Show(double date_time) {
  const DateTimeFields f = DecodeDateTime(date_time);
  char text[64];
  std::snprintf(text, sizeof text, "%.4d-%.2d-%.2d %.2d:%.2d:%.2d", f.year, f.month, f.day, f.hour,
                f.minute, f.second);
  return text;
}

TEST(Calendar, EncodesDayCountsFromTheEpochAndRejectsMissingDays) {
  EXPECT_EQ(*EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(*EncodeDate(2026, 12, 8), 46364.0);
  EXPECT_EQ(*EncodeDate(1900, 3, 1), 61.0);
  EXPECT_EQ(*EncodeDate(1, 1, 1), -693593.0);
  EXPECT_TRUE(EncodeDate(2024, 2, 29));
  EXPECT_TRUE(EncodeDate(2000, 2, 29));
  EXPECT_TRUE(EncodeDate(9999, 12, 31));
  EXPECT_FALSE(EncodeDate(2026, 2, 29));
  EXPECT_FALSE(EncodeDate(1900, 2, 29));
  EXPECT_FALSE(EncodeDate(2026, 4, 31));
  EXPECT_FALSE(EncodeDate(2026, 13, 1));
  EXPECT_FALSE(EncodeDate(2026, 1, 0));
  EXPECT_FALSE(EncodeDate(0, 1, 1));
  EXPECT_FALSE(EncodeDate(10000, 1, 1));
  EXPECT_EQ(*EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_FALSE(EncodeTime(24, 0, 0, 0));
  EXPECT_FALSE(EncodeTime(0, 60, 0, 0));
  EXPECT_FALSE(EncodeTime(0, 0, 60, 0));
}

TEST(Calendar, DecodesFieldsAndTheDayOfTheWeek) {
  const DateTimeFields f = DecodeDateTime(46364.5 + 1.0 / 86400);
  EXPECT_EQ(f.year, 2026);
  EXPECT_EQ(f.month, 12);
  EXPECT_EQ(f.day, 8);
  EXPECT_EQ(f.hour, 12);
  EXPECT_EQ(f.minute, 0);
  EXPECT_EQ(f.second, 1);
  EXPECT_EQ(kDayNames[static_cast<std::size_t>(f.day_of_week)], "Tue");
  EXPECT_EQ(kDayNames[static_cast<std::size_t>(DecodeDateTime(0).day_of_week)], "Sat");
  EXPECT_EQ(Show(-0.75), "1899-12-29 06:00:00");
  EXPECT_EQ(Show(At(2026, 1, 5, 23, 59, 59) + 0.4 / 86400), "2026-01-05 23:59:59");
  EXPECT_EQ(Show(At(2026, 1, 5, 23, 59, 59) + 0.9999 / 86400), "2026-01-06 00:00:00");
  for (int year : {1, 1600, 1899, 1900, 1970, 2000, 2024, 2100, 9999}) {
    for (int month = 1; month <= 12; ++month) {
      const DateTimeFields d = DecodeDateTime(*EncodeDate(year, month, 28));
      EXPECT_EQ(d.year * 10000 + d.month * 100 + d.day, year * 10000 + month * 100 + 28);
    }
  }
  EXPECT_EQ(Show(1e300), "9999-12-31 23:59:59");
  EXPECT_EQ(Show(-1e300), "0001-01-01 00:00:00");
  EXPECT_EQ(Show(std::numeric_limits<double>::quiet_NaN()), "1899-12-30 00:00:00");
}

TEST(TimeZoneOffsetText, WritesSignHoursAndMinutes) {
  EXPECT_EQ(TimeZoneOffsetText(540), "+0900");
  EXPECT_EQ(TimeZoneOffsetText(0), "+0000");
  EXPECT_EQ(TimeZoneOffsetText(-300), "-0500");
  EXPECT_EQ(TimeZoneOffsetText(-30), "-0030");
  EXPECT_EQ(TimeZoneOffsetText(345), "+0545");
  EXPECT_EQ(TimeZoneOffsetText(), TimeZoneOffsetText(platform::TimeZoneBiasMinutes()));
}

TEST(FormatRfc822Date, WritesEnglishNamesAndTheLocalOffset) {
  EXPECT_EQ(FormatRfc822Date(At(2026, 1, 5, 9, 7, 3), -300), "Mon, 5 Jan 2026 09:07:03 -0500");
  EXPECT_EQ(FormatRfc822Date(At(2026, 12, 8, 3, 54, 40), kJapan), "Tue, 8 Dec 2026 03:54:40 +0900");
  EXPECT_EQ(FormatRfc822Date(At(999, 7, 31, 23, 0, 0), kUtc), "Wed, 31 Jul 0999 23:00:00 +0000");
  EXPECT_EQ(FormatRfc822Date(0, kUtc), "Sat, 30 Dec 1899 00:00:00 +0000");
  const double now = At(2026, 6, 1, 12, 0, 0);
  EXPECT_EQ(FormatRfc822Date(now), FormatRfc822Date(now, platform::TimeZoneBiasMinutes()));
  // What is written reads back as the same moment.
  for (int bias : {kJapan, kUtc, -300, 345}) {
    EXPECT_EQ(Show(ParseRfc822Date(FormatRfc822Date(now, bias), bias)), Show(now)) << bias;
  }
}

TEST(ParseTimeZoneToken, ReadsSignedOffsetsAndZoneNames) {
  int offset = 7;
  EXPECT_TRUE(ParseTimeZoneToken("+0900", offset, kUtc));
  EXPECT_EQ(offset, 540);
  EXPECT_TRUE(ParseTimeZoneToken("-0130", offset, kUtc));
  EXPECT_EQ(offset, -90);
  EXPECT_TRUE(ParseTimeZoneToken("-0000", offset, 345));
  EXPECT_EQ(offset, 345);
  EXPECT_TRUE(ParseTimeZoneToken("+0000", offset, 345));
  EXPECT_EQ(offset, 0);
  EXPECT_TRUE(ParseTimeZoneToken("+09:30", offset, kUtc));
  EXPECT_EQ(offset, 540);
  EXPECT_TRUE(ParseTimeZoneToken("-XX30", offset, kUtc));
  EXPECT_EQ(offset, -30);
  // Short signed tokens are zones without an offset.
  offset = 123;
  for (const char* token : {"+09", "-09", "+", "-", "+123"}) {
    EXPECT_TRUE(ParseTimeZoneToken(token, offset, kUtc)) << token;
    EXPECT_EQ(offset, 123) << token;
  }
  const std::pair<const char*, int> names[] = {
      {"NZDT", 780}, {"IDLE", 720}, {"JST", 540},   {"CEST", 120}, {"MEWT", 60},
      {"UT", 0},     {"GMT", 0},    {"BST", -60},   {"AT", -120},  {"EDT", -240},
      {"EST", -300}, {"PDT", -420}, {"EAST", -600}, {"NT", -660},  {"IDLW", -720}};
  for (const auto& [name, minutes] : names) {
    EXPECT_TRUE(ParseTimeZoneToken(name, offset, kUtc)) << name;
    EXPECT_EQ(offset, minutes) << name;
  }
  offset = 5;
  for (const char* token : {"jst", "XYZ", "", "JST1", "0900", "Z"}) {
    EXPECT_FALSE(ParseTimeZoneToken(token, offset, kUtc)) << token;
  }
  EXPECT_EQ(offset, 5);
}

TEST(ParseTimeOfDay, ReadsHoursMinutesSecondsAndCutsTheRest) {
  const double t = *EncodeTime(10, 20, 30, 0);
  EXPECT_EQ(ParseTimeOfDay("10:20:30"), t);
  EXPECT_EQ(ParseTimeOfDay("10:20:30.5"), t);
  EXPECT_EQ(ParseTimeOfDay("10:20:30Z"), t);
  EXPECT_EQ(ParseTimeOfDay("10:20:30+0900"), t);
  EXPECT_EQ(ParseTimeOfDay("1:2:3"), *EncodeTime(1, 2, 3, 0));
  EXPECT_EQ(ParseTimeOfDay("10:20"), *EncodeTime(10, 20, 0, 0));
  EXPECT_EQ(ParseTimeOfDay("25:00:00"), -1.0);
  EXPECT_EQ(ParseTimeOfDay("10:60:00"), -1.0);
  EXPECT_EQ(ParseTimeOfDay("1:2:3:4"), -1.0);
  EXPECT_EQ(ParseTimeOfDay("10::30"), -1.0);
  EXPECT_EQ(ParseTimeOfDay("a:b:c"), -1.0);
  EXPECT_EQ(ParseTimeOfDay(""), -1.0);
  EXPECT_EQ(ParseTimeOfDay(std::string(100000, ':')), -1.0);
  // The locale's reader with another separator.
  EXPECT_EQ(ReadTime("10.20.30", "."), t);
  EXPECT_FALSE(ReadTime("10:20:30", "."));
  EXPECT_EQ(ReadTime("7", ":"), *EncodeTime(7, 0, 0, 0));
}

TEST(MonthFromText, MatchesWholeNamesOfEveryRow) {
  EXPECT_EQ(MonthFromText("Dec"), 12);
  EXPECT_EQ(MonthFromText("dEC"), 12);
  EXPECT_EQ(MonthFromText("DECEMBER"), 0);
  EXPECT_EQ(MonthFromText("De"), 0);
  EXPECT_EQ(MonthFromText(""), 0);
  EXPECT_EQ(MonthFromText("f\xE9v"), 2);  // French, Windows-1252
  EXPECT_EQ(MonthFromText("AO\xFB"), 8);
  EXPECT_EQ(MonthFromText("aou"), 8);
  EXPECT_EQ(MonthFromText("D\xE9"
                          "C"),
            12);
  EXPECT_EQ(MonthFromText("Okt"), 10);  // German
  EXPECT_EQ(MonthFromText("M\xE4r"), 3);
  EXPECT_EQ(MonthFromText("dez"), 12);
  EXPECT_EQ(MonthFromText("MAI"), 5);
  EXPECT_EQ(MonthFromText("\xDAno"), 2);  // Czech, Windows-1250
  EXPECT_EQ(MonthFromText("B\xF8"
                          "e"),
            3);
  EXPECT_EQ(MonthFromText("\xD8\xEDj"), 10);
  EXPECT_EQ(MonthFromText("Pro"), 12);
  const MonthNameTable& names = LocalizedMonthNames();
  EXPECT_EQ(names[1][0], "Jan");
  const auto locale = platform::ShortMonthNames();
  for (std::size_t m = 0; m < 12; ++m) {
    EXPECT_EQ(names[0][m], locale[m].empty() ? names[1][m] : locale[m]);
    EXPECT_NE(MonthFromText(names[0][m]), 0);
  }
}

TEST(ParseRfc822Date, ReadsUsualHeaderForms) {
  EXPECT_EQ(Show(ParseRfc822Date("Tue, 08 Dec 2026 03:54:40 +0900", kJapan)),
            "2026-12-08 03:54:40");
  EXPECT_EQ(Show(ParseRfc822Date("Tue, 08 Dec 2026 03:54:40 GMT", kJapan)), "2026-12-08 12:54:40");
  EXPECT_EQ(Show(ParseRfc822Date("Tue, 8 Dec 2026 10:00:00 -0500 (EST)", kUtc)),
            "2026-12-08 15:00:00");
  EXPECT_EQ(ParseRfc822Date("8-Dec-2026 03:54:40 JST", kUtc),
            ParseRfc822Date("8 Dec 2026 03:54:40 JST", kUtc));
  EXPECT_EQ(Show(ParseRfc822Date("8-Dec-2026 03:54:40 -0100", kUtc)), "2026-12-08 04:54:40");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 2026 10:00:00 -0000", kJapan)), "2026-12-08 10:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 2026 10:00:00", kJapan)), "2026-12-08 19:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("  8   dec 2026   10:00:00   +0900  ", kJapan)),
            "2026-12-08 10:00:00");
}

TEST(ParseRfc822Date, ResolvesDayYearAndZoneByTokenOrder) {
  // A later zone token replaces the earlier sum; DST adds an hour.
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 26 10:00:00 EST DST", kUtc)), "2026-12-08 14:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 26 10:00:00 DST EST", kUtc)), "2026-12-08 15:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("2026 Dec 8 10:00:00", kUtc)), "2026-12-08 10:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("Dec 8 10 10:00:00 GMT", kUtc)), "2010-12-08 10:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 98", kUtc)), "1998-12-08 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 105", kUtc)), "2005-12-08 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 31", kUtc)), "2031-12-08 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 1500", kUtc)), "1500-12-08 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 00", kUtc)), "1980-12-08 00:00:00");  // 0 is no year
  // A day number up to 12 before any month is not a year.
  EXPECT_EQ(Show(ParseRfc822Date("8 12 Dec", kUtc)), "1980-12-08 00:00:00");
}

TEST(ParseRfc822Date, ConvertsAcrossDayBoundaries) {
  EXPECT_EQ(Show(ParseRfc822Date("1 Jan 2026 01:00:00 +0900", kUtc)), "2025-12-31 16:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("31 Dec 2025 20:00:00 -0500", kJapan)), "2026-01-01 10:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 2026 10:00:00 -0130", kUtc)), "2026-12-08 11:30:00");
  EXPECT_EQ(Show(ParseRfc822Date("1 Jan 2026 00:00:00 +2500", -600)), "2025-12-30 13:00:00");
}

TEST(ParseRfc822Date, FallsBackToDefaults) {
  EXPECT_EQ(ParseRfc822Date("", kJapan), 0.0);
  EXPECT_EQ(Show(ParseRfc822Date("10:20", kJapan)), "1980-01-01 09:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("foo bar", kUtc)), "1980-01-01 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date(" ", kUtc)), "1980-01-01 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("Dec 2026 99:00:00", kUtc)), "2026-12-01 00:00:00");
}

TEST(ParseRfc822Date, ImpossibleDatesGiveZero) {
  EXPECT_EQ(ParseRfc822Date("31 Apr 2026 10:00:00 GMT", kUtc), 0.0);
  EXPECT_EQ(ParseRfc822Date("29 Feb 2026", kUtc), 0.0);
  EXPECT_EQ(ParseRfc822Date("29 Feb 1900", kUtc), 0.0);
  EXPECT_EQ(ParseRfc822Date("1 Jan 10000", kUtc), 0.0);
  EXPECT_EQ(ParseRfc822Date("1 Jan 2147483647", kUtc), 0.0);
  EXPECT_EQ(Show(ParseRfc822Date("29 Feb 2024", kUtc)), "2024-02-29 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("1 Jan 9999", kUtc)), "9999-01-01 00:00:00");
  // A number too large for an integer is no number.
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 2026 99999999999", kUtc)), "2026-12-08 00:00:00");
}

TEST(ParseRfc822Date, ShortSignedTokensSetNoOffsetAndAreNoDayOrYear) {
  EXPECT_EQ(Show(ParseRfc822Date("Dec 2026 10:00:00 +09", kUtc)), "2026-12-01 10:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("Dec +09 2026", kUtc)), "2026-12-01 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec -26", kUtc)), "1980-12-08 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 2026 10:00:00 +0900 +09", kUtc)), "2026-12-08 01:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 2026 10:00:00 +9", kJapan)), "2026-12-08 19:00:00");
}

TEST(ParseRfc822Date, LongTextsGiveDefinedResults) {
  std::string text = "Tue, 8 Dec 2026 10:00:00 GMT";
  for (int i = 0; i < 10000; ++i) text += " DST";
  EXPECT_DOUBLE_EQ(ParseRfc822Date(text, kUtc), At(2026, 12, 8, 10) - 10000 * 60 / 1440.0);

  std::string tokens;
  const char* kinds[] = {"Tue,", "8", "Dec", "2026", "10:00:00", "+0900", "x", "-", "(GMT)", "1:2"};
  for (int i = 0; i < 10000; ++i) tokens += std::string(kinds[i % 10]) + (i % 3 ? " " : "-");
  EXPECT_EQ(Show(ParseRfc822Date(tokens, kJapan)), "2026-12-08 10:00:00");

  const std::string megabyte(1 << 20, '7');
  EXPECT_EQ(Show(ParseRfc822Date(megabyte, kUtc)), "1980-01-01 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date(std::string(1 << 20, '-'), kUtc)), "1980-01-01 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date("8 Dec 2026 " + std::string(1 << 20, ':'), kUtc)),
            "2026-12-08 00:00:00");
  EXPECT_EQ(Show(ParseRfc822Date(std::string(1 << 20, ' ') + "8 Dec 2026", kUtc)),
            "2026-12-08 00:00:00");
}

TEST(TickSpan, MeasuresForwardAcrossTheWrap) {
  EXPECT_EQ(TickSpan(100, 100), 0u);
  EXPECT_EQ(TickSpan(100, 350), 250u);
  EXPECT_EQ(TickSpan(0xFFFFFF00u, 0x100u), 0x200u);
  EXPECT_EQ(TickSpan(0x500u, 0x100u), 0x400u);
  EXPECT_EQ(TickSpan(0xFFFFFFFFu, 0u), 1u);
  EXPECT_EQ(TickSpan(0x80000000u, 0x7FFFFFFFu), 0xFFFFFFFFu);
  const std::uint32_t first = TickNow();
  EXPECT_LT(TickSpan(first, TickNow()), 10000u);
}

}  // namespace
}  // namespace pictolumen
