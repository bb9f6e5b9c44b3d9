#include "mime/mime_part.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <span>
#include <utility>

#include "charset/charset_conversion.h"
#include "charset/mail_date.h"
#include "charset/text_utils.h"
#include "charset/transfer_codecs.h"
#include "common/text.h"
#include "mime/encoded_words.h"
#include "mime/line_text.h"
#include "mime/mess_header.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

using mime_detail::StartsWith;
using mime_detail::WithoutTrailingBlanks;

// Bytes of decoded data per base64 line (72 characters).
constexpr std::size_t kBase64LineBytes = 54;

// Shortest quoted-printable line that still holds an escape and the soft line break.
constexpr std::size_t kShortestQuotedPrintableLine = 4;

// Bytes escaped at a time, at least, into the line being cut by QuotedPrintableLineWriter: a few
// lines' worth, so that each step of escaping runs long enough to be fast.
constexpr std::size_t kQuotedPrintableStep = 256;

// Calls `take` with every line of `text`, split at CR LF, lone CR or lone LF; a line break at the
// very end adds no empty line. Unlike StringList::SetText, a zero byte is kept as data: decoded
// content may hold one, and quoted-printable writes it as "=00".
template <class Take>
void ForEachLine(std::string_view text, Take&& take) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t stop = FindLineBreak(text, start);
    if (stop == std::string_view::npos) {
      take(text.substr(start));
      return;
    }
    take(text.substr(start, stop - start));
    const bool crlf = text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n';
    start = stop + (crlf ? 2 : 1);
  }
}

// The line length of quoted-printable lines cut for `max_length`: never below the shortest line
// that still holds an escape and the soft line break.
std::size_t QuotedPrintableLimit(int max_length) {
  return std::max(static_cast<std::size_t>(std::max(max_length, 0)), kShortestQuotedPrintableLine);
}

// The length of the first line of quoted-printable text `text` of at least `limit` bytes that
// is cut off by a soft line break: the line ends before the last escape or the last space that
// starts within the limit (the later of the two), when there is one after the line's first
// character; else it takes `limit` characters.
std::size_t QuotedPrintableCutLength(const char* text, std::size_t limit) {
  std::size_t end = limit;
#if defined(__SSE2__)
  // Looked for from the end, sixteen bytes at a time while they lie after the first.
  for (; end >= 17; end -= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + end - 16));
    const auto found = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(bytes, _mm_set1_epi8('=')) | _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '))));
    if (found != 0) return end - 16 + static_cast<std::size_t>(31 - std::countl_zero(found));
  }
#endif
  // Then eight bytes at a time.
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  for (; end >= 9; end -= 8) {
    const std::uint64_t word = text_detail::WordAt(text + end - 8);
    const std::uint64_t found = text_detail::ZeroBytesOf(word ^ (kOnes * '=')) |
                                text_detail::ZeroBytesOf(word ^ (kOnes * ' '));
    if (found == 0) continue;
    // The last byte in memory is the highest of a little-endian word, the lowest otherwise.
    const int byte = std::endian::native == std::endian::little ? (63 - std::countl_zero(found)) / 8
                                                                : 7 - std::countr_zero(found) / 8;
    return end - 8 + static_cast<std::size_t>(byte);
  }
  for (std::size_t k = end; k-- > 1;) {
    if (text[k] == '=' || text[k] == ' ') return k;
  }
  return limit;
}

// Hands each line of CutQuotedPrintableLines(text, max_length) to `take` as the text before its
// soft line break and whether one follows, so that the caller builds each line only once.
template <class Take>
void ForEachQuotedPrintableLine(std::string_view text, int max_length, Take&& take) {
  if (text.empty()) {
    take(text, false);
    return;
  }
  const std::size_t limit = QuotedPrintableLimit(max_length);
  std::size_t at = 0;
  while (at < text.size()) {
    const std::string_view rest = text.substr(at);
    if (rest.size() < limit) {
      take(rest, false);
      return;
    }
    const std::size_t length = QuotedPrintableCutLength(rest.data(), limit);
    at += length;
    take(rest.substr(0, length), at < text.size());
  }
}

// At least the size of the quoted-printable lines of `text`, each of its lines (as ForEachLine
// splits it) escaped, cut for `max_length` and followed by CR LF; counted without encoding.
std::size_t QuotedPrintableLinesSizeBound(std::string_view text, int max_length) {
  // There are no more lines than line break bytes and one; the escaped lines hold the escaped
  // size less that of the escaped break bytes. Of two lines in a row that end in a soft break,
  // the second runs at least to the limit past the first's start (the first ends before the
  // last escape or blank within the limit, and none follows it there), so a line of e escaped
  // bytes has at most 2e / limit + 1 soft breaks of three bytes, and CR LF.
  const QuotedPrintableCount count = CountQuotedPrintable(text);
  const std::size_t lines = count.line_break_bytes + 1;
  const std::size_t escaped = count.encoded_size - 3 * count.line_break_bytes;
  return escaped + 3 * (2 * escaped / QuotedPrintableLimit(max_length)) + 5 * lines;
}

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

// Whether an HTML body names its own charset in a meta line of its head ("http-equiv" and
// "content-type" on one line, before "</head>"); such a body is not converted.
bool HtmlNamesItsCharset(const StringList& body) {
  for (const std::string& line : body) {
    const std::string upper = UpperCase(line);
    if (upper.find("HTTP-EQUIV") != std::string::npos &&
        upper.find("CONTENT-TYPE") != std::string::npos) {
      return true;
    }
    if (upper.find("</HEAD>") != std::string::npos) return false;
  }
  return false;
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

// A header field as one line: CR, LF and zero bytes (which a decoded address may hold) would
// break the message apart or end its text, so each becomes a space. A field without them is
// taken as it is; otherwise the line is made in `storage`.
std::string_view AsSingleLine(std::string_view field, std::string& storage) {
  const auto breaks_line = [](char c) { return c == '\r' || c == '\n' || c == '\0'; };
  if (std::none_of(field.begin(), field.end(), breaks_line)) return field;
  storage.assign(field);
  std::replace_if(storage.begin(), storage.end(), breaks_line, ' ');
  return storage;
}

// Hands each line of FoldHeaderLine(text, max_length) to `take`, as a piece of `text`: a line
// of blanks alone joins the line before it, which is the piece of text that runs on into it, so
// no line is ever copied.
// Whether `byte` is dropped where it begins or ends a further line of a folded header field: the
// reader trims those lines (bytes 0x00 to 0x20, but ESC).
bool TrimmedAtLineEnds(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return value <= 0x20 && value != 0x1B;
}

// The first place at or after `end` where the line of `text` that begins at `start` can end so
// that reading the field back gives the text again, or the end of the text. The reader joins a
// further line to the line before with one space, after trimming it, and reads a TAB on it as a
// space: a further line must begin with one space followed by a byte that is kept, and end in a
// byte that is kept; the first line must hold more than blanks, which would end the header block.
std::size_t ReadableLineEnd(std::string_view text, std::size_t start, std::size_t end) {
  const auto readable = [&](std::size_t at) {
    if (text[at] != ' ' || at + 1 == text.size() || TrimmedAtLineEnds(text[at + 1])) return false;
    if (start > 0) return !TrimmedAtLineEnds(text[at - 1]);
    return !WithoutTrailingBlanks(text.substr(0, at)).empty();
  };
  while (end < text.size() && !readable(end)) {
    end = std::min(text.find(' ', end + 1), text.size());
  }
  return end;
}

template <class Take>
void ForEachFoldedLine(std::string_view text, int max_length, Take&& take) {
  if (text.empty()) {
    take(text);
    return;
  }
  const std::size_t limit = static_cast<std::size_t>(std::max(max_length, 0));
  // A TAB on a continuation line is read back as a space, which would change the field (a
  // boundary that holds one would no longer match its delimiter lines): the first line runs on
  // through the last TAB, to the first space after it.
  const std::size_t last_tab = text.rfind('\t');
  std::size_t at = 0;
  while (at < text.size()) {
    const std::string_view rest = text.substr(at);
    std::size_t length = rest.size();
    if (rest.size() >= limit) {
      const std::size_t semicolon = LastPosFrom("; ", rest, limit);
      const std::size_t space = LastPosFrom(" ", rest, limit);
      const std::size_t comma = LastPosFrom(", ", rest, limit);
      if (semicolon <= 1 && space <= 1 && comma <= 1) {
        // Nothing to break at within the limit: the line runs to the next blank.
        const std::size_t blank = rest.find_first_of(" \t", 1);
        length = blank == std::string_view::npos ? rest.size() : blank;
      } else if (semicolon >= 1) {
        length = semicolon;  // through the ";"
      } else if (comma >= 1) {
        length = comma;  // through the ","
      } else {
        length = space - 1;  // before the space
      }
    }
    if (last_tab != std::string_view::npos && at + length <= last_tab) {
      length = std::min(text.find(' ', last_tab + 1), text.size()) - at;
    }
    length = ReadableLineEnd(text, at, at + length) - at;
    take(rest.substr(0, length));
    at += length;
  }
}

void AppendLines(const StringList& from, std::vector<std::string>& to) {
  to.insert(to.end(), from.begin(), from.end());
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
  Body.clear();
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

namespace {

// The first byte of each of `lines`, a zero byte for an empty one.
std::string FirstBytesOf(const std::vector<std::string_view>& lines) {
  std::string first_bytes(lines.size(), '\0');
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (!lines[k].empty()) first_bytes[k] = lines[k][0];
  }
  return first_bytes;
}

// The first of lines[from, end) that begins with `prefix`, which is not empty; `end` when there
// is none. The lines that may are found by their first byte in `first_bytes` (FirstBytesOf), so
// that the text of the others is not read again.
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
// of it, and the first byte of each (FirstBytesOf), found in the same pass.
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

void TMimePart::ParseLines() {
  std::vector<std::string_view> lines(Lines.begin(), Lines.end());
  // A line of the list may hold a CR or LF of its own, so the bodies stay lists of lines.
  ParseLineViews(lines, FirstBytesOf(lines), false);
}

void TMimePart::ParseText(std::string_view text) {
  TextLines split = LinesOfText(text);
  ParseLineViews(split.lines, split.first_bytes, true);
}

void TMimePart::ParseLineViews(std::vector<std::string_view>& lines, std::string_view first_bytes,
                               bool lines_are_split) {
  // The parts of the tree are read from one list of the lines, each from its own range of it,
  // and a part's lines are copied from there into its lists. A list of pending ranges takes the
  // place of recursion, so the depth of the input never reaches the call stack.
  std::vector<ParseTask> tasks{{this, 0, lines.size(), {}}};
  PartBudget budget;
  while (!tasks.empty()) {
    const ParseTask task = std::move(tasks.back());
    tasks.pop_back();
    task.part->ParseRange(lines, first_bytes, lines_are_split, task, tasks, budget);
  }
  part_count_bound_reached_ = budget.bound_reached;
}

void TMimePart::ParseRange(std::vector<std::string_view>& lines, std::string_view first_bytes,
                           bool lines_are_split, const ParseTask& task,
                           std::vector<ParseTask>& tasks, PartBudget& budget) {
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
  // body: one text where the lines hold no line break of their own.
  if (i >= end) return;
  const std::span<const std::string_view> body(lines.data() + i, end - i);
  if (lines_are_split) {
    Body.AssignJoined(JoinedLines(body));
    return;
  }
  Body.lines().reserve(body.size());
  for (const std::string_view line : body) Body.push_back(std::string(line));
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

void TMimePart::DecodeBody() {
  Decode(false);
}

void TMimePart::DecodeTakenBody() {
  Decode(true);
  Body.clear();
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
      decoded = QuotedPrintableDecode(Body.Text());
      break;
    case ekBase64:
      decoded = Base64Decode(Body.Text());
      break;
    case ekUU:
    case ekXX:
      for (const std::string& line : Body) {
        decoded += EncodingKind == ekUU ? UUDecodeLine(line) : XXDecodeLine(line);
      }
      break;
    case ek7Bit:
    case ek8Bit:
      decoded = take_body ? Body.TakeText() : Body.Text();
      break;
  }
  if (convert) decoded = TranscodeText(decoded, CharsetCode, TargetCharset);
  DecodedData.Assign(std::move(decoded));
  DecodedData.Seek(0);
}

bool TMimePart::ConvertsWhenEncoded() const {
  // Content held in the set it is written in is written as it is, without a byte order mark.
  return PrimaryKind == pkText && EncodingKind != ek7Bit && TargetCharset != CharsetCode &&
         !(TranscodeKeepsBytes(TargetCharset, CharsetCode) &&
           ByteOrderMarkFor(CharsetCode).empty());
}

void TMimePart::EncodeBody() {
  if (EncodingKind == ekUU || EncodingKind == ekXX) SetTransferEncoding("base64");
  encode_when_written_ = false;
  Body.clear();
  // The encoded lines are written into one text, each followed by CR LF, which the body takes
  // over whole: the new message is written from it without a string per line. Converted text
  // may grow beyond any bound known before, and then grows as it is written.
  std::string encoded;
  if (!ConvertsWhenEncoded()) encoded.reserve(EncodedBodySizeBound());
  AppendEncodedBody(encoded);
  Body.AssignJoined(std::move(encoded));
}

void TMimePart::EncodeBodyWhenWritten() {
  if (ConvertsWhenEncoded() || EncodingKind == ekUU || EncodingKind == ekXX) {
    EncodeBody();
    return;
  }
  Body.clear();
  encode_when_written_ = true;
}

void TMimePart::AppendEncodedBody(std::string& encoded) const {
  const std::string& data = DecodedData.Bytes();
  const auto add_line = [&encoded](std::string_view line) {
    encoded.append(line);
    encoded.append("\r\n");
  };

  if (PrimaryKind == pkMultipart || PrimaryKind == pkMessage) {
    ForEachLine(data, add_line);
    return;
  }
  const bool text = PrimaryKind == pkText;

  if (EncodingKind == ekBase64) {
    // Text is converted as a whole before it is cut, so that no character is split between two
    // conversions; every line then carries 54 bytes.
    std::string converted;
    std::string_view bytes = data;
    if (text && TargetCharset != CharsetCode) {
      converted = ByteOrderMarkFor(CharsetCode) + TranscodeText(data, TargetCharset, CharsetCode);
      bytes = converted;
    }
    for (std::size_t at = 0; at < bytes.size(); at += kBase64LineBytes) {
      add_line(Base64Encode(bytes.substr(at, kBase64LineBytes)));
    }
    return;
  }

  bool first_item = true;
  std::string converted;
  QuotedPrintableLineWriter quoted_printable(MaxLineLength);
  // Where the conversion keeps every byte, the pieces are not copied through it one by one.
  const bool convert = ConvertsWhenEncoded();
  const auto encode_item = [&](std::string_view item) {
    if (convert) {
      converted = TranscodeText(item, TargetCharset, CharsetCode);
      if (first_item) converted.insert(0, ByteOrderMarkFor(CharsetCode));
      item = converted;
    }
    first_item = false;
    if (EncodingKind == ekQuotedPrintable) {
      quoted_printable.Append(item, encoded);
    } else {
      add_line(item);
    }
  };
  if (text) {
    ForEachLine(data, encode_item);
  } else {
    encode_item(data);
    // Binary data ends without a line break of its own: the soft break swallows the last one.
    if (EncodingKind == ekQuotedPrintable) encoded.insert(encoded.size() - 2, "=");
  }
}

std::size_t TMimePart::EncodedBodySizeBound() const {
  const std::string& data = DecodedData.Bytes();
  if (EncodingKind == ekBase64) {
    return (data.size() + kBase64LineBytes - 1) / kBase64LineBytes * (kBase64LineBytes / 3 * 4 + 2);
  }
  if (EncodingKind != ekQuotedPrintable || PrimaryKind == pkMultipart || PrimaryKind == pkMessage) {
    // Every line of the content is written with CR LF; there are no more lines than line break
    // bytes and one, and the break bytes themselves are not written.
    return data.size() + 2 * (CountQuotedPrintable(data).line_break_bytes + 1);
  }
  // A binary part's "=" at the end is one byte more.
  return QuotedPrintableLinesSizeBound(data, MaxLineLength) + 1;
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

bool TMimePart::WritesBoundaries() const {
  return PrimaryKind == pkMultipart && CanNestSubPart() && !SubParts.empty();
}

bool TMimePart::WritesEnclosedMessage() const {
  return PrimaryKind == pkMessage && CanNestSubPart() && !SubParts.empty();
}

namespace {

// Where the lines of a part tree go: into a list (BuildLines), into one text (BuildText, and
// TakeText, which lets each body go once it is written) or only counted.
class ListSink {
 public:
  explicit ListSink(std::vector<std::string>& out) : out_(out) {}
  void Add(std::string_view line) { out_.emplace_back(line); }
  void AddAll(const StringList& lines) { AppendLines(lines, out_); }
  void AddBody(const StringList& body) { AddAll(body); }
  void AddEncodedBody(const TMimePart& part) {
    std::string text;
    part.AppendEncodedBody(text);
    StringList lines;
    lines.AssignJoined(std::move(text));
    AddAll(lines);
  }

 private:
  std::vector<std::string>& out_;
};

class TextSink {
 public:
  explicit TextSink(std::string& out) : out_(out) {}
  void Add(std::string_view line) {
    out_.append(line);
    out_.append("\r\n");
  }
  void AddAll(const StringList& lines) {
    if (const std::string* joined = lines.Joined()) {
      out_.append(*joined);
      return;
    }
    for (const std::string& line : lines) Add(line);
  }
  void AddBody(const StringList& body) { AddAll(body); }
  // The body is written, then let go.
  void AddBody(StringList& body) {
    AddAll(body);
    body.clear();
  }
  void AddEncodedBody(const TMimePart& part) { part.AppendEncodedBody(out_); }
  // The content the body is encoded from is let go once written.
  void AddEncodedBody(TMimePart& part) {
    part.AppendEncodedBody(out_);
    part.DecodedData.Release();
  }

 private:
  std::string& out_;
};

// Counts the bytes that TextSink would write: exactly, but for bodies encoded as they are
// written, which count with the most they can take.
class SizeSink {
 public:
  void Add(std::string_view line) { size_ += line.size() + 2; }
  void AddAll(const StringList& lines) {
    if (const std::string* joined = lines.Joined()) {
      size_ += joined->size();
      return;
    }
    for (const std::string& line : lines) Add(line);
  }
  void AddBody(const StringList& body) { AddAll(body); }
  void AddEncodedBody(const TMimePart& part) { size_ += part.EncodedBodySizeBound(); }
  std::size_t Size() const { return size_; }

 private:
  std::size_t size_ = 0;
};

}  // namespace

template <class Part, class Sink>
void TMimePart::WriteTree(Part& root, Sink& out) {
  // One frame per part whose sub-parts are being written, with the index of the next one; the
  // frames take the place of recursion.
  struct Frame {
    Part* part;
    std::size_t next_sub_part;
  };
  std::vector<Frame> frames;
  const auto add_body = [&out](Part& part) {
    if (part.encode_when_written_) {
      out.AddEncodedBody(part);
    } else {
      out.AddBody(part.Body);
    }
  };
  std::string single_line;  // reused for every field that has to be made one line
  const auto begin_part = [&](Part& part) {
    for (const std::string& field : part.Headers) {
      // An empty entry would end the header block early.
      if (field.empty()) continue;
      ForEachFoldedLine(AsSingleLine(field, single_line), part.MaxLineLength,
                        [&](std::string_view line) { out.Add(line); });
    }
    out.Add({});
    if (part.WritesBoundaries()) out.AddAll(part.Preamble);
    frames.push_back({&part, 0});
  };

  begin_part(root);
  while (!frames.empty()) {
    Frame& frame = frames.back();
    Part& part = *frame.part;
    if (part.WritesBoundaries()) {
      if (frame.next_sub_part < part.SubParts.size()) {
        Part& sub = *part.SubParts[frame.next_sub_part++];
        out.Add("--" + part.Boundary);
        begin_part(sub);
        continue;
      }
      out.Add("--" + part.Boundary + "--");
      out.AddAll(part.Epilogue);
      add_body(part);
    } else if (part.WritesEnclosedMessage()) {
      if (frame.next_sub_part == 0) {
        frame.next_sub_part = 1;
        begin_part(*part.SubParts.front());
        continue;
      }
    } else {
      add_body(part);
    }
    frames.pop_back();
  }
}

void TMimePart::BuildLines() {
  Lines.clear();
  ListSink sink(Lines.lines());
  WriteTree(std::as_const(*this), sink);
}

std::string TMimePart::BuildText() const {
  // The tree is walked twice: once to learn the size of the text, so that a text of any size is
  // made in one buffer and never copied over as it grows, then to write it.
  SizeSink size;
  WriteTree(*this, size);
  std::string text = platform::LargeText(size.Size());
  TextSink sink(text);
  WriteTree(*this, sink);
  return text;
}

std::string TMimePart::TakeText(std::size_t size_limit) {
  SizeSink size;
  WriteTree(std::as_const(*this), size);
  if (size.Size() > size_limit) return {};
  std::string text = platform::LargeText(size.Size());
  TextSink sink(text);
  WriteTree(*this, sink);
  return text;
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

std::vector<std::string> FoldHeaderLine(std::string_view text, int max_length) {
  std::vector<std::string> lines;
  ForEachFoldedLine(text, max_length, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

QuotedPrintableLineWriter::QuotedPrintableLineWriter(int max_length)
    : limit_(QuotedPrintableLimit(max_length)) {}

void QuotedPrintableLineWriter::Append(std::string_view bytes, std::string& out) {
  // The line being made, line_[start, end), is escaped from as many bytes as it lacks to reach
  // the limit, and at least a step's worth (each gives one to three escaped bytes), then cut
  // while it is long enough; what follows the cuts is moved to the front and starts the next
  // line. The line is thus below the limit before each step and below the limit and three steps
  // after it, and never longer than the escaped text. The lines cut in a step are put together
  // in cut_ (each at least one byte, so with its break at most four times as long) and appended
  // at once.
  const std::size_t step = std::max(limit_, kQuotedPrintableStep);
  const std::size_t room = std::min(3 * bytes.size(), limit_ + 3 * step) + 3;
  if (line_.size() < room) {
    line_.resize(room);
    cut_.resize(4 * room + 2);
  }
  char* const line = line_.data();
  char* const cut_lines = cut_.data();
  std::size_t end = 0;
  while (!bytes.empty()) {
    const std::size_t taken = std::min(bytes.size(), std::max(limit_ - end, kQuotedPrintableStep));
    end = static_cast<std::size_t>(QuotedPrintableEncodeTo(bytes.substr(0, taken), line + end) -
                                   line);
    bytes.remove_prefix(taken);
    if (bytes.empty()) break;
    // More text follows, so every cut line ends in a soft break.
    char* at = cut_lines;
    std::size_t start = 0;
    while (end - start >= limit_) {
      const std::size_t cut = QuotedPrintableCutLength(line + start, limit_);
      std::memcpy(at, line + start, cut);
      std::memcpy(at + cut, "=\r\n", 3);
      at += cut + 3;
      start += cut;
    }
    out.append(cut_lines, static_cast<std::size_t>(at - cut_lines));
    std::memmove(line, line + start, end - start);
    end -= start;
  }
  // The text's last lines: a line of the whole limit that ends the text takes no soft break.
  char* at = cut_lines;
  std::size_t start = 0;
  while (end - start >= limit_) {
    const std::size_t cut = QuotedPrintableCutLength(line + start, limit_);
    std::memcpy(at, line + start, cut);
    at += cut;
    start += cut;
    if (start == end) break;
    std::memcpy(at, "=\r\n", 3);
    at += 3;
  }
  std::memcpy(at, line + start, end - start);
  at += end - start;
  std::memcpy(at, "\r\n", 2);
  at += 2;
  out.append(cut_lines, static_cast<std::size_t>(at - cut_lines));
}

std::vector<std::string> CutQuotedPrintableLines(std::string_view text, int max_length) {
  std::vector<std::string> lines;
  ForEachQuotedPrintableLine(text, max_length, [&](std::string_view line, bool soft_break) {
    std::string& added = lines.emplace_back(line);
    if (soft_break) added += '=';
  });
  return lines;
}

}  // namespace pictolumen
