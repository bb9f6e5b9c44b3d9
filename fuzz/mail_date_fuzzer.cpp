// The date reader on any header text and any local offset: it never throws, gives a finite
// day count, and a date of the years 1000 to 9999 that it gives is written, read and written
// again to the same text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "charset/mail_date.h"
#include "fuzz_check.h"

using namespace pictolumen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // Local offsets of -14:00 to +14:00 in steps of a quarter hour.
  const int bias = (static_cast<int>(data[0]) % 113 - 56) * 15;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  const double date = ParseRfc822Date(text, bias);
  FUZZ_CHECK(std::isfinite(date), "finite date");
  ParseRfc822Date(text);
  if (date == 0) return 0;

  const DateTimeFields fields = DecodeDateTime(date);
  // Written years below 1000 are read as two- or three-digit years, so they cannot come back.
  if (fields.year < 1000 || fields.year > 9999) return 0;
  const std::string written = FormatRfc822Date(date, bias);
  const double again = ParseRfc822Date(written, bias);
  FUZZ_CHECK(FormatRfc822Date(again, bias) == written, written);
  return 0;
}
