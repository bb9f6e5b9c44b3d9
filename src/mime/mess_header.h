// The top-level header of a mail message in decoded form: sender, recipients, subject and the
// other fields, read from the header block of a message source and written back as header lines.
// The Content-* lines and the MIME version belong to the message's root part (mime_part.h); they
// are recognised here only so that they do not land among the custom headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "charset/charset_names.h"
#include "common/string_list.h"

namespace pictolumen {

enum MessagePriority : std::uint8_t { prUnknown = 0, prLow = 1, prNormal = 2, prHigh = 3 };

class TMessHeader {
 public:
  // Empty fields; CharsetCode is the system's character set.
  TMessHeader();
  virtual ~TMessHeader() = default;

  std::string From;          // sender mailbox, encoded words decoded
  StringList ToList;         // one decoded mailbox per recipient
  StringList CcList;         // one decoded mailbox per copy recipient
  std::string Subject;       // decoded
  std::string Organization;  // decoded
  StringList CustomHeaders;  // unfolded lines ParseHeaderLine did not recognise, in order
  double Date = 0;           // local day count (charset/mail_date.h); 0 is unset
  std::string XMailer;       // not decoded
  CharsetId CharsetCode;     // decoding target and encoding source
  std::string ReplyTo;       // decoded
  std::string MessageId;     // without angle brackets
  MessagePriority Priority = prUnknown;
  // The priorities of the "Priority:", "X-Priority:" and "X-MSMAIL-Priority:" lines read last.
  MessagePriority PriorityValue = prUnknown;
  MessagePriority XPriorityValue = prUnknown;
  MessagePriority MsMailPriorityValue = prUnknown;

  // Empties every field except CharsetCode; Date becomes 0 and Priority prUnknown.
  void Clear();

  // Clears, then reads the header block at the top of `lines` (up to the first empty line).
  // Priority becomes the first known one of the Priority, X-Priority and X-MSMAIL-Priority lines.
  void ReadHeaders(const StringList& lines);

  // Stores the value of one unfolded header line when its name (matched with letter case
  // ignored, directly followed by the colon) is known; false only for an unknown header.
  // Derived classes may recognise more names.
  virtual bool ParseHeaderLine(std::string_view line);

  // Inserts the header lines of the current fields at the top of `lines`, ahead of what it holds:
  // From, To, Subject, Date, CC, Organization, MIME-Version, X-mailer, Message-ID, Reply-To,
  // the priority lines and the custom headers (each under its condition). A Date of 0 is first
  // set to the current local time. Lines are not folded here.
  virtual void WriteHeaders(StringList& lines);

 protected:
  // How the header's text is read and written; a derived class may read and write other
  // character sets. DecodeText: a value with its encoded words decoded into CharsetCode.
  // EncodeText: EncodeHeaderValue of a value in CharsetCode. EncodeMailbox: EncodeAddress.
  virtual std::string DecodeText(std::string_view value) const;
  virtual std::string EncodeText(std::string_view value) const;
  virtual std::string EncodeMailbox(std::string_view mailbox) const;

 private:
  // Cuts an address list at every comma outside double quotes and appends each decoded,
  // non-empty entry to `list`.
  void ReadAddressList(std::string_view value, StringList& list) const;
  // The entries of an address list, each through EncodeMailbox, joined by " , ".
  std::string WriteAddressList(const StringList& list) const;
};

// The priority of a header line: the first word of its value, as a number (1 or 2 high, 3
// normal, 4 or 5 low) or a word (urgent/high/highest, normal/medium, low/lowest/no-priority/
// non-urgent, any letter case); prUnknown for anything else.
// ParsePriority("X-Priority: 3 (Normal)") == prNormal;  ParsePriority("Priority: 7") == prUnknown
MessagePriority ParsePriority(std::string_view line);

// Reads the header field at `index` with its continuation lines and leaves `index` on the line
// after them. A continuation line is one that, with its tabs made spaces, begins with a space,
// a double quote, a colon or an equals sign; it is appended trimmed, after one space. An empty
// line ends the field and is not taken. The result loses its trailing blanks (never the escape
// byte); an empty line at `index` gives "" (the end of a header block). Only lines before `end`
// are read.  "Subject: a" "\tb" "" gives "Subject: a b" and stops on the empty line.
std::string ReadFoldedHeader(const StringList& lines, std::size_t& index, std::size_t end);
// The same over lines held as pieces of a text.
std::string ReadFoldedHeader(std::span<const std::string_view> lines, std::size_t& index,
                             std::size_t end);
std::string ReadFoldedHeader(const StringList& lines, std::size_t& index);

// The header class a message creates: TMimeMess calls it for its header, so that a class
// derived from TMessHeader can take the place of the plain one.
//   TMimeMess mess(&CreateMessHeader<MyHeader>);
using TMessHeaderClass = std::unique_ptr<TMessHeader> (*)();

template <class THeader>
std::unique_ptr<TMessHeader> CreateMessHeader() {
  static_assert(std::is_base_of_v<TMessHeader, THeader>, "a header class derives from TMessHeader");
  return std::make_unique<THeader>();
}

}  // namespace pictolumen
