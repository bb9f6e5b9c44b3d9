// The index of a converted archive: one row per mail, newest first, on pages of a thousand
// rows (index.html, index-2.html, ...), and the small record of a mail's row kept beside its
// page, from which a later run lists a mail it does not convert again.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pictolumen {

enum class MailState {
  kConverted,   // from a handset: its pictographs shown as pictures
  kPlain,       // from anyone else: shown as it was, as a plain page
  kUnreadable,  // no page: the reason says why
};

// One row of the index. The markup is Shift_JIS, as the pages are.
struct IndexEntry {
  MailState state = MailState::kUnreadable;
  double utc_date = 0;          // for the order; 0 for none
  std::string date_text;        // as shown
  std::string from_html;        // the sender
  std::string subject_html;     // the subject, pictographs as pictures of "../pictures/"
  std::string page;             // the page's file name in the folder "mail/"
  std::string origin_html;      // where the mail came from (input file and number)
  std::string reason;           // why an unreadable mail could not be read (plain text)
  std::size_t pictographs = 0;  // pictures shown on the page
};

// The record of a row, and the row read back from one; none for a record that is not one, or
// whose page is no name SafeFileName keeps as it is.
std::string EntryRecord(const IndexEntry& entry);
std::optional<IndexEntry> EntryFromRecord(std::string_view record);

// A local date for people: "2026-12-08 18:03"; empty for 0.
std::string DateText(double local_date);

// The file name of index page `number` (from 1): "index.html", "index-2.html", ...
std::string IndexPageName(std::size_t number);

// The index pages of `entries` (file name and Shift_JIS HTML), newest first (mails without a
// date last, then by page name and origin), `per_page` rows a page, each page linking to the
// others; one page when there are no entries.
std::vector<std::pair<std::string, std::string>> IndexPages(std::vector<IndexEntry> entries,
                                                            std::size_t per_page = 1000);

}  // namespace pictolumen
