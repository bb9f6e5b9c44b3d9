// Whole messages: parse any source, decode every part, build the message again and parse what
// was built. The rebuilt source must read as the same tree with the same decoded content, and
// building it once more must give the same source (up to blanks and mailboxes, see Comparable).
// Each leaf part is also encoded from its decoded content and decoded again, which must give that
// content back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "charset/external_converter.h"
#include "common/text.h"
#include "fuzz_check.h"
#include "mime/mime_mess.h"

using namespace pictolumen;

namespace {

std::vector<TMimePart*> PartsOf(TMimeMess& mess) {
  std::vector<TMimePart*> parts;
  std::vector<TMimePart*> pending{mess.MessagePart.get()};
  while (!pending.empty()) {
    TMimePart* part = pending.back();
    pending.pop_back();
    parts.push_back(part);
    for (auto it = part->SubParts.rbegin(); it != part->SubParts.rend(); ++it) {
      pending.push_back(it->get());
    }
  }
  return parts;
}

// `text` with every run of blanks (the bytes up to 0x20 that Trim removes, except CR and LF)
// made one space. A header line is unfolded by taking each continuation line trimmed, after one
// space, with its tabs made spaces; so blanks where a line was folded do not come back as they
// stood.
std::string OneSpace(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 || byte == 0x1B || c == '\r' || c == '\n') {
      out += c;
    } else if (out.empty() || out.back() != ' ') {
      out += ' ';
    }
  }
  return out;
}

// What a reader of the message sees: per part its kind, encoding, the charset of a text part,
// the boundary of a multipart or the file name of a text or binary part, the sub-part count
// and the decoded content. (A part whose header holds several Content-Type lines may keep a
// charset, boundary or file name of an earlier line that the last one does not use.)
std::string TreeOf(TMimeMess& mess) {
  std::string tree;
  for (TMimePart* part : PartsOf(mess)) {
    part->DecodeBody();
    const PrimaryKind kind = part->PrimaryKind;
    const std::string name = kind == pkMultipart ? part->Boundary
                             : kind == pkMessage ? std::string()
                                                 : part->FileName;
    const int charset = kind == pkText ? part->CharsetCode : -1;
    tree += OneSpace(part->PrimaryType + "/" + part->SubType + " [" + name + "]") + " " +
            std::to_string(charset) + " " + std::to_string(part->EncodingKind) + " " +
            std::to_string(part->SubPartCount()) + "\n" + part->DecodedData.Bytes() + "\n";
  }
  return tree;
}

// Where two texts part: the rest of each from a little before the first differing byte.
std::string Difference(std::string_view expected, std::string_view actual) {
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  const std::size_t from = at > 40 ? at - 40 : 0;
  return "\n--- expected:\n" + std::string(expected.substr(from, 200)) + "\n--- actual:\n" +
         std::string(actual.substr(from, 200));
}

// Whether the tree has a multipart whose boundary lines cannot be told apart when the message
// is read again: a multipart inside another one whose boundary begins with the outer boundary
// (an empty boundary included) ends the outer sub-part with its own boundary lines; a boundary
// that ends in a blank never matches a line, whose trailing blanks are removed, so that the
// preamble takes every line and grows by the boundary lines written after it; and a boundary
// holding a control byte or two blanks in a row may be folded there and read back changed
// (a tab made a space, blanks after "; " or ", " made one).
bool HasBoundaryClash(TMimeMess& mess) {
  struct Pending {
    TMimePart* part;
    std::vector<std::string> outer;
  };
  std::vector<Pending> pending{{mess.MessagePart.get(), {}}};
  while (!pending.empty()) {
    Pending item = std::move(pending.back());
    pending.pop_back();
    if (item.part->PrimaryKind == pkMultipart && !item.part->SubParts.empty()) {
      const std::string& boundary = item.part->Boundary;
      if (!boundary.empty() && static_cast<unsigned char>(boundary.back()) <= 0x20 &&
          boundary.back() != '\x1b') {
        return true;
      }
      for (std::size_t k = 0; k < boundary.size(); ++k) {
        const bool blank = boundary[k] == ' ';
        if (static_cast<unsigned char>(boundary[k]) < 0x20) return true;
        if (blank && k + 1 < boundary.size() && boundary[k + 1] == ' ') return true;
      }
      for (const std::string& outer : item.outer) {
        if (boundary.compare(0, outer.size(), outer) == 0) return true;
      }
      item.outer.push_back(boundary);
    }
    for (auto& sub : item.part->SubParts) pending.push_back({sub.get(), item.outer});
  }
  return false;
}

// A source as compared between two builds: folded lines joined, blanks as OneSpace makes them
// and none at the end of a line, and the address lines left out. A mailbox is kept decoded and
// taken apart again when it is written, so a display name holding "<" or a double quote does not
// come back the same.
std::string Comparable(std::string_view source) {
  std::string out;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (source.substr(i, 2) == "\r\n" && i + 2 < source.size() &&
        (source[i + 2] == ' ' || source[i + 2] == '\t')) {
      ++i;
    } else if (source[i] == '\n') {
      const std::string line = UpperCase(std::string_view(out).substr(line_start));
      bool address = false;
      for (const std::string_view name : {"FROM:", "TO:", "CC:", "REPLY-TO:"}) {
        address = address || line.compare(0, name.size(), name) == 0;
      }
      if (address) {
        out.resize(line_start);
      } else {
        out += '\n';
        line_start = out.size();
      }
    } else {
      out += source[i];
    }
  }
  // Header values are read trimmed: blanks at the end of a line do not come back either.
  std::string comparable;
  for (const char c : OneSpace(out)) {
    if (c == '\r' && !comparable.empty() && comparable.back() == ' ') comparable.pop_back();
    comparable += c;
  }
  return comparable;
}

// `text` with every line break (CR LF, CR, LF) written as CR LF and one after the last line,
// as the lines of an encoded body give it back.
std::string WithLineBreaks(std::string_view text) {
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t stop = text.find_first_of("\r\n", start);
    out += text.substr(start, stop - start);
    out += "\r\n";
    if (stop == std::string_view::npos) break;
    start = stop + (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n' ? 2 : 1);
  }
  return out;
}

// Whether a line of `body`, each of which ends with CR LF, names the charset as a meta line.
bool NamesItsCharset(std::string_view body) {
  for (std::size_t start = 0, stop = 0; start < body.size(); start = stop + 2) {
    stop = std::min(body.find("\r\n", start), body.size());
    const std::string upper = UpperCase(body.substr(start, stop - start));
    if (upper.find("HTTP-EQUIV") != std::string::npos &&
        upper.find("CONTENT-TYPE") != std::string::npos) {
      return true;
    }
  }
  return false;
}

// Encoding a leaf part's decoded content and decoding it again gives the content back, its
// line breaks made CR LF (binary data written as one line gains one at its end). Text in 7bit
// is written without conversion and HTML that names its charset (in its lines as read, or as
// written) is read without it, so neither can be compared; nor can UCS-2 text, which is written
// after a byte order mark that its reader keeps as a character.
void CheckEncodeDecode(TMimePart& part) {
  if (part.PrimaryKind == pkMultipart || part.PrimaryKind == pkMessage) return;
  if (part.PrimaryKind == pkText && part.EncodingKind == ek7Bit) return;
  if (part.PrimaryKind == pkText && part.CharsetCode == csUCS_2) return;
  const bool names_its_charset = part.PrimaryKind == pkText && NamesItsCharset(part.Body);
  part.DecodeBody();
  const std::string content = part.DecodedData.Bytes();
  part.EncodeBody();
  if (names_its_charset || (part.PrimaryKind == pkText && NamesItsCharset(part.Body))) return;
  part.DecodeBody();
  const std::string again = part.DecodedData.Bytes();
  if (part.PrimaryKind == pkText) {
    FUZZ_CHECK(WithLineBreaks(again) == WithLineBreaks(content), part.PrimaryType);
  } else if (part.EncodingKind == ek7Bit || part.EncodingKind == ek8Bit) {
    FUZZ_CHECK(again == content + "\r\n", "binary as one line");
  } else {
    FUZZ_CHECK(again == content, "binary data");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view source(reinterpret_cast<const char*>(data), size);

  TMimeMess first;
  first.ParseMessageText(source);
  const std::string first_tree = TreeOf(first);
  // A first line that begins like a continuation line is a header of its own only because it
  // comes first; written below the other header lines it continues the one above it.
  const bool continuation_first =
      !source.empty() && std::string_view(" \t\":=").find(source[0]) != std::string_view::npos;
  const bool comes_back = !continuation_first && !HasBoundaryClash(first);
  const std::string built = first.TakeMessageText();

  TMimeMess second;
  second.ParseMessageText(built);
  const std::string second_tree = TreeOf(second);
  FUZZ_CHECK(!comes_back || second_tree == first_tree, Difference(first_tree, second_tree));
  const std::string rebuilt = second.TakeMessageText();
  FUZZ_CHECK(!comes_back || Comparable(rebuilt) == Comparable(built), Difference(built, rebuilt));

  // A converter library decides itself what it can take there and back.
  if (ExternalConverterLoaded()) return 0;
  // The bodies of the first reading were let go as it was written: the parts are read again.
  TMimeMess third;
  third.ParseMessageText(source);
  for (TMimePart* part : PartsOf(third)) CheckEncodeDecode(*part);
  return 0;
}
