#include "mime/mime_mess.h"

#include "charset/text_utils.h"

namespace pictolumen {

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
    const int index = FindHeaderIndex(name, MessagePart->Headers);
    if (index >= 0) head.push_back(MessagePart->Headers[static_cast<std::size_t>(index)]);
  }
  MessagePart->Headers = std::move(head);
  MessagePart->BuildLines();
  Lines = MessagePart->Lines;
}

}  // namespace pictolumen
