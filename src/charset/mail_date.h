// Dates and times of the mail engine: the local time-zone offset, writing and reading the text of
// a "Date" header, time-zone names, month names, and the millisecond tick counter.
//
// A date-time is a day count (TDateTime): whole days since 30 December 1899 in the integer part
// and the time of day as a fraction, e.g. 46364.5 is 8 December 2026 12:00. The count is linear
// also before that day (-0.75 is 29 December 1899 06:00). Dates produced here are local time;
// 0 stands for "no date". Time-zone offsets are minutes, positive east of UTC.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pictolumen {

// ---- Calendar -------------------------------------------------------------------------------

// The day count of a calendar date (years 1 to 9999), or nothing when the calendar has no such
// day (31 April, 29 February of a common year, month 13, year 0 or 10000).
std::optional<double> EncodeDate(int year, int month, int day);

// The fraction of a day for a time of day, or nothing when a field is out of range.
std::optional<double> EncodeTime(int hour, int minute, int second, int millisecond);

struct DateTimeFields {
  int year, month, day;
  int hour, minute, second, millisecond;
  int day_of_week;  // 0 = Sunday
};

// The fields of a day count, rounded to the millisecond. Values beyond the years 1 to 9999 (and
// NaN) are clamped into that range.
DateTimeFields DecodeDateTime(double date_time);

// ---- Names ----------------------------------------------------------------------------------

// English day abbreviations, Sunday first.
inline constexpr std::array<std::string_view, 7> kDayNames = {"Sun", "Mon", "Tue", "Wed",
                                                              "Thu", "Fri", "Sat"};

// Seven rows of twelve month names that the date reader accepts: row 0 the locale's short month
// names (read once, at first use), row 1 English (the names the date writer uses), then French
// with and without accents (Windows-1252), German without and with umlaut, Czech (Windows-1250).
using MonthNameTable = std::array<std::array<std::string, 12>, 7>;
const MonthNameTable& LocalizedMonthNames();

// The month 1 to 12 whose name in any row equals `token` with ASCII letter case ignored
// (months tried in order), or 0. Whole names only: "DECEMBER" is no month.
int MonthFromText(std::string_view token);

// ---- Time zones -----------------------------------------------------------------------------

// The local offset from UTC in minutes, east positive, daylight saving applied.
int TimeZoneBiasMinutes();

// An offset as a sign and four digits ("+" for zero):  540 -> "+0900";  -30 -> "-0030".
// Without an argument, the local offset.
std::string TimeZoneOffsetText(int offset_minutes);
std::string TimeZoneOffsetText();

// Whether the upper-case `token` is a zone: a token beginning with "+" or "-" always is ("-0000"
// gives the local offset `local_bias_minutes`; a longer one "+HHMM" gives its offset; one of
// four characters or fewer, such as "+09", gives none and leaves `offset_minutes` untouched),
// and so is a name of the zone table ("JST" gives 540).
bool ParseTimeZoneToken(std::string_view token, int& offset_minutes, int local_bias_minutes);
bool ParseTimeZoneToken(std::string_view token, int& offset_minutes);

// ---- Times and dates ------------------------------------------------------------------------

// Reads "h", "h<sep>m" or "h<sep>m<sep>s" (one to four digits each; hour below 24, minute and
// second below 60) into a fraction of a day, as the locale's time reader does with its time
// separator `separator`; nothing when the whole text is not such a time.
std::optional<double> ReadTime(std::string_view text, std::string_view separator);

// The time of day of a token such as "10:20:30", or -1.0 when it is none. Whatever follows the
// last colon beyond two characters is cut off ("10:20:30.5" and "10:20:30Z" read as
// "10:20:30"); colons stand for the locale's time separator.
double ParseTimeOfDay(std::string_view token);

// The text of a "Date" header for a local date-time: "Tue, 8 Dec 2026 03:54:40 +0900", English
// names, colons whatever the locale, and the offset `local_bias_minutes` (without it, the local
// offset).
std::string FormatRfc822Date(double date_time, int local_bias_minutes);
std::string FormatRfc822Date(double date_time);

// The local date-time of a "Date" header text, converted from the sender's zone (UTC when the text
// names none) to the zone `local_bias_minutes` (without it, the local zone). Missing parts take
// defaults (year 1980, month and day 1). Never throws: an empty text, and a date the calendar does
// not have (31 April, 29 February of a common year, a year above 9999), give 0.
// "Tue, 08 Dec 2026 03:54:40 +0900" read at +0900 gives 8 Dec 2026 03:54:40.
double ParseRfc822Date(std::string_view text, int local_bias_minutes);
double ParseRfc822Date(std::string_view text);

// ---- Ticks ----------------------------------------------------------------------------------

// Milliseconds since system start; wraps at 2^32.
std::uint32_t TickNow();

// Milliseconds from `older` to `newer` in 32-bit arithmetic: across a wrap of the counter the
// forward distance (0xFFFFFF00 -> 0x100 gives 0x200); a newer reading smaller than the older
// one within the same half gives the distance back (0x500 -> 0x100 gives 0x400).
std::uint32_t TickSpan(std::uint32_t older, std::uint32_t newer);

}  // namespace pictolumen
