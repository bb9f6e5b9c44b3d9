#include "mime/mess_header.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "charset/mail_date.h"
#include "charset/text_utils.h"
#include "common/text.h"
#include "mime/encoded_words.h"
#include "mime/line_text.h"

namespace pictolumen {
namespace {

using mime_detail::StartsWith;

// Days from the day count's epoch (30 December 1899) to the Unix epoch.
constexpr double kUnixEpochDay = 25569.0;

// The current local date and time as a day count.
double CurrentLocalDateTime() {
  const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
  const double seconds = std::chrono::duration<double>(since_epoch).count();
  return kUnixEpochDay + (seconds + TimeZoneBiasMinutes() * 60.0) / 86400.0;
}

// The value of a header line: the text after its first colon, trimmed.
std::string ValueOf(std::string_view line) {
  return Trim(TextAfter(line, ":"));
}

// The value of a non-negative decimal number, saturated far above every priority number; -1
// when `text` is not such a number.
long long DecimalValue(std::string_view text) {
  if (text.empty()) return -1;
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    if (value < 1000000) value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

TMessHeader::TMessHeader() : CharsetCode(SystemCharsetId()) {}

std::string TMessHeader::DecodeText(std::string_view value) const {
  return DecodeInlineWords(value, CharsetCode);
}

std::string TMessHeader::EncodeText(std::string_view value) const {
  return EncodeHeaderValue(value, CharsetCode);
}

std::string TMessHeader::EncodeMailbox(std::string_view mailbox) const {
  return EncodeAddress(mailbox, CharsetCode);
}

void TMessHeader::ReadAddressList(std::string_view value, StringList& list) const {
  while (!value.empty()) {
    const std::string entry = DecodeText(Trim(TakeQuotedToken(value, ",", '"')));
    if (!entry.empty()) list.push_back(entry);
  }
}

std::string TMessHeader::WriteAddressList(const StringList& list) const {
  std::string text;
  for (const std::string& entry : list) {
    if (!text.empty()) text += " , ";
    text += EncodeMailbox(entry);
  }
  return text;
}

void TMessHeader::Clear() {
  From.clear();
  ToList.clear();
  CcList.clear();
  Subject.clear();
  Organization.clear();
  CustomHeaders.clear();
  XMailer.clear();
  ReplyTo.clear();
  MessageId.clear();
  Date = 0;
  Priority = prUnknown;
}

void TMessHeader::ReadHeaders(const StringList& lines) {
  Clear();
  PriorityValue = prUnknown;
  XPriorityValue = prUnknown;
  MsMailPriorityValue = prUnknown;
  std::size_t index = 0;
  while (index < lines.size()) {
    std::string field = ReadFoldedHeader(lines, index);
    if (field.empty()) break;
    if (!ParseHeaderLine(field)) CustomHeaders.push_back(std::move(field));
  }
  for (const MessagePriority value : {PriorityValue, XPriorityValue, MsMailPriorityValue}) {
    if (value != prUnknown) {
      Priority = value;
      break;
    }
  }
}

bool TMessHeader::ParseHeaderLine(std::string_view line) {
  const std::string upper = UpperCase(line);
  const auto is = [&upper](std::string_view name) { return StartsWith(upper, name); };
  if (is("X-MAILER:")) {
    XMailer = ValueOf(line);
  } else if (is("FROM:")) {
    From = DecodeText(ValueOf(line));
  } else if (is("SUBJECT:")) {
    Subject = DecodeText(ValueOf(line));
  } else if (is("ORGANIZATION:")) {
    Organization = DecodeText(ValueOf(line));
  } else if (is("TO:")) {
    ReadAddressList(ValueOf(line), ToList);
  } else if (is("CC:")) {
    ReadAddressList(ValueOf(line), CcList);
  } else if (is("DATE:")) {
    Date = ParseRfc822Date(ValueOf(line));
  } else if (is("REPLY-TO:")) {
    ReplyTo = DecodeText(ValueOf(line));
  } else if (is("MESSAGE-ID:")) {
    MessageId = EmailAddressOf(ValueOf(line));
  } else if (is("PRIORITY:")) {
    PriorityValue = ParsePriority(line);
  } else if (is("X-PRIORITY:")) {
    XPriorityValue = ParsePriority(line);
  } else if (is("X-MSMAIL-PRIORITY:")) {
    MsMailPriorityValue = ParsePriority(line);
  } else if (!(is("MIME-VERSION:") || is("CONTENT-TYPE:") || is("CONTENT-DESCRIPTION:") ||
               is("CONTENT-DISPOSITION:") || is("CONTENT-ID:") ||
               is("CONTENT-TRANSFER-ENCODING:"))) {
    return false;
  }
  return true;
}

void TMessHeader::WriteHeaders(StringList& lines) {
  if (Date == 0) Date = CurrentLocalDateTime();
  std::vector<std::string> head;
  // Room for the fields below and a few that the caller adds (a part's content lines), so that
  // a header of a million lines is not copied over as it grows.
  constexpr std::size_t kFieldsBesideCustomOnes = 24;
  head.reserve(CustomHeaders.size() + kFieldsBesideCustomOnes);
  head.push_back("From: " + EncodeMailbox(From));
  if (!ToList.empty()) head.push_back("To: " + WriteAddressList(ToList));
  if (!Subject.empty()) head.push_back("Subject: " + EncodeText(Subject));
  head.push_back("Date: " + FormatRfc822Date(Date));
  if (!CcList.empty()) head.push_back("CC: " + WriteAddressList(CcList));
  if (!Organization.empty()) {
    head.push_back("Organization: " + EncodeText(Organization));
  }
  head.push_back("MIME-Version: 1.0 (generated by Pictolumen)");
  head.push_back("X-mailer: " + (XMailer.empty() ? std::string("Pictolumen") : XMailer));
  if (!MessageId.empty()) head.push_back("Message-ID: <" + Trim(MessageId) + ">");
  if (!ReplyTo.empty()) head.push_back("Reply-To: " + EmailAddressOf(ReplyTo));
  if (Priority == prHigh) {
    head.insert(head.end(), {"Priority: urgent", "X-Priority: 1", "X-MSMAIL-Priority: High"});
  } else if (Priority == prLow) {
    head.insert(head.end(), {"Priority: non-urgent", "X-Priority: 5", "X-MSMAIL-Priority: low"});
  }
  for (const std::string& line : CustomHeaders) {
    if (!line.empty()) head.push_back(line);
  }
  std::vector<std::string>& all = lines.lines();
  if (all.empty()) {
    all = std::move(head);
  } else {
    all.insert(all.begin(), std::make_move_iterator(head.begin()),
               std::make_move_iterator(head.end()));
  }
}

MessagePriority ParsePriority(std::string_view line) {
  const std::string value = Trim(TextAfter(line, ":"));
  const std::string word = TextBefore(value, " ");
  const long long number = DecimalValue(word);
  if (number >= 0) {
    if (number == 1 || number == 2) return prHigh;
    if (number == 3) return prNormal;
    if (number == 4 || number == 5) return prLow;
    return prUnknown;
  }
  const std::string lower = LowerCase(word);
  if (lower == "urgent" || lower == "high" || lower == "highest") return prHigh;
  if (lower == "normal" || lower == "medium") return prNormal;
  if (lower == "low" || lower == "lowest" || lower == "no-priority" || lower == "non-urgent") {
    return prLow;
  }
  return prUnknown;
}

namespace {

template <class Lines>
std::string ReadFoldedHeaderFrom(const Lines& lines, std::size_t& index, std::size_t end) {
  end = std::min(end, lines.size());
  if (index >= end) return {};
  std::string field(lines[index++]);
  if (!field.empty()) {
    while (index < end) {
      const std::string_view next = lines[index];
      if (next.empty()) break;
      const char first = next[0] == '\t' ? ' ' : next[0];
      if (first != ' ' && first != '"' && first != ':' && first != '=') break;
      std::string continuation(next);
      for (char& c : continuation) {
        if (c == '\t') c = ' ';
      }
      field += ' ';
      field += Trim(continuation);
      ++index;
    }
  }
  field.resize(WithoutTrailingBlanks(field).size());
  return field;
}

}  // namespace

std::string ReadFoldedHeader(const StringList& lines, std::size_t& index, std::size_t end) {
  return ReadFoldedHeaderFrom(lines, index, end);
}

std::string ReadFoldedHeader(std::span<const std::string_view> lines, std::size_t& index,
                             std::size_t end) {
  return ReadFoldedHeaderFrom(lines, index, end);
}

std::string ReadFoldedHeader(const StringList& lines, std::size_t& index) {
  return ReadFoldedHeader(lines, index, lines.size());
}

}  // namespace pictolumen
