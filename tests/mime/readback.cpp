#include "readback.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include "common/text.h"
#include "platform/platform.h"

namespace pictolumen::testing {
namespace {

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex.empty() ? "." : hex;
}

}  // namespace

std::string DescribeAsParsed(std::string_view source) {
  TMimeMess mess;
  mess.Header->CharsetCode = csUTF_8;
  mess.ParseMessageText(source);
  std::string text = "subject " + Hex(mess.Header->Subject) + "\n";
  std::vector<std::pair<TMimePart*, int>> pending{{mess.MessagePart.get(), 0}};
  while (!pending.empty()) {
    auto [part, depth] = pending.back();
    pending.pop_back();
    std::string content = "-";
    if (part->PrimaryKind == pkText || part->PrimaryKind == pkBinary) {
      part->TargetCharset = part->CharsetCode;  // transfer decoding only
      part->DecodeBody();
      content = Hex(part->DecodedData.Bytes());
    }
    text += "part " + std::to_string(depth) + " " + LowerCase(part->PrimaryType) + "/" +
            LowerCase(part->SubType) + " " + content + "\n";
    for (int k = part->SubPartCount() - 1; k >= 0; --k)
      pending.push_back({part->SubPartAt(k), depth + 1});
  }
  return text;
}

void SaveForReadBack(const std::string& name, const std::string& source,
                     const std::string& original) {
  const char* folder = std::getenv("PICTOLUMEN_MIME_READBACK_DIR");
  if (folder == nullptr || *folder == '\0') return;
  const std::string base = std::string(folder) + platform::kPathSeparator + name;
  std::string tree = DescribeAsParsed(source);
  if (!original.empty()) tree += "original " + original + "\n";
  platform::WriteWholeFile(base + ".eml", source);
  platform::WriteWholeFile(base + ".tree", tree);
}

}  // namespace pictolumen::testing
