#include "convert/mail_index.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "charset/mail_date.h"
#include "convert/output_names.h"
#include "emoji/emoji_markup.h"

namespace pictolumen {
namespace {

// A record's value on one line: "\" as "\\", LF as "\n", CR as "\r".
std::string Escaped(std::string_view value) {
  std::string out;
  for (const char c : value) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescaped(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char next = value[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

constexpr std::string_view kRecordMark = "pictolumen-convert 1";

std::string_view StateName(MailState state) {
  switch (state) {
    case MailState::kConverted:
      return "converted";
    case MailState::kPlain:
      return "plain";
    case MailState::kUnreadable:
      break;
  }
  return "unreadable";
}

// The subject's pictures, addressed from the folder "mail/", addressed from the index's folder.
std::string FromIndexFolder(std::string_view html) {
  constexpr std::string_view kFromPage = "<img src=\"../pictures/";
  std::string out;
  for (std::size_t at = 0;;) {
    const std::size_t found = html.find(kFromPage, at);
    out.append(html.substr(at, found - at));
    if (found == std::string_view::npos) return out;
    out += "<img src=\"pictures/";
    at = found + kFromPage.size();
  }
}

bool Newer(const IndexEntry& a, const IndexEntry& b) {
  if ((a.utc_date == 0) != (b.utc_date == 0)) return b.utc_date == 0;
  if (a.utc_date != b.utc_date) return a.utc_date > b.utc_date;
  if (a.page != b.page) return a.page < b.page;
  return a.origin_html < b.origin_html;
}

std::string Navigation(std::size_t current, std::size_t count) {
  if (count < 2) return std::string();
  std::string nav = "<p class=\"nav\">";
  if (current > 1) nav += "<a href=\"" + IndexPageName(current - 1) + "\">&laquo; newer</a> ";
  for (std::size_t n = 1; n <= count; ++n) {
    nav += n == current ? "<b>" + std::to_string(n) + "</b> "
                        : "<a href=\"" + IndexPageName(n) + "\">" + std::to_string(n) + "</a> ";
  }
  if (current < count) nav += "<a href=\"" + IndexPageName(current + 1) + "\">older &raquo;</a>";
  return nav + "</p>\n";
}

std::string Row(const IndexEntry& entry) {
  std::string row = "<tr" +
                    std::string(entry.state == MailState::kUnreadable ? " class=\"unreadable\""
                                : entry.state == MailState::kPlain    ? " class=\"plain\""
                                                                      : "") +
                    "><td class=\"date\">" + EscapeHtml(entry.date_text) + "</td>";
  if (entry.state == MailState::kUnreadable) {
    return row + "<td>" + entry.origin_html + "</td><td>Unreadable: " + EscapeHtml(entry.reason) +
           "</td></tr>\n";
  }
  const std::string subject = entry.subject_html.empty() ? std::string("(no subject)")
                                                         : FromIndexFolder(entry.subject_html);
  return row + "<td>" + FromIndexFolder(entry.from_html) + "</td><td><a href=\"mail/" + entry.page +
         "\">" + subject + "</a></td></tr>\n";
}

constexpr std::string_view kPageHead =
    "<!DOCTYPE html>\n<html>\n<head>\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
    "<title>Mail</title>\n<style type=\"text/css\">\n"
    "body { font-family: sans-serif; font-size: 14px; margin: 16px 20px; color: #222; }\n"
    "table { border-collapse: collapse; width: 100%; }\n"
    "th, td { text-align: left; padding: 4px 8px; border-bottom: 1px solid #ddd; "
    "vertical-align: middle; }\n"
    "td.date { white-space: nowrap; color: #555; }\n"
    "tr.plain td { color: #666; }\n tr.unreadable td { color: #a00; }\n"
    "img { border: 0; vertical-align: middle; }\n</style>\n</head>\n<body>\n";

}  // namespace

std::string EntryRecord(const IndexEntry& entry) {
  char date[40];
  std::snprintf(date, sizeof date, "%.10f", entry.utc_date);
  std::string record(kRecordMark);
  record += "\nstate=" + std::string(StateName(entry.state));
  record += "\ndate=" + std::string(date);
  record += "\ndate_text=" + Escaped(entry.date_text);
  record += "\nfrom=" + Escaped(entry.from_html);
  record += "\nsubject=" + Escaped(entry.subject_html);
  record += "\npage=" + Escaped(entry.page);
  record += "\norigin=" + Escaped(entry.origin_html);
  record += "\nreason=" + Escaped(entry.reason);
  record += "\npictographs=" + std::to_string(entry.pictographs) + "\n";
  return record;
}

std::optional<IndexEntry> EntryFromRecord(std::string_view record) {
  if (!record.starts_with(kRecordMark)) return std::nullopt;
  IndexEntry entry;
  bool has_state = false;
  while (!record.empty()) {
    const std::size_t end = std::min(record.find('\n'), record.size());
    const std::string_view line = record.substr(0, end);
    record.remove_prefix(std::min(end + 1, record.size()));
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, equals);
    const std::string value = Unescaped(line.substr(equals + 1));
    if (key == "state") {
      has_state = true;
      if (value == "converted") {
        entry.state = MailState::kConverted;
      } else if (value == "plain") {
        entry.state = MailState::kPlain;
      } else {
        return std::nullopt;
      }
    } else if (key == "date") {
      entry.utc_date = std::strtod(value.c_str(), nullptr);
    } else if (key == "date_text") {
      entry.date_text = value;
    } else if (key == "from") {
      entry.from_html = value;
    } else if (key == "subject") {
      entry.subject_html = value;
    } else if (key == "page") {
      entry.page = value;
    } else if (key == "origin") {
      entry.origin_html = value;
    } else if (key == "reason") {
      entry.reason = value;
    } else if (key == "pictographs") {
      entry.pictographs = std::strtoul(value.c_str(), nullptr, 10);
    }
  }
  if (!has_state || entry.page.empty() || SafeFileName(entry.page) != entry.page) {
    return std::nullopt;
  }
  return entry;
}

std::string DateText(double local_date) {
  if (local_date == 0) return std::string();
  const DateTimeFields f = DecodeDateTime(local_date);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", f.year, f.month, f.day, f.hour,
                f.minute);
  return text;
}

std::string IndexPageName(std::size_t number) {
  return number <= 1 ? "index.html" : "index-" + std::to_string(number) + ".html";
}

std::vector<std::pair<std::string, std::string>> IndexPages(std::vector<IndexEntry> entries,
                                                            std::size_t per_page) {
  std::sort(entries.begin(), entries.end(), Newer);
  per_page = std::max<std::size_t>(per_page, 1);
  const std::size_t count = std::max<std::size_t>(1, (entries.size() + per_page - 1) / per_page);
  std::vector<std::pair<std::string, std::string>> pages;
  for (std::size_t n = 1; n <= count; ++n) {
    const std::size_t first = (n - 1) * per_page;
    const std::size_t last = std::min(entries.size(), first + per_page);
    std::string html(kPageHead);
    html += "<h1>" + std::to_string(entries.size()) + " mails</h1>\n" + Navigation(n, count);
    html += "<table>\n<tr><th>Date</th><th>From</th><th>Subject</th></tr>\n";
    for (std::size_t i = first; i < last; ++i) html += Row(entries[i]);
    html += "</table>\n" + Navigation(n, count) + "</body>\n</html>\n";
    pages.emplace_back(IndexPageName(n), std::move(html));
  }
  return pages;
}

}  // namespace pictolumen
