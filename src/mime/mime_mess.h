// A whole mail message: its source as lines, its decoded top-level header and its tree of parts.
// Reading: fill Lines (e.g. Lines.SetText(source)), ParseMessage, then read Header and call
// DecodeBody on the parts wanted. Writing: AddMultipart / NewPart (with each part's EncodeBody
// and BuildPartHeader), set the Header fields, BuildMessage, then take Lines.Text().
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
  StringList Lines;                        // the message source, one line per entry
  std::unique_ptr<TMessHeader> Header;     // the top-level header fields

  // With a parent, a new last sub-part of it; without, the root part itself. Either way the part
  // is cleared and returned.
  TMimePart* NewPart(TMimePart* parent);

  // NewPart(parent) made a multipart of `subtype` with a fresh boundary (one whose delimiter
  // lines no multipart around it would read as its own), the description
  // "Multipart message" and its header lines built. Without a parent the root is cleared and
  // becomes the multipart.
  TMimePart* AddMultipart(std::string_view subtype, TMimePart* parent);

  // Lines -> Header and part tree: the header block into Header, then the root part reads the
  // whole source (its header block again, for its Content-* fields, and the tree below it).
  void ParseMessage();
  // ParseMessage of the source `text` without making its list of lines: the parts copy what
  // they keep straight from the text (see TMimePart::ParseText). Lines and the root's Lines are
  // left empty.
  void ParseMessageText(std::string_view text);

  // Header and part tree -> Lines: the lines of Header, the root's Content-Type,
  // Content-Description, Content-Disposition, Content-ID and Content-Transfer-Encoding lines
  // (those it has, in this order; they become its Headers), an empty line and the rest of the
  // tree. Where the root holds a name twice, the later line is written, the one its content
  // fields were read from. Calling it again gives the same source.
  void BuildMessage();

  // The text that BuildMessage leaves in Lines (each line followed by CR LF), made without the
  // lists of lines: neither Lines nor the root's Lines change. The root's Headers become those
  // BuildMessage writes.
  std::string BuildMessageText();
  // BuildMessageText for a message written once: the parts' bodies are let go as they are
  // written (TMimePart::TakeText) and left empty; an empty text, with nothing let go, where the
  // text would be longer than `size_limit` bytes.
  std::string TakeMessageText(std::size_t size_limit = SIZE_MAX);

 private:
  // The root's Headers as BuildMessage writes them: Header's lines and the root's content lines.
  void BuildRootHeaders();
};

}  // namespace pictolumen
