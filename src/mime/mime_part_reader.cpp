// Reading a part tree from the text of a message, and decoding a part's body.
#include <bit>
#include <cstring>
#include <span>
#include <utility>

#include "charset/charset_conversion.h"
#include "charset/transfer_codecs.h"
#include "common/text.h"
#include "mime/line_text.h"
#include "mime/mess_header.h"
#include "mime/mime_part.h"

namespace pictolumen {
namespace {

using mime_detail::ForEachLine;
using mime_detail::StartsWith;

// Whether an HTML body names its own charset in a meta line of its head ("http-equiv" and
// "content-type" on one line, before "</head>"); such a body is not converted.
bool HtmlNamesItsCharset(std::string_view body) {
  bool decided = false;
  bool names = false;
  ForEachLine(body, [&](std::string_view line) {
    if (decided) return;
    const std::string upper = UpperCase(line);
    names = upper.find("HTTP-EQUIV") != std::string::npos &&
            upper.find("CONTENT-TYPE") != std::string::npos;
    decided = names || upper.find("</HEAD>") != std::string::npos;
  });
  return names;
}

// The first of lines[from, end) that begins with `prefix`, which is not empty; `end` when there
// is none. The lines that may are found by their first byte in `first_bytes` (as LinesOfText
// gives them), so that the text of the others is not read again.
std::size_t NextLineBeginningWith(const std::vector<std::string_view>& lines,
                                  std::string_view first_bytes, std::size_t from, std::size_t end,
                                  std::string_view prefix) {
  while (from < end) {
    const void* found = std::memchr(first_bytes.data() + from, prefix[0], end - from);
    if (found == nullptr) return end;
    from = static_cast<std::size_t>(static_cast<const char*>(found) - first_bytes.data());
    if (StartsWith(lines[from], prefix)) return from;
    ++from;
  }
  return end;
}

// The lines of `text` as StringList::SetText splits them (a zero byte ends the text), as pieces
// of it, and the first byte of each (a zero byte for an empty one), found in the same pass.
struct TextLines {
  std::vector<std::string_view> lines;
  std::string first_bytes;
};

TextLines LinesOfText(std::string_view text) {
  TextLines found;
  // Room for lines of 64 bytes; a text of shorter lines makes the lists grow a few times.
  found.lines.reserve(text.size() / 64 + 16);
  found.first_bytes.reserve(text.size() / 64 + 16);
  std::size_t start = 0;
  // Adds the line from `start` to the break at `stop`, which is the end of the text or a zero
  // byte (then true: the text ends there), CR LF, a lone CR or a lone LF, and moves `start` past
  // the break.
  const auto take_line = [&](std::size_t stop) {
    if (stop == text.size() || text[stop] == '\0') {
      if (stop > start) {
        found.lines.push_back(text.substr(start, stop - start));
        found.first_bytes.push_back(text[start]);
      }
      return true;
    }
    found.lines.push_back(text.substr(start, stop - start));
    found.first_bytes.push_back(stop > start ? text[start] : '\0');
    const bool crlf = text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n';
    start = stop + (crlf ? 2 : 1);
    return false;
  };
#if defined(__SSE2__)
  // Sixteen bytes at a time, the breaks among them taken in order from a mask of where CR, LF
  // and zero bytes stand; the LF of a CR LF is passed over.
  for (std::size_t block = 0; block + 16 <= text.size(); block += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + block));
    auto breaks = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')) | _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')) |
        _mm_cmpeq_epi8(bytes, _mm_setzero_si128())));
    for (; breaks != 0; breaks &= breaks - 1) {
      const std::size_t stop = block + static_cast<std::size_t>(std::countr_zero(breaks));
      if (stop < start) continue;
      if (take_line(stop)) return found;
    }
  }
#endif
  while (start < text.size()) {
    const std::size_t stop = FindLineEnd(text, start);
    if (stop == std::string_view::npos) {
      take_line(text.size());
      break;
    }
    if (take_line(stop)) break;
  }
  return found;
}

// `lines`, pieces of one text as LinesOfText gives them, each followed by CR LF, made in one
// buffer of the exact size.
std::string JoinedLines(std::span<const std::string_view> lines) {
  if (lines.empty()) return {};
  // Lines that follow one another in the text with two bytes between them are ended there by CR
  // LF (any other line break is one byte): such a run of lines is copied as one piece.
  bool one_piece = true;
  for (std::size_t k = 0; k + 1 < lines.size() && one_piece; ++k) {
    one_piece = lines[k].data() + lines[k].size() + 2 == lines[k + 1].data();
  }
  if (one_piece) {
    const char* const first = lines.front().data();
    const auto length = static_cast<std::size_t>(lines.back().data() + lines.back().size() - first);
    std::string text;
    text.reserve(length + 2);
    text.append(first, length);
    text.append("\r\n");
    return text;
  }
  std::size_t size = 0;
  for (const std::string_view line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string_view line : lines) {
    text.append(line);
    text.append("\r\n");
  }
  return text;
}

}  // namespace

struct TMimePart::ParseTask {
  TMimePart* part;
  std::size_t begin;
  std::size_t end;
  // The boundaries of the multiparts around the part, outermost first (at most the nesting
  // bound of them).
  std::vector<std::string_view> enclosing_boundaries;
};

void TMimePart::ParseText(std::string_view text) {
  TextLines split = LinesOfText(text);
  // The parts of the tree are read from one list of the lines, each from its own range of it,
  // and a part's lines are copied from there into its lists. A list of pending ranges takes the
  // place of recursion, so the depth of the input never reaches the call stack.
  std::vector<ParseTask> tasks{{this, 0, split.lines.size(), {}}};
  PartBudget budget;
  while (!tasks.empty()) {
    const ParseTask task = std::move(tasks.back());
    tasks.pop_back();
    task.part->ParseRange(split.lines, split.first_bytes, task, tasks, budget);
  }
  part_count_bound_reached_ = budget.bound_reached;
}

void TMimePart::ParseRange(std::vector<std::string_view>& lines, std::string_view first_bytes,
                           const ParseTask& task, std::vector<ParseTask>& tasks,
                           PartBudget& budget) {
  const std::size_t begin = task.begin;
  const std::size_t end = task.end;
  Clear();
  std::size_t i = begin;
  while (i < end) {
    std::string field = ReadFoldedHeader(lines, i, end);
    if (field.empty()) break;
    Headers.push_back(std::move(field));
  }
  ParsePartHeader();

  if (PrimaryKind == pkMultipart && CanNestSubPart() &&
      !BoundaryClaimedBy(Boundary, task.enclosing_boundaries)) {
    std::vector<std::string_view> enclosing = task.enclosing_boundaries;
    enclosing.push_back(Boundary);
    const std::string open = "--" + Boundary;
    const std::string close = open + "--";
    while (i < end) {
      const std::string_view line = lines[i++];
      if (WithoutTrailingBlanks(line) == open) break;
      Preamble.push_back(std::string(line));
    }
    // At least one sub-part, also when no line is left; each ends at a line that begins with
    // the boundary, and only the exact closing line ends the sequence.
    bool closed = false;
    do {
      // Past the bound the rest of the lines is body.
      if (budget.parts_made == kPartCountBound) {
        budget.bound_reached = true;
        break;
      }
      ++budget.parts_made;
      TMimePart* sub = NewSubPart();
      const std::size_t first = i;
      i = NextLineBeginningWith(lines, first_bytes, i, end, open);
      tasks.push_back({sub, first, i, enclosing});
      if (i < end) closed = lines[i++] == close;
    } while (i < end && !closed);
  } else if (PrimaryKind == pkMessage && CanNestSubPart()) {
    // Only the empty lines before the enclosed message's first line are skipped; the one after
    // its header block, and every later one, belong to it.
    while (i < end && WithoutTrailingBlanks(lines[i]).empty()) ++i;
    for (std::size_t k = i; k < end; ++k) lines[k] = WithoutTrailingBlanks(lines[k]);
    if (budget.parts_made == kPartCountBound) {
      budget.bound_reached = true;
    } else {
      ++budget.parts_made;
      tasks.push_back({NewSubPart(), i, end, task.enclosing_boundaries});
      i = end;
    }
  }
  // Everything else, also the text after a multipart's closing boundary and all lines of a
  // multipart or message at the nesting limit or whose boundary an enclosing part claims, is
  // body, copied from the text as one piece where it can be.
  if (i < end) Body = JoinedLines(std::span<const std::string_view>(lines.data() + i, end - i));
}

void TMimePart::DecodeBody() {
  Decode(false);
}

void TMimePart::DecodeTakenBody() {
  Decode(true);
  Body = std::string();
}

void TMimePart::Decode(bool take_body) {
  DecodedData.Clear();
  // Whether text is converted is told from the body before it may be taken over.
  const bool convert = PrimaryKind == pkText &&
                       !(UpperCase(SubType) == "HTML" && HtmlNamesItsCharset(Body)) &&
                       !TranscodeKeepsBytes(CharsetCode, TargetCharset);
  std::string decoded;
  switch (EncodingKind) {
    case ekQuotedPrintable:
      decoded = QuotedPrintableDecode(Body);
      break;
    case ekBase64:
      decoded = Base64Decode(Body);
      break;
    case ekUU:
    case ekXX:
      ForEachLine(Body, [&](std::string_view line) {
        decoded += EncodingKind == ekUU ? UUDecodeLine(line) : XXDecodeLine(line);
      });
      break;
    case ek7Bit:
    case ek8Bit:
      decoded = take_body ? std::move(Body) : Body;
      break;
  }
  if (convert) decoded = TranscodeText(decoded, CharsetCode, TargetCharset);
  DecodedData.Assign(std::move(decoded));
  DecodedData.Seek(0);
}

}  // namespace pictolumen
