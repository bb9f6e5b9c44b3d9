// One node of a MIME tree: its header fields, its encoded body, its decoded content and, for a
// multipart or an enclosed message, its sub-parts. Reading (mime_part_reader.cpp): text ->
// ParseText -> DecodeBody -> DecodedData. Writing (mime_part_writer.cpp): DecodedData ->
// EncodeBodyWhenWritten or EncodeBody -> BuildPartHeader -> TakeText or BuildText -> text.
// Nothing here throws on malformed input; it degrades into defined results.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "charset/charset_names.h"
#include "common/memory_stream.h"
#include "common/string_list.h"

namespace pictolumen {

// The content kind, chosen by the start of the upper-cased primary type: TEXT, MULTIPART,
// MESSAGE, anything else.
enum PrimaryKind : std::uint8_t { pkText = 0, pkMultipart = 1, pkMessage = 2, pkBinary = 3 };

// The transfer encoding, chosen by the start of the upper-cased encoding name: 8BIT,
// QUOTED-PRINTABLE, BASE64, X-UU, X-XX; anything else is 7bit.
enum EncodingKind : std::uint8_t {
  ek7Bit = 0,
  ek8Bit = 1,
  ekQuotedPrintable = 2,
  ekBase64 = 3,
  ekUU = 4,
  ekXX = 5,
};

// Parsing and building never go deeper than this many levels of sub-parts below the part they
// start from: a part at this depth keeps everything below its header as body lines.
inline constexpr int kNestLevelBound = 64;

// Parsing makes no more than this many parts below the part it starts from: the lines that would
// make more are the body of the part they stand in (see PartCountBoundReached).
inline constexpr std::size_t kPartCountBound = 10000;

class TMimePart {
 public:
  // An empty text part: TargetCharset the system's set, DefaultCharset "US-ASCII",
  // MaxLineLength 78, NestLevel 0, MaxNestLevel -1 (no limit of its own).
  TMimePart();
  // Destroys the sub-parts without recursion, however deep the tree is.
  ~TMimePart();
  TMimePart(const TMimePart&) = delete;
  TMimePart& operator=(const TMimePart&) = delete;

  std::string PrimaryType;  // as set; reading gives it in upper case
  pictolumen::PrimaryKind PrimaryKind = pkText;
  std::string SubType;           // as set; reading gives it in upper case
  std::string TransferEncoding;  // as set or read (upper case)
  pictolumen::EncodingKind EncodingKind = ek7Bit;
  std::string DefaultCharset = "US-ASCII";  // assumed when a part has no Content-Type line
  std::string CharsetName;                  // as read
  CharsetId CharsetCode = csISO_8859_1;     // of the content as transmitted
  CharsetId TargetCharset;                  // of the decoded content
  std::string Description;
  std::string Disposition;  // without parameters
  std::string ContentId;
  std::string Boundary;
  std::string FileName;       // without any path
  std::string Body;           // encoded body, every line followed by CR LF
  StringList Headers;         // one unfolded header field per entry
  StringList Preamble;        // lines between a multipart's header block and its first boundary
  StringList Epilogue;        // lines written after a multipart's closing boundary
  TMemoryStream DecodedData;  // decoded content, lines ended by CR LF
  std::vector<std::unique_ptr<TMimePart>> SubParts;  // direct sub-parts, in order
  std::int32_t MaxLineLength = 78;  // for header folding and quoted-printable lines
  std::int32_t NestLevel = 0;       // parent's + 1 for a sub-part
  std::int32_t MaxNestLevel = -1;   // -1: no limit of its own (kNestLevelBound still holds)

  // Empties the content fields, Body, Headers, Preamble, Epilogue, DecodedData and the
  // sub-parts; the kind, encoding and charset codes become 0 and TargetCharset the system's set.
  // DefaultCharset, MaxLineLength, NestLevel and MaxNestLevel stay.
  void Clear();

  int SubPartCount() const { return static_cast<int>(SubParts.size()); }
  // The sub-part at `index`, or null when there is none.
  TMimePart* SubPartAt(int index) const;
  void FreeSubParts();
  // Appends a new part with this part's DefaultCharset and NestLevel + 1.
  TMimePart* NewSubPart();
  // Whether this part may hold sub-parts: its NestLevel is below MaxNestLevel (unless that is
  // -1) and below kNestLevelBound.
  bool CanNestSubPart() const;

  void SetPrimaryType(std::string_view type);       // also derives PrimaryKind
  void SetTransferEncoding(std::string_view name);  // also derives EncodingKind
  void SetCharsetName(std::string_view name);       // also sets CharsetCode

  // Rebuilds the part from the lines of `text`, split at CR LF, lone CR or lone LF (a zero byte
  // ends the text): header block into Headers, content fields, then for a multipart the
  // preamble and one sub-part per boundary, for an enclosed message one sub-part, and the
  // remaining lines into Body. A tree of any depth is read in one walk, each body copied from
  // the text once.
  void ParseText(std::string_view text);

  // Whether the last ParseText stopped at kPartCountBound parts, so that the tree
  // holds only a part of the mail's parts.
  bool PartCountBoundReached() const { return part_count_bound_reached_; }

  // Sets the content fields from Headers: text/plain in DefaultCharset, 7bit, unless the
  // Content-Type, Content-Transfer-Encoding, Content-Description, Content-Disposition and
  // Content-ID lines say otherwise. Types, charset name, encoding and disposition come out in
  // upper case; the file name is decoded and loses any path.
  void ParsePartHeader();

  // Body -> DecodedData (position 0): transfer decoding, then for text (except HTML that names
  // its own charset in a meta line) conversion from CharsetCode to TargetCharset.
  void DecodeBody();
  // DecodeBody for a part whose Body is not needed afterwards: the Body is left empty, and a body
  // without transfer encoding is taken over as the content instead of copied.
  void DecodeTakenBody();

  // DecodedData -> Body: for text, conversion from TargetCharset to CharsetCode; then base64 in
  // lines of 72 characters, or quoted-printable cut into lines of MaxLineLength, or the lines
  // as they are. UU and XX become base64.
  void EncodeBody();

  // EncodeBody for a part that is written once, by BuildText or TakeText: Body is
  // left empty and the encoded lines are written from DecodedData, which must stay as it is
  // until then, straight into the text of the tree, so that a large body is never held encoded
  // beside it. A text part whose content is converted, and a UU or XX part, is encoded at once.
  void EncodeBodyWhenWritten();

  // Appends to `encoded` the body lines EncodeBody makes from DecodedData, each followed by
  // CR LF (for a UU or XX part, the lines of the content as they are).
  void AppendEncodedBody(std::string& encoded) const;
  // Whether a text part's content is converted from TargetCharset to CharsetCode by EncodeBody;
  // never where the two are the same set.
  bool ConvertsWhenEncoded() const;
  // At least the size of what AppendEncodedBody appends, for a part whose content is not
  // converted; counted in one pass over the content, without encoding it.
  std::size_t EncodedBodySizeBound() const;

  // Content fields -> Headers: Content-type, Content-Transfer-Encoding (text and binary),
  // Content-ID, Content-Disposition and Content-Description, each under its condition.
  void BuildPartHeader();

  // Headers, Preamble, sub-parts, Epilogue and Body -> text, each line followed by CR LF: the
  // folded header lines, an empty line, then for a multipart the preamble, each sub-part after a
  // boundary line, the closing boundary and the epilogue; for an enclosed message its sub-part;
  // then the body. The whole tree is written in one walk.
  std::string BuildText() const;

  // BuildText for a tree that is written once: each part's Body is let go as soon as it is
  // written, so that a large message is not held twice over while its text is made; so is the
  // DecodedData of a part encoded as it is written. The bodies are left empty; everything else
  // stays. Where the text would be longer than `size_limit` bytes (counted before it is made),
  // it gives an empty text and lets nothing go.
  std::string TakeText(std::size_t size_limit = SIZE_MAX);

 private:
  struct ParseTask;
  // The parts a parse has made so far, and whether it stopped at the bound.
  struct PartBudget {
    std::size_t parts_made = 0;
    bool bound_reached = false;
  };
  // DecodeBody, taking a body without transfer encoding over where `take_body`.
  void Decode(bool take_body);
  // Parses the part of `task` from `lines`, pieces of the text of the tree, whose first bytes
  // are `first_bytes` (a zero byte for an empty line), and queues its sub-parts in `tasks`; the
  // lines of a message part lose their trailing blanks there.
  void ParseRange(std::vector<std::string_view>& lines, std::string_view first_bytes,
                  const ParseTask& task, std::vector<ParseTask>& tasks, PartBudget& budget);
  // A multipart writes its delimiter lines only around sub-parts it holds.
  bool WritesBoundaries() const;
  bool WritesEnclosedMessage() const;
  // Hands the lines of the tree from `root` down, as BuildText writes them, to `out`; each body
  // goes to out.AddBody, which may take it over where the tree is not const (TakeText).
  template <class Part, class Sink>
  static void WriteTree(Part& root, Sink& out);

  // Set by EncodeBodyWhenWritten: the body is written from DecodedData.
  bool encode_when_written_ = false;
  bool part_count_bound_reached_ = false;
};

// Whether the delimiter lines of `boundary` begin with the delimiter of one of the `enclosing`
// multiparts' boundaries, which reads them as its own. Sub-parts of a multipart with such a
// boundary cannot be written inside those parts.
// BoundaryClaimedBy("b2", {"a", "b"}) is true;  BoundaryClaimedBy("b", {"b2"}) is false.
bool BoundaryClaimedBy(std::string_view boundary, const std::vector<std::string_view>& enclosing);

// A new boundary of 37 characters: the millisecond tick and a random number, each as 8
// upper-case hex digits, then "_Pictolumen_boundary". The tick part of each boundary is later
// than that of the one made before it in this process (the tick after it when the clock has not
// moved on), so two boundaries made one after the other differ, without waiting.  e.g.
// "0001A2F3_1B2C3D4E_Pictolumen_boundary"
std::string MakeBoundary();

// A header field folded into lines for a line length `max_length`: a text shorter than that is
// one line; otherwise each line ends with the last "; " (at its ";"), else the last ", " (at its
// ","), else before the last space within the first `max_length` characters, so that every
// further line begins with a blank. No further line consists of blanks alone: such a line runs
// on through the next word (blanks at the very end stay on the line before). A TAB is never
// left for a further line, where a reader takes it for a space: the first line runs through the
// last TAB to the first space after it. An empty text gives one empty line.
// FoldHeaderLine("Content-type: Multipart/mixed; boundary=\"...37...\"", 78) gives
// "Content-type: Multipart/mixed;" and " boundary=\"...\"".
std::vector<std::string> FoldHeaderLine(std::string_view text, int max_length);

}  // namespace pictolumen
