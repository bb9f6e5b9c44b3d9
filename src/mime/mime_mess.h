// A whole mail message: its decoded top-level header and its tree of parts. Reading:
// ParseMessageText(source), then read Header and call DecodeBody on the parts wanted. Writing:
// AddMultipart / NewPart (with each part's EncodeBodyWhenWritten or EncodeBody and
// BuildPartHeader), set the Header fields, then TakeMessageText.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/string_list.h"
#include "mime/mess_header.h"
#include "mime/mime_part.h"

namespace pictolumen {

class TMimeMess {
 public:
  // A message whose header is made by `header_class`, so that a class derived from TMessHeader
  // can read and write further header lines.
  explicit TMimeMess(TMessHeaderClass header_class = &CreateMessHeader<TMessHeader>);
  virtual ~TMimeMess() = default;
  TMimeMess(const TMimeMess&) = delete;
  TMimeMess& operator=(const TMimeMess&) = delete;

  std::unique_ptr<TMimePart> MessagePart;  // root of the part tree
  std::unique_ptr<TMessHeader> Header;     // the top-level header fields

  // With a parent, a new last sub-part of it; without, the root part itself. Either way the part
  // is cleared and returned.
  TMimePart* NewPart(TMimePart* parent);

  // NewPart(parent) made a multipart of `subtype` with a fresh boundary (one whose delimiter
  // lines no multipart around it would read as its own), the description
  // "Multipart message" and its header lines built. Without a parent the root is cleared and
  // becomes the multipart.
  TMimePart* AddMultipart(std::string_view subtype, TMimePart* parent);

  // Source `text` -> Header and part tree: the root part reads the whole source (its header
  // block, for its Content-* fields, and the tree below it; see TMimePart::ParseText), and its
  // header fields, unfolded, are read into Header.
  void ParseMessageText(std::string_view text);

  // Header and part tree -> the text of the message, each line followed by CR LF: the lines of
  // Header, the root's Content-Type, Content-Description, Content-Disposition, Content-ID and
  // Content-Transfer-Encoding lines (those it has, in this order; they become its Headers), an
  // empty line and the rest of the tree. Where the root holds a name twice, the later line is
  // written, the one its content fields were read from. Calling it again gives the same text.
  std::string BuildMessageText();
  // BuildMessageText for a message written once: the parts' bodies are let go as they are
  // written (TMimePart::TakeText) and left empty; an empty text, with nothing let go, where the
  // text would be longer than `size_limit` bytes.
  std::string TakeMessageText(std::size_t size_limit = SIZE_MAX);

 private:
  // The root's Headers as BuildMessageText writes them: Header's lines and the root's content
  // lines.
  void BuildRootHeaders();
};

}  // namespace pictolumen
