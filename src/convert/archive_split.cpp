#include "convert/archive_split.h"

#include <utility>

#include "common/text.h"

namespace pictolumen {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view WithoutByteOrderMark(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return text;
}

// A line without its LF or CR LF.
std::string_view Bare(std::string_view line) {
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

bool IsLine(std::string_view line, std::string_view word) {
  return CompareIgnoringCase(Trim(Bare(line)), word) == 0;
}

// Calls `each` with every line of `text`, its end included; the last one may lack an end.
template <class Each>
void ForEachLine(std::string_view text, Each each) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
    each(text.substr(0, length));
    text.remove_prefix(length);
  }
}

}  // namespace

bool LooksLikeMail(std::string_view text) {
  text = WithoutByteOrderMark(text);
  std::size_t i = 0;
  for (; i < text.size() && text[i] != ':'; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c <= 0x20 || c >= 0x7F) return false;
  }
  return i > 0 && i < text.size();
}

ArchiveKind KindOfContent(std::string_view head) {
  head = WithoutByteOrderMark(head);
  if (head.starts_with("From ")) return ArchiveKind::kMbox;
  const std::size_t first = head.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos &&
      CompareIgnoringCase(head.substr(first, 10), "BEGIN:VMSG") == 0) {
    return ArchiveKind::kVmg;
  }
  return LooksLikeMail(head) ? ArchiveKind::kMail : ArchiveKind::kUnknown;
}

MboxSplitter::MboxSplitter(Take take) : take_(std::move(take)) {}

void MboxSplitter::Feed(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) {
      partial_.append(bytes);
      return;
    }
    if (partial_.empty()) {
      Line(bytes.substr(0, end + 1));
    } else {
      partial_.append(bytes.substr(0, end + 1));
      Line(partial_);
      partial_.clear();
    }
    bytes.remove_prefix(end + 1);
  }
}

void MboxSplitter::Finish() {
  if (!partial_.empty()) {
    const std::string last = std::move(partial_);
    partial_.clear();
    Line(last);
  }
  if (in_mail_) take_(std::move(mail_));
  mail_.clear();
  held_blank_.clear();
  in_mail_ = false;
  after_blank_ = true;
}

void MboxSplitter::Line(std::string_view line) {
  const std::string_view bare = Bare(line);
  if (after_blank_ && bare.starts_with("From ")) {
    if (in_mail_) take_(std::move(mail_));
    mail_.clear();
    held_blank_.clear();
    in_mail_ = true;
    after_blank_ = false;
    return;
  }
  after_blank_ = bare.empty();
  if (!in_mail_) return;
  mail_ += held_blank_;
  held_blank_.clear();
  if (bare.empty()) {
    held_blank_ = line;
    return;
  }
  const std::size_t quotes = bare.find_first_not_of('>');
  if (quotes != 0 && quotes != std::string_view::npos && bare.substr(quotes).starts_with("From ")) {
    line.remove_prefix(1);
  }
  mail_ += line;
}

std::vector<VmgRecord> SplitVmg(std::string_view text) {
  std::vector<VmgRecord> records;
  bool in_record = false;
  bool in_body = false;
  ForEachLine(WithoutByteOrderMark(text), [&](std::string_view line) {
    if (in_body) {
      if (IsLine(line, "END:VBODY")) {
        in_body = false;
      } else {
        records.back().mail += line;
      }
    } else if (IsLine(line, "BEGIN:VMSG")) {
      records.emplace_back();
      in_record = true;
    } else if (in_record && IsLine(line, "BEGIN:VBODY")) {
      in_body = true;
      records.back().has_body = true;
    } else if (IsLine(line, "END:VMSG")) {
      in_record = false;
    }
  });
  return records;
}

}  // namespace pictolumen
