// Writing a part tree as the text of a message, and encoding a part's body.
#include <algorithm>
#include <utility>

#include "charset/charset_conversion.h"
#include "charset/quoted_printable_lines.h"
#include "charset/text_utils.h"
#include "charset/transfer_codecs.h"
#include "mime/line_text.h"
#include "mime/mime_part.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

using mime_detail::ForEachLine;

// Bytes of decoded data per base64 line (72 characters).
constexpr std::size_t kBase64LineBytes = 54;

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

}  // namespace

bool TMimePart::ConvertsWhenEncoded() const {
  // Content held in the set it is written in is written as it is, without a byte order mark.
  return PrimaryKind == pkText && EncodingKind != ek7Bit && TargetCharset != CharsetCode &&
         !(TranscodeKeepsBytes(TargetCharset, CharsetCode) &&
           ByteOrderMarkFor(CharsetCode).empty());
}

void TMimePart::EncodeBody() {
  if (EncodingKind == ekUU || EncodingKind == ekXX) SetTransferEncoding("base64");
  encode_when_written_ = false;
  Body = std::string();
  // The encoded lines are written into one text, each followed by CR LF, which the body takes
  // over whole: the new message is written from it without a string per line. Converted text
  // may grow beyond any bound known before, and then grows as it is written.
  std::string encoded;
  if (!ConvertsWhenEncoded()) encoded.reserve(EncodedBodySizeBound());
  AppendEncodedBody(encoded);
  Body = std::move(encoded);
}

void TMimePart::EncodeBodyWhenWritten() {
  if (ConvertsWhenEncoded() || EncodingKind == ekUU || EncodingKind == ekXX) {
    EncodeBody();
    return;
  }
  Body = std::string();
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

bool TMimePart::WritesBoundaries() const {
  return PrimaryKind == pkMultipart && CanNestSubPart() && !SubParts.empty();
}

bool TMimePart::WritesEnclosedMessage() const {
  return PrimaryKind == pkMessage && CanNestSubPart() && !SubParts.empty();
}

namespace {

// Where the lines of a part tree go: into one text (BuildText, and TakeText, which lets each
// body go once it is written) or only counted.
class TextSink {
 public:
  explicit TextSink(std::string& out) : out_(out) {}
  void Add(std::string_view line) {
    out_.append(line);
    out_.append("\r\n");
  }
  void AddAll(const StringList& lines) {
    for (const std::string& line : lines) Add(line);
  }
  void AddBody(const std::string& body) { out_.append(body); }
  // The body is written, then let go.
  void AddBody(std::string& body) {
    out_.append(body);
    body = std::string();
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
    for (const std::string& line : lines) Add(line);
  }
  void AddBody(const std::string& body) { size_ += body.size(); }
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

std::vector<std::string> FoldHeaderLine(std::string_view text, int max_length) {
  std::vector<std::string> lines;
  ForEachFoldedLine(text, max_length, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

}  // namespace pictolumen
