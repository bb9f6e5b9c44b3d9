// The names of the files the archive converter writes. They come from a mail's place (its input
// file and its number there) and its date; what the mail itself names (an attachment's file
// name) gives at most a checked extension.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pictolumen {

// The longest file name the converter writes, in bytes.
inline constexpr std::size_t kFileNameLimit = 200;

// `name` made safe as one file name in any folder of Windows or a POSIX system: only ASCII
// letters, digits, ".", "-" and "_" stay, every run of other bytes (separators, blanks, control
// and non-ASCII bytes) becomes one "_", a run of dots one dot, dots at either end go; a
// reserved name of Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension) gets a
// leading "_"; a name longer than kFileNameLimit is cut, its extension kept; an empty result
// is "_".
// SafeFileName("../etc/passwd") == "_etc_passwd";  SafeFileName("CON.txt") == "_CON.txt"
std::string SafeFileName(std::string_view name);

// The file name of attachment `number` of the page `page_base`: the page's name, "-", the
// number, and the extension of SafeFileName(`original`) where it is 1 to 10 letters or digits
// (in lower case).  AttachmentFileName("p", 2, "Photo.JPG") == "p-2.jpg"
std::string AttachmentFileName(std::string_view page_base, std::size_t number,
                               std::string_view original);

// The base name of a mail's page: its date in UTC ("20261208-090310", or "nodate" for 0),
// eight hexadecimal digits of a hash of `input_key` (the input file's path) and its number in
// that file in five or more digits.
// PageBaseName("a.mbox", 3, 0) == "nodate-xxxxxxxx-00003"
std::string PageBaseName(std::string_view input_key, std::size_t number, double utc_date);

// The value of the first `name` field (letter case ignored) of the mail's header block, its
// continuation lines joined by one space and blanks trimmed; empty when it has none.
// HeaderFieldOf("Date: a\r\n b\r\n\r\n", "date") == "a b"
std::string HeaderFieldOf(std::string_view mail, std::string_view name);

}  // namespace pictolumen
