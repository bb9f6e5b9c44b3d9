#include "emoji/html_to_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "emoji/html_line_writer.h"
#include "emoji/html_references.h"
#include "emoji/html_syntax.h"
#include "emoji/html_tags.h"

namespace pictolumen {
namespace html_detail {
namespace {

// What the elements make of the text: block boundaries, breaks, bullets, cells, and whether
// white space is kept. End tags close what they name without a stack of open elements (an end
// tag of an element that is not open still ends a block), which keeps any input linear.
class Layout {
 public:
  // A character of text, CR LF and CR already read as LF.
  void Text(char32_t c) {
    if (template_depth_ > 0 || c == 0) return;
    if (preformatted_ > 0 && (c == U'\n' || c == U'\r')) {
      writer_.LineBreak();
    } else if (preformatted_ == 0 && IsHtmlSpace(c)) {
      writer_.Space();
    } else {
      writer_.Visible(c);
    }
  }

  void Start(Element element, const Tag& tag) {
    if (element == kTemplate) ++template_depth_;
    if (template_depth_ > 0) return;
    switch (element) {
      case kBreak:
        writer_.LineBreak();
        break;
      case kLineBlock:
        writer_.BlockStart(1);
        break;
      case kGapBlock:
      case kRawBlock:
      case kPlaintext:
        writer_.BlockStart(2);
        break;
      case kPreformatted:
        writer_.BlockStart(2);
        ++preformatted_;
        break;
      case kList:
      case kOrderedList:
        writer_.BlockStart(lists_.empty() ? 2 : 1);
        lists_.push_back({element == kOrderedList, FirstItemNumber(tag.start.value_or(U""))});
        break;
      case kItem:
        writer_.BlockEnd(1);
        MarkItem();
        break;
      case kTable:
      case kRow:
        writer_.BlockStart(1);
        BeginRow();
        break;
      case kCell:
        if (row_has_cell_) writer_.CellSeparator(writer_.size() > row_start_);
        row_has_cell_ = true;
        break;
      default:
        break;
    }
  }

  void End(Element element) {
    if (element == kTemplate && template_depth_ > 0) {
      --template_depth_;
      return;
    }
    if (template_depth_ > 0) return;
    switch (element) {
      case kBreak:  // </br> is read as <br>
        writer_.LineBreak();
        break;
      case kLineBlock:
      case kItem:
        writer_.BlockEnd(1);
        break;
      case kGapBlock:
      case kRawBlock:
      case kPlaintext:
        writer_.BlockEnd(2);
        break;
      case kPreformatted:
        writer_.BlockEnd(2);
        if (preformatted_ > 0) --preformatted_;
        break;
      case kList:
      case kOrderedList:
        if (!lists_.empty()) lists_.pop_back();
        writer_.BlockEnd(lists_.empty() ? 2 : 1);
        break;
      case kTable:
      case kRow:
        writer_.BlockEnd(1);
        BeginRow();
        break;
      default:
        break;
    }
  }

  // The text of raw text elements that are shown (xmp, plaintext, textarea) is kept as written.
  void BeginVerbatim() { ++preformatted_; }
  void EndVerbatim() { --preformatted_; }

  std::u32string Finish() && { return std::move(writer_).Finish(); }
  std::size_t size() const { return writer_.size(); }

 private:
  struct List {
    bool numbered;
    std::int64_t next_number;
  };

  // "・" before an item of a bulleted list (or of none), "7. " before the seventh of an ol.
  void MarkItem() {
    if (lists_.empty() || !lists_.back().numbered) {
      writer_.Mark(U"・", false);
    } else {
      const std::string number = std::to_string(lists_.back().next_number++) + ".";
      writer_.Mark(std::u32string(number.begin(), number.end()), true);
    }
  }

  void BeginRow() {
    row_has_cell_ = false;
    row_start_ = writer_.size();
  }

  LineWriter writer_;
  std::size_t template_depth_ = 0;
  std::size_t preformatted_ = 0;  // open pre and listing elements, and shown raw text
  std::vector<List> lists_;       // the open lists, innermost last
  bool row_has_cell_ = false;
  std::size_t row_start_ = 0;  // size of the text where the current row began
};

enum class References { kNone, kText, kAttribute };

// Reads the HTML once from start to end and hands its text and tags to the layout.
class HtmlReader {
 public:
  HtmlReader(std::u32string_view html, std::size_t size_limit)
      : html_(html), size_limit_(size_limit) {}

  std::u32string Read() && {
    std::size_t at = 0;
    while (at < html_.size()) {
      const std::size_t open = std::min(html_.find(U'<', at), html_.size());
      Characters(html_.substr(at, open - at), References::kText);
      at = open < html_.size() ? Markup(open) : open;
      // Text gives at most a character of each one read, markup more (list numbers, breaks).
      if (layout_.size() > size_limit_) {
        throw SizeLimitError("The text of the HTML would grow beyond " +
                             std::to_string(size_limit_) + " characters");
      }
    }
    return std::move(layout_).Finish();
  }

 private:
  // Text without markup: references are read as `references` says, CR LF and a lone CR become
  // LF (as browsers read their input).
  void Characters(std::u32string_view text, References references) {
    for (std::size_t at = 0; at < text.size();) {
      if (text[at] == U'&' && references != References::kNone) {
        const Reference reference =
            ReadReference(text.substr(at), references == References::kAttribute);
        if (reference.length > 0) {
          layout_.Text(reference.code_point);
          at += reference.length;
          continue;
        }
      }
      if (text[at] == U'\r' && at + 1 < text.size() && text[at + 1] == U'\n') ++at;
      layout_.Text(text[at] == U'\r' ? U'\n' : text[at]);
      ++at;
    }
  }

  // Reads the markup at the "<" at `at` and returns where the text goes on.
  std::size_t Markup(std::size_t at) {
    const std::u32string_view rest = html_.substr(at + 1);
    if (rest.starts_with(U"!--")) return CommentEnd(at + 4);
    if (rest.starts_with(U"![CDATA[")) return After(U"]]>", at + 9);
    // <!DOCTYPE ...>, <?xml ...?> and other declarations end at the first ">".
    if (rest.starts_with(U"!") || rest.starts_with(U"?")) return After(U">", at + 2);
    if (rest.starts_with(U"/")) {
      if (rest.size() > 1 && IsAsciiAlpha(rest[1])) return EndTag(at + 2);
      if (rest.size() == 1) {  // "</" at the very end is text
        layout_.Text(U'<');
        layout_.Text(U'/');
        return html_.size();
      }
      return After(U">", at + 2);  // "</>" and "</ ...>" show nothing
    }
    if (!rest.empty() && IsAsciiAlpha(rest[0])) return StartTag(at + 1);
    layout_.Text(U'<');  // "a < b", "<3", "<>" are text
    return at + 1;
  }

  // After the first `needle` from `from`; the end of the input when there is none.
  std::size_t After(std::u32string_view needle, std::size_t from) const {
    const std::size_t found = html_.find(needle, from);
    return found == std::u32string_view::npos ? html_.size() : found + needle.size();
  }

  // After the comment whose text begins at `from`: it ends at the first "-->" or "--!>", or at
  // once in "<!-->" and "<!--->", as browsers read comments.
  std::size_t CommentEnd(std::size_t from) const {
    const std::u32string_view text = html_.substr(from);
    if (text.starts_with(U">")) return from + 1;
    if (text.starts_with(U"->")) return from + 2;
    for (std::size_t dashes = text.find(U"--"); dashes != std::u32string_view::npos;
         dashes = text.find(U"--", dashes + 1)) {
      const std::u32string_view after = text.substr(dashes + 2);
      if (after.starts_with(U">")) return from + dashes + 3;
      if (after.starts_with(U"!>")) return from + dashes + 4;
    }
    return html_.size();
  }

  std::size_t EndTag(std::size_t name_start) {
    const Tag tag = ReadTag(html_, name_start);
    if (tag.end == std::u32string_view::npos) return html_.size();
    layout_.End(FindElement(tag.name).element);
    return tag.end;
  }

  std::size_t StartTag(std::size_t name_start) {
    const Tag tag = ReadTag(html_, name_start);
    if (tag.end == std::u32string_view::npos) return html_.size();
    const ElementName element = FindElement(tag.name);
    layout_.Start(element.element, tag);
    switch (element.element) {
      case kImage:
        if (tag.alt) Characters(*tag.alt, References::kAttribute);
        return tag.end;
      case kPreformatted:
        return SkipNewline(tag.end);
      case kRawBlock:
      case kPlaintext:
      case kTextarea:
      case kHidden:
        return RawText(element, tag.end);
      default:
        return tag.end;
    }
  }

  // A line break right after <pre>, <listing> or <textarea> is not part of the text, so that
  // the text may begin on the line after the tag.
  std::size_t SkipNewline(std::size_t at) const {
    if (at < html_.size() && html_[at] == U'\r') {
      ++at;
      if (at < html_.size() && html_[at] == U'\n') ++at;
    } else if (at < html_.size() && html_[at] == U'\n') {
      ++at;
    }
    return at;
  }

  // The content of the raw text element `element` beginning at `from`, which runs to the end of
  // the input for plaintext and otherwise to the first "</" + its name (any letter case) + white
  // space, "/" or ">", or to the end. Returns where that end tag begins.
  std::size_t RawText(ElementName element, std::size_t from) {
    std::size_t end = html_.size();
    if (element.element != kPlaintext) {
      for (std::size_t close = html_.find(U"</", from); close != std::u32string_view::npos;
           close = html_.find(U"</", close + 2)) {
        const std::size_t after = close + 2 + element.name.size();
        if (after < html_.size() &&
            EqualsIgnoringCase(html_.substr(close + 2, element.name.size()), element.name) &&
            (IsHtmlSpace(html_[after]) || html_[after] == U'/' || html_[after] == U'>')) {
          end = close;
          break;
        }
      }
    }
    if (element.element == kHidden) return end;
    if (element.element == kTextarea) from = SkipNewline(from);
    layout_.BeginVerbatim();
    Characters(html_.substr(from, end - from),
               element.element == kTextarea ? References::kText : References::kNone);
    layout_.EndVerbatim();
    return end;
  }

  std::u32string_view html_;
  const std::size_t size_limit_;
  Layout layout_;
};

}  // namespace
}  // namespace html_detail

std::u32string HtmlToText(std::u32string_view html, std::size_t size_limit) {
  return html_detail::HtmlReader(html, size_limit).Read();
}

}  // namespace pictolumen
