// The part model: its tree, its content fields, and its Content-* header lines read and
// written.
#include "mime/mime_part.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <new>
#include <utility>

#include "charset/mail_date.h"
#include "charset/text_utils.h"
#include "common/text.h"
#include "mime/encoded_words.h"
#include "mime/line_text.h"

namespace pictolumen {
namespace {

using mime_detail::StartsWith;

const char* DefaultSubType(PrimaryKind kind) {
  switch (kind) {
    case pkText:
      return "plain";
    case pkMultipart:
      return "mixed";
    case pkMessage:
      return "rfc822";
    case pkBinary:
      break;
  }
  return "octet-stream";
}

// The name written into the Content-Transfer-Encoding line. UU and XX data is normally turned
// into base64 by EncodeBody; a part that skipped it is labelled so that reading it again gives
// the same kind.
const char* EncodingName(EncodingKind kind) {
  switch (kind) {
    case ek7Bit:
      break;
    case ek8Bit:
      return "8bit";
    case ekQuotedPrintable:
      return "Quoted-printable";
    case ekBase64:
      return "Base64";
    case ekUU:
      return "x-uuencode";
    case ekXX:
      return "x-xxencode";
  }
  return "7bit";
}

// `name` without any leading path: what follows its last "\" or ":". In a Shift_JIS name the
// second byte of a two-byte character is never taken for a separator (表 is 95 5C).
std::string WithoutPath(std::string_view name, bool shift_jis) {
  std::size_t start = 0;
  for (std::size_t k = 0; k < name.size(); ++k) {
    const auto byte = static_cast<unsigned char>(name[k]);
    if (shift_jis && IsSjisLeadByte(byte) && k + 1 < name.size()) {
      ++k;
    } else if (byte == '\\' || byte == ':') {
      start = k + 1;
    }
  }
  return std::string(name.substr(start));
}

}  // namespace

TMimePart::TMimePart() : TargetCharset(SystemCharsetId()) {}

TMimePart::~TMimePart() {
  FreeSubParts();
}

void TMimePart::Clear() {
  PrimaryType.clear();
  TransferEncoding.clear();
  CharsetName.clear();
  SubType.clear();
  Description.clear();
  Disposition.clear();
  ContentId.clear();
  Boundary.clear();
  FileName.clear();
  PrimaryKind = pkText;
  EncodingKind = ek7Bit;
  CharsetCode = csISO_8859_1;
  TargetCharset = SystemCharsetId();
  Body = std::string();
  encode_when_written_ = false;
  Headers.clear();
  Preamble.clear();
  Epilogue.clear();
  DecodedData.Clear();
  FreeSubParts();
}

TMimePart* TMimePart::SubPartAt(int index) const {
  if (index < 0 || index >= SubPartCount()) return nullptr;
  return SubParts[static_cast<std::size_t>(index)].get();
}

void TMimePart::FreeSubParts() {
  // Each part is destroyed only after its own sub-parts have been handed over, so destroying a
  // deep tree never recurses.
  std::vector<std::unique_ptr<TMimePart>> doomed = std::move(SubParts);
  SubParts.clear();
  while (!doomed.empty()) {
    std::unique_ptr<TMimePart> part = std::move(doomed.back());
    doomed.pop_back();
    // When memory runs out while they are handed over, the rest stay with their part, which
    // frees them the same way as it is destroyed at the end of this turn: no emptied sub-part is
    // left behind, and no exception leaves a destructor.
    std::vector<std::unique_ptr<TMimePart>>& subs = part->SubParts;
    std::size_t handed = 0;
    try {
      for (; handed < subs.size(); ++handed) doomed.push_back(std::move(subs[handed]));
    } catch (const std::bad_alloc&) {
    }
    subs.erase(subs.begin(), subs.begin() + static_cast<std::ptrdiff_t>(handed));
  }
}

TMimePart* TMimePart::NewSubPart() {
  auto part = std::make_unique<TMimePart>();
  part->DefaultCharset = DefaultCharset;
  part->NestLevel = NestLevel + 1;
  SubParts.push_back(std::move(part));
  return SubParts.back().get();
}

bool TMimePart::CanNestSubPart() const {
  return NestLevel < kNestLevelBound && (MaxNestLevel == -1 || NestLevel < MaxNestLevel);
}

void TMimePart::SetPrimaryType(std::string_view type) {
  PrimaryType = std::string(type);
  const std::string upper = UpperCase(type);
  if (StartsWith(upper, "TEXT")) {
    PrimaryKind = pkText;
  } else if (StartsWith(upper, "MULTIPART")) {
    PrimaryKind = pkMultipart;
  } else if (StartsWith(upper, "MESSAGE")) {
    PrimaryKind = pkMessage;
  } else {
    PrimaryKind = pkBinary;
  }
}

void TMimePart::SetTransferEncoding(std::string_view name) {
  TransferEncoding = std::string(name);
  const std::string upper = UpperCase(name);
  if (StartsWith(upper, "8BIT")) {
    EncodingKind = ek8Bit;
  } else if (StartsWith(upper, "QUOTED-PRINTABLE")) {
    EncodingKind = ekQuotedPrintable;
  } else if (StartsWith(upper, "BASE64")) {
    EncodingKind = ekBase64;
  } else if (StartsWith(upper, "X-UU")) {
    EncodingKind = ekUU;
  } else if (StartsWith(upper, "X-XX")) {
    EncodingKind = ekXX;
  } else {
    EncodingKind = ek7Bit;
  }
}

void TMimePart::SetCharsetName(std::string_view name) {
  CharsetName = std::string(name);
  CharsetCode = CharsetIdFromName(name);
}

void TMimePart::ParsePartHeader() {
  SetPrimaryType("text");
  SubType = "plain";
  Description.clear();
  SetCharsetName(DefaultCharset);
  FileName.clear();
  SetTransferEncoding("7BIT");
  Disposition.clear();
  ContentId.clear();
  std::string disposition_file_name;

  for (const std::string& line : Headers) {
    if (line.empty()) continue;
    const std::string upper = UpperCase(line);
    if (StartsWith(upper, "CONTENT-TYPE:")) {
      const std::string media = Trim(TextBefore(Trim(TextAfter(upper, ":")), ";"));
      SetPrimaryType(Trim(TextBefore(media, "/")));
      SubType = media.find('/') == std::string::npos ? std::string() : Trim(TextAfter(media, "/"));
      switch (PrimaryKind) {
        case pkText:
          SetCharsetName(UpperCase(HeaderParameter(line, "charset")));
          FileName = HeaderParameter(line, "name");
          break;
        case pkMultipart:
          // A delimiter line is compared without its trailing blanks, so a boundary that
          // ends in one (or in another control byte) could never be found.
          Boundary = std::string(WithoutTrailingBlanks(HeaderParameter(line, "Boundary")));
          break;
        case pkBinary:
          FileName = HeaderParameter(line, "name");
          break;
        case pkMessage:
          break;
      }
    } else if (StartsWith(upper, "CONTENT-TRANSFER-ENCODING:")) {
      SetTransferEncoding(Trim(TextAfter(upper, ":")));
    } else if (StartsWith(upper, "CONTENT-DESCRIPTION:")) {
      Description = Trim(TextAfter(line, ":"));
    } else if (StartsWith(upper, "CONTENT-DISPOSITION:")) {
      Disposition = Trim(TextBefore(TextAfter(upper, ":"), ";"));
      disposition_file_name = HeaderParameter(line, "FileName");
    } else if (StartsWith(upper, "CONTENT-ID:")) {
      ContentId = Trim(TextAfter(line, ":"));
    }
  }

  if (FileName.empty()) FileName = disposition_file_name;
  FileName = WithoutPath(DecodeInlineWords(FileName, TargetCharset),
                         TargetCharset == csCP932 || TargetCharset == csSHIFT_JIS);
}

void TMimePart::BuildPartHeader() {
  Headers.clear();
  if (SubType.empty()) SubType = DefaultSubType(PrimaryKind);

  std::string type = PrimaryType + "/" + SubType;
  if (PrimaryKind == pkText) {
    type += "; charset=" + CharsetNameFromId(CharsetCode);
  } else if (PrimaryKind == pkMultipart) {
    type += "; boundary=\"" + Boundary + "\"";
  }
  const std::string encoded_name =
      FileName.empty() ? std::string() : EncodeHeaderValue(FileName, TargetCharset);
  if (!FileName.empty()) type += "; name=\"" + encoded_name + "\"";

  Headers.push_back("Content-type: " + type);
  if (PrimaryKind == pkText || PrimaryKind == pkBinary) {
    Headers.push_back(std::string("Content-Transfer-Encoding: ") + EncodingName(EncodingKind));
  }
  if (!ContentId.empty()) Headers.push_back("Content-ID: " + ContentId);
  if (!Disposition.empty()) {
    std::string disposition = "Content-Disposition: " + LowerCase(Disposition);
    if (!FileName.empty()) disposition += "; FileName=\"" + encoded_name + "\"";
    Headers.push_back(std::move(disposition));
  }
  if (!Description.empty()) Headers.push_back("Content-Description: " + Description);
}

bool BoundaryClaimedBy(std::string_view boundary, const std::vector<std::string_view>& enclosing) {
  return std::any_of(enclosing.begin(), enclosing.end(),
                     [boundary](std::string_view outer) { return StartsWith(boundary, outer); });
}

std::string MakeBoundary() {
  // The tick of the boundary made last in this process (0 before the first), kept with the
  // flag bit 32 so that a tick of 0 is told apart. A boundary takes the clock's tick when it has
  // moved past that one, else the tick after it: boundaries made in the same millisecond differ
  // without the mail's reader waiting a millisecond for each.
  static std::atomic<std::uint64_t> last_made{0};
  constexpr std::uint64_t kMade = std::uint64_t{1} << 32;
  std::uint64_t last = last_made.load();
  std::uint32_t tick = 0;
  do {
    tick = TickNow();
    const auto previous = static_cast<std::uint32_t>(last);
    if ((last & kMade) != 0 && static_cast<std::int32_t>(tick - previous) <= 0) {
      tick = previous + 1;
    }
  } while (!last_made.compare_exchange_weak(last, kMade | tick));
  // The random part: the fine clock and the tick mixed (the finalizer of splitmix64), taken
  // from 0 to 2147483646; one number needs no generator state set up.
  auto mixed =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (std::uint64_t{tick} << 32);
  mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9u;
  mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBu;
  mixed ^= mixed >> 31;
  char text[40];
  std::snprintf(text, sizeof text, "%08X_%08X_Pictolumen_boundary", static_cast<unsigned>(tick),
                static_cast<unsigned>(mixed % 2147483647u));
  return text;
}

}  // namespace pictolumen
