#include "mime/mime_mess.h"

#include "common/text.h"
#include "mime/line_text.h"

namespace pictolumen {
namespace {

// The index of the header line `name` + ":" (letter case ignored) that the part's content
// fields were read from: the last one, as a later line overrides an earlier one when the part
// reads its header; -1 when there is none. A line such as "Content-Type-X:" is not taken.
int ContentLineIndex(std::string_view name, const StringList& headers) {
  const std::string prefix = std::string(name) + ":";
  for (std::size_t i = headers.size(); i-- > 0;) {
    if (mime_detail::StartsWith(UpperCase(headers[i].substr(0, prefix.size())), prefix)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

TMimeMess::TMimeMess(TMessHeaderClass header_class)
    : MessagePart(std::make_unique<TMimePart>()), Header(header_class()) {}

TMimePart* TMimeMess::NewPart(TMimePart* parent) {
  TMimePart* part = parent != nullptr ? parent->NewSubPart() : MessagePart.get();
  part->Clear();
  return part;
}

TMimePart* TMimeMess::AddMultipart(std::string_view subtype, TMimePart* parent) {
  TMimePart* part = NewPart(parent);
  part->SetPrimaryType("Multipart");
  part->SubType = std::string(subtype);
  part->Description = "Multipart message";
  part->Boundary = MakeBoundary();
  part->BuildPartHeader();
  return part;
}

void TMimeMess::ParseMessage() {
  Header->Clear();
  Header->ReadHeaders(Lines);
  MessagePart->Lines = Lines;
  MessagePart->ParseLines();
}

void TMimeMess::BuildMessage() {
  StringList head;
  Header->WriteHeaders(head);
  for (const char* name : {"CONTENT-TYPE", "CONTENT-DESCRIPTION", "CONTENT-DISPOSITION",
                           "CONTENT-ID", "CONTENT-TRANSFER-ENCODING"}) {
    const int index = ContentLineIndex(name, MessagePart->Headers);
    if (index >= 0) head.push_back(MessagePart->Headers[static_cast<std::size_t>(index)]);
  }
  MessagePart->Headers = std::move(head);
  MessagePart->BuildLines();
  Lines = MessagePart->Lines;
}

}  // namespace pictolumen
