// Mail archives cut into mails: a file's kind told from its first bytes, mbox files cut at their
// "From " lines as they are read, and vMessage (.vmg) files cut into their records.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pictolumen {

enum class ArchiveKind {
  kMail,     // one mail (.eml, a Maildir file)
  kMbox,     // mails each after a "From " line
  kVmg,      // vMessage records, each holding a mail between BEGIN:VBODY and END:VBODY
  kUnknown,  // none of these
};

// Whether `text` begins like a mail: its first line (after a UTF-8 byte order mark) is a header
// field, a name of printable ASCII without blanks directly followed by a colon.
// LooksLikeMail("Date: x\r\n") is true;  LooksLikeMail("<html>") is false.
bool LooksLikeMail(std::string_view text);

// The kind of a file from its first bytes: "From " at the very start is an mbox, "BEGIN:VMSG"
// (any letter case, after blank lines) a vMessage file, a header field a mail.
ArchiveKind KindOfContent(std::string_view head);

// An mbox file cut into mails while it is read, so that a large one is never held whole. A line
// that begins with "From " at the start of the file or after an empty line begins a new mail
// and is no part of it; the empty line before it is dropped too. In every other line of the
// form ">From ", ">>From "... one ">" is taken away (mboxrd). Bytes before the first "From "
// line are no mail. Lines end in LF or CR LF and keep their ends.
class MboxSplitter {
 public:
  using Take = std::function<void(std::string mail)>;
  explicit MboxSplitter(Take take);

  // Reads the next bytes of the file; `take` is called for every mail they complete.
  void Feed(std::string_view bytes);
  // Ends the file: the last mail is handed to `take`.
  void Finish();

 private:
  void Line(std::string_view line);

  Take take_;
  std::string partial_;     // the unfinished last line
  std::string mail_;        // the mail being read
  std::string held_blank_;  // an empty line that ends the mail when a "From " line follows
  bool after_blank_ = true;
  bool in_mail_ = false;
};

// One vMessage record: the mail text of its VBODY block, with its lines as they were.
struct VmgRecord {
  std::string mail;
  bool has_body = false;  // whether the record holds a BEGIN:VBODY block at all
};

// The records of a vMessage file: each BEGIN:VMSG begins one, and the lines between its
// BEGIN:VBODY and the next END:VBODY line (names in any letter case, blanks around them
// ignored) are its mail.
std::vector<VmgRecord> SplitVmg(std::string_view text);

}  // namespace pictolumen
