#include "charset/mail_date.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "charset/text_utils.h"
#include "common/text.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
constexpr int kMinutesPerDay = 1440;

// Days from 1 January 1970 to a date of the proleptic Gregorian calendar.
constexpr std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

struct CivilDate {
  int year;
  int month;
  int day;
};

// The inverse of DaysFromCivil.
CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto day_of_era = static_cast<unsigned>(days - era * 146097);
  const unsigned year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const unsigned day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const unsigned mp = (5 * day_of_year + 2) / 153;
  const unsigned day = day_of_year - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year =
      static_cast<std::int64_t>(year_of_era) + era * 400 + (month <= 2 ? 1 : 0);
  return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

// 30 December 1899, day 0 of the day count.
constexpr std::int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The decimal value of an optionally signed run of digits that fits a 32-bit integer, or
// `fallback` for any other text.
int DecimalValueOr(std::string_view text, int fallback) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) i = 1;
  if (i == text.size()) return fallback;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return fallback;
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<std::int64_t>(INT_MAX) + 1) return fallback;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return fallback;
  return static_cast<int>(value);
}

struct ZoneName {
  std::string_view name;
  int hours;
};

constexpr ZoneName kZoneNames[] = {
    {"NZDT", 13},  {"IDLE", 12}, {"NZST", 12},  {"NZT", 12},   {"EADT", 11}, {"GST", 10},
    {"JST", 9},    {"CCT", 8},   {"WADT", 8},   {"WAST", 7},   {"ZP6", 6},   {"ZP5", 5},
    {"ZP4", 4},    {"BT", 3},    {"EET", 2},    {"MEST", 2},   {"MESZ", 2},  {"SST", 2},
    {"FST", 2},    {"CEST", 2},  {"CET", 1},    {"FWT", 1},    {"MET", 1},   {"MEWT", 1},
    {"SWT", 1},    {"UT", 0},    {"UTC", 0},    {"GMT", 0},    {"WET", 0},   {"WAT", -1},
    {"BST", -1},   {"AT", -2},   {"ADT", -3},   {"AST", -4},   {"EDT", -4},  {"EST", -5},
    {"CDT", -5},   {"CST", -6},  {"MDT", -6},   {"MST", -7},   {"PDT", -7},  {"PST", -8},
    {"YDT", -8},   {"YST", -9},  {"HDT", -9},   {"AHST", -10}, {"CAT", -10}, {"HST", -10},
    {"EAST", -10}, {"NT", -11},  {"IDLW", -12},
};
static_assert(std::size(kZoneNames) == 51);

using MonthRow = std::array<std::string, 12>;

constexpr std::array<std::string_view, 12> kEnglishMonths = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The month names together with their upper-case forms, made once at first use.
struct MonthNames {
  MonthNameTable names;
  MonthNameTable upper;
};

MonthNames MakeMonthNames() {
  MonthNames table;
  MonthRow locale = platform::ShortMonthNames();
  MonthRow english;
  for (std::size_t m = 0; m < 12; ++m) {
    if (locale[m].empty()) locale[m] = kEnglishMonths[m];
    english[m] = kEnglishMonths[m];
  }
  table.names = {
      locale,
      english,
      MonthRow{"jan", "f\xE9v", "mar", "avr", "mai", "jun", "jul", "ao\xFB", "sep", "oct", "nov",
               "d\xE9"
               "c"},
      MonthRow{"jan", "fev", "mar", "avr", "mai", "jun", "jul", "aou", "sep", "oct", "nov", "dec"},
      MonthRow{"Jan", "Feb", "Mar", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
      MonthRow{"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov",
               "Dez"},
      MonthRow{"Led", "\xDAno",
               "B\xF8"
               "e",
               "Dub", "Kv\xEC",
               "\xC8"
               "en",
               "\xC8"
               "ec",
               "Srp", "Z\xE1\xF8", "\xD8\xEDj", "Lis", "Pro"},
  };
  for (std::size_t row = 0; row < table.names.size(); ++row) {
    for (std::size_t m = 0; m < 12; ++m) table.upper[row][m] = UpperCase(table.names[row][m]);
  }
  return table;
}

const MonthNames& Months() {
  static const MonthNames months = MakeMonthNames();
  return months;
}

const std::string& LocaleTimeSeparator() {
  static const std::string separator = platform::TimeSeparator();
  return separator;
}

// Reads a run of digits as the locale's reader does: digits while the value is below 1000.
bool ScanNumber(std::string_view text, std::size_t& at, int& value) {
  const std::size_t start = at;
  value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && value < 1000) {
    value = value * 10 + (text[at] - '0');
    ++at;
  }
  return at > start;
}

bool ScanSeparator(std::string_view text, std::size_t& at, std::string_view separator) {
  if (separator.empty() || text.substr(at, separator.size()) != separator) return false;
  at += separator.size();
  return true;
}

}  // namespace

// ---- Calendar -------------------------------------------------------------------------------

std::optional<double> EncodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return std::nullopt;
  if (day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  return static_cast<double>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochDays);
}

std::optional<double> EncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999) {
    return std::nullopt;
  }
  const std::int64_t ms = ((hour * 60 + minute) * 60 + second) * 1000LL + millisecond;
  return static_cast<double>(ms) / static_cast<double>(kMillisecondsPerDay);
}

DateTimeFields DecodeDateTime(double date_time) {
  static const double kFirst = *EncodeDate(1, 1, 1);
  static const double kLast = *EncodeDate(9999, 12, 31) + 86'399'999.0 / kMillisecondsPerDay;
  const double clamped = std::isnan(date_time) ? 0.0 : std::clamp(date_time, kFirst, kLast);

  const std::int64_t total = std::llround(clamped * static_cast<double>(kMillisecondsPerDay));
  std::int64_t days = total / kMillisecondsPerDay;
  std::int64_t ms = total % kMillisecondsPerDay;
  if (ms < 0) {
    ms += kMillisecondsPerDay;
    --days;
  }
  const CivilDate date = CivilFromDays(days + kEpochDays);
  DateTimeFields fields{};
  fields.year = date.year;
  fields.month = date.month;
  fields.day = date.day;
  fields.hour = static_cast<int>(ms / 3'600'000);
  fields.minute = static_cast<int>(ms / 60'000 % 60);
  fields.second = static_cast<int>(ms / 1000 % 60);
  fields.millisecond = static_cast<int>(ms % 1000);
  fields.day_of_week = static_cast<int>(((days % 7) + 7 + 6) % 7);  // day 0 was a Saturday
  return fields;
}

// ---- Names ----------------------------------------------------------------------------------

const MonthNameTable& LocalizedMonthNames() {
  return Months().names;
}

int MonthFromText(std::string_view token) {
  if (token.empty()) return 0;
  const std::string upper = UpperCase(token);
  const MonthNameTable& names = Months().upper;
  for (std::size_t m = 0; m < 12; ++m) {
    for (const MonthRow& row : names) {
      if (row[m] == upper) return static_cast<int>(m) + 1;
    }
  }
  return 0;
}

// ---- Time zones -----------------------------------------------------------------------------

int TimeZoneBiasMinutes() {
  return platform::TimeZoneBiasMinutes();
}

std::string TimeZoneOffsetText(int offset_minutes) {
  const long long magnitude = std::llabs(static_cast<long long>(offset_minutes));
  char text[32];
  std::snprintf(text, sizeof text, "%c%.2lld%.2lld", offset_minutes >= 0 ? '+' : '-',
                magnitude / 60, magnitude % 60);
  return text;
}

std::string TimeZoneOffsetText() {
  return TimeZoneOffsetText(TimeZoneBiasMinutes());
}

bool ParseTimeZoneToken(std::string_view token, int& offset_minutes, int local_bias_minutes) {
  if (!token.empty() && (token[0] == '+' || token[0] == '-')) {
    if (token == "-0000") {
      offset_minutes = local_bias_minutes;
    } else if (token.size() > 4) {
      const int hours = DecimalValueOr(token.substr(1, 2), 0);
      const int minutes = DecimalValueOr(token.substr(3, 2), 0);
      const int offset = hours * 60 + minutes;
      offset_minutes = token[0] == '-' ? -offset : offset;
    }
    return true;
  }
  for (const ZoneName& zone : kZoneNames) {
    if (zone.name == token) {
      offset_minutes = zone.hours * 60;
      return true;
    }
  }
  return false;
}

bool ParseTimeZoneToken(std::string_view token, int& offset_minutes) {
  return ParseTimeZoneToken(token, offset_minutes, TimeZoneBiasMinutes());
}

// ---- Times and dates ------------------------------------------------------------------------

std::optional<double> ReadTime(std::string_view text, std::string_view separator) {
  std::size_t at = 0;
  int hour = 0, minute = 0, second = 0;
  if (!ScanNumber(text, at, hour)) return std::nullopt;
  if (ScanSeparator(text, at, separator)) {
    if (!ScanNumber(text, at, minute)) return std::nullopt;
    if (ScanSeparator(text, at, separator) && !ScanNumber(text, at, second)) return std::nullopt;
  }
  if (at != text.size()) return std::nullopt;
  return EncodeTime(hour, minute, second, 0);
}

double ParseTimeOfDay(std::string_view token) {
  const std::size_t last_colon = token.rfind(':');
  if (last_colon != std::string_view::npos && token.size() - last_colon - 1 > 2) {
    token = token.substr(0, last_colon + 3);
  }
  const std::string& separator = LocaleTimeSeparator();
  const std::optional<double> time = ReadTime(ReplaceAll(token, ":", separator), separator);
  return time ? *time : -1.0;
}

std::string FormatRfc822Date(double date_time, int local_bias_minutes) {
  const DateTimeFields f = DecodeDateTime(date_time);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %d %s %.4d %.2d:%.2d:%.2d ",
                kDayNames[static_cast<std::size_t>(f.day_of_week)].data(), f.day,
                kEnglishMonths[static_cast<std::size_t>(f.month - 1)].data(), f.year, f.hour,
                f.minute, f.second);
  return text + TimeZoneOffsetText(local_bias_minutes);
}

std::string FormatRfc822Date(double date_time) {
  return FormatRfc822Date(date_time, TimeZoneBiasMinutes());
}

double ParseRfc822Date(std::string_view text, int local_bias_minutes) {
  if (text.empty()) return 0;

  // A hyphen after a space is a zone sign; every other hyphen separates ("8-Dec-2026").
  const std::string normalised =
      ReplaceAll(ReplaceAll(ReplaceAll(text, " -", " #"), "-", " "), " #", " -");

  int day = 0, month = 0, year = 0;
  double time = 0;
  int zone = 0;
  std::string_view rest = normalised;
  while (!rest.empty()) {
    const std::string token = UpperCase(TakeToken(rest, " "));
    const int n = DecimalValueOr(token, 0);
    if (ParseTimeZoneToken(token, zone, local_bias_minutes)) continue;
    if (n > 0 && n < 32 && day == 0) {
      day = n;
    } else if (n > 0 && year == 0 && (month != 0 || n > 12)) {
      year = n;
      if (year < 32) year += 2000;
      if (year < 1000) year += 1900;
    } else if (const std::size_t colon = token.find(':');
               colon != std::string::npos && token.rfind(':') > colon) {
      if (const double t = ParseTimeOfDay(token); t != -1.0) time = t;
    } else if (token == "DST") {
      if (zone <= INT_MAX - 60) zone += 60;
    } else if (const int m = MonthFromText(token); m != 0 && month == 0) {
      month = m;
    }
  }

  if (year == 0) year = 1980;
  if (month < 1 || month > 12) month = 1;
  if (day < 1 || day > 31) day = 1;
  const std::optional<double> date = EncodeDate(year, month, day);
  if (!date) return 0;

  // From the sender's zone to the local one: whole days first, then the remaining minutes.
  const std::int64_t difference = static_cast<std::int64_t>(zone) - local_bias_minutes;
  double result = *date + time;
  result -= static_cast<double>(difference / kMinutesPerDay);
  result -= static_cast<double>(difference % kMinutesPerDay) / kMinutesPerDay;
  return result;
}

double ParseRfc822Date(std::string_view text) {
  return ParseRfc822Date(text, TimeZoneBiasMinutes());
}

// ---- Ticks ----------------------------------------------------------------------------------

std::uint32_t TickNow() {
  return platform::TickCount();
}

std::uint32_t TickSpan(std::uint32_t older, std::uint32_t newer) {
  if (older == newer) return 0;
  if (older > newer) {
    older += 0x80000000u;
    newer += 0x80000000u;
  }
  std::uint32_t span = newer - older;
  if (older > newer && span != 0) span = 0u - span;
  return span;
}

}  // namespace pictolumen
