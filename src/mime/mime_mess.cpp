#include "mime/mime_mess.h"

#include <utility>
#include <vector>

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

// The boundaries of the multiparts from `root` down to `part`, outermost first (the part's own
// included); none when `part` is not in the tree. The tree is walked without recursion.
std::vector<std::string_view> BoundariesDownTo(const TMimePart& root, const TMimePart* part) {
  std::vector<std::string_view> path;
  std::vector<std::pair<const TMimePart*, std::size_t>> pending{{&root, 0}};
  while (!pending.empty()) {
    const auto [current, depth] = pending.back();
    pending.pop_back();
    path.resize(depth);
    path.push_back(current->PrimaryKind == pkMultipart ? current->Boundary : std::string_view());
    if (current == part) {
      std::erase(path, std::string_view());
      return path;
    }
    for (const auto& sub : current->SubParts) pending.push_back({sub.get(), depth + 1});
  }
  return {};
}

// A boundary for a new multipart inside parts with the `enclosing` boundaries. A fresh one is
// taken as it is unless an enclosing part would claim its delimiter lines (a hostile mail may
// have the boundary "0", and fresh ones begin with the tick's leading zeros); then it is put
// behind a first character no enclosing boundary begins with.
std::string BoundaryInside(const std::vector<std::string_view>& enclosing) {
  std::string boundary = MakeBoundary();
  if (!BoundaryClaimedBy(boundary, enclosing)) return boundary;
  constexpr std::string_view kFirstCharacters =
      "=_-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz'()+,/:?";
  for (const char first : kFirstCharacters) {
    const std::string candidate = first + boundary;
    if (!BoundaryClaimedBy(candidate, enclosing)) return candidate;
  }
  return boundary;
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
  const std::string boundary = BoundaryInside(
      parent != nullptr ? BoundariesDownTo(*MessagePart, parent) : std::vector<std::string_view>());
  TMimePart* part = NewPart(parent);
  part->SetPrimaryType("Multipart");
  part->SubType = std::string(subtype);
  part->Description = "Multipart message";
  part->Boundary = boundary;
  part->BuildPartHeader();
  return part;
}

void TMimeMess::ParseMessageText(std::string_view text) {
  Header->Clear();
  MessagePart->ParseText(text);
  // The root's header fields are the message's, unfolded as the header reads them.
  Header->ReadHeaders(MessagePart->Headers);
}

std::string TMimeMess::BuildMessageText() {
  BuildRootHeaders();
  return MessagePart->BuildText();
}

std::string TMimeMess::TakeMessageText(std::size_t size_limit) {
  BuildRootHeaders();
  return MessagePart->TakeText(size_limit);
}

void TMimeMess::BuildRootHeaders() {
  StringList head;
  Header->WriteHeaders(head);
  for (const char* name : {"CONTENT-TYPE", "CONTENT-DESCRIPTION", "CONTENT-DISPOSITION",
                           "CONTENT-ID", "CONTENT-TRANSFER-ENCODING"}) {
    const int index = ContentLineIndex(name, MessagePart->Headers);
    if (index >= 0) head.push_back(MessagePart->Headers[static_cast<std::size_t>(index)]);
  }
  MessagePart->Headers = std::move(head);
}

}  // namespace pictolumen
