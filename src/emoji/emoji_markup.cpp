#include "emoji/emoji_markup.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "common/text.h"
#include "emoji/emoji_cache.h"
#include "emoji/emoji_markup_writer.h"
#include "jtext/csv_column.h"
#include "jtext/jis_conversion.h"
#include "jtext/path_helpers.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

void AppendEscaped(std::string& output, char c) {
  switch (c) {
    case '&':
      output.append("&amp;");
      break;
    case '<':
      output.append("&lt;");
      break;
    case '>':
      output.append("&gt;");
      break;
    case '"':
      output.append("&quot;");
      break;
    case '\0':
      // A zero byte would end the page where the page becomes a message part; it is shown as
      // the replacement character instead.
      output.append("&#65533;");
      break;
    default:
      output.push_back(c);
  }
}

// Bytes that are neither escaped nor a Shift_JIS lead byte: they stand for themselves.
constexpr auto kPlainByte = [] {
  std::array<bool, 256> plain{};
  for (int byte = 0; byte < 256; ++byte) {
    plain[byte] = !IsSjisLeadByte(static_cast<unsigned char>(byte)) && byte != '&' && byte != '<' &&
                  byte != '>' && byte != '"' && byte != '\0';
  }
  return plain;
}();

// What a byte of the Shift_JIS text is to the markup, so that a run of text that is copied as
// it stands is found by one look-up per byte or character.
enum ByteKind : std::uint8_t {
  kStandsForItself,
  kLeadOfNoEmoji,  // a lead byte with which no code of the emoji table begins
  kOther,          // escaped, or a lead byte that may begin an emoji
};

// Second bytes of a two-byte character that are copied with it as they are: those that stand
// for themselves and lead bytes; any other is escaped.
constexpr auto kKeptSecondByte = [] {
  std::array<bool, 256> kept{};
  for (int byte = 0; byte < 256; ++byte) {
    kept[byte] = kPlainByte[byte] || IsSjisLeadByte(static_cast<unsigned char>(byte));
  }
  return kept;
}();

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The rows of an emoji table by two-byte code, built from its code column: the code column
// holds four hexadecimal digits, first byte first; the first row of a code wins, and an entry
// that is no such code is never found. The table has a block of 256 second bytes only for the
// first bytes its codes use, so that building it costs little beside reading the table.
class EmojiIndex {
 public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  EmojiIndex(const CsvTable& table, std::size_t code_column) {
    block_of_first_.fill(kNoBlock);
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
      const int code = ParseCode(table.Field(row, code_column));
      if (code < 0) continue;
      std::uint16_t& block = block_of_first_[code >> 8];
      if (block == kNoBlock) {
        block = static_cast<std::uint16_t>(rows_.size() / 256);
        rows_.resize(rows_.size() + 256, kNone);
      }
      std::uint32_t& entry = rows_[block * 256u + (code & 0xFF)];
      if (entry == kNone) entry = static_cast<std::uint32_t>(row);
    }
  }

  std::uint32_t Find(unsigned char first, unsigned char second) const {
    const std::uint16_t block = block_of_first_[first];
    return block == kNoBlock ? kNone : rows_[block * 256u + second];
  }

  // Whether some code of the table begins with `first`.
  bool StartsACode(unsigned char first) const { return block_of_first_[first] != kNoBlock; }

 private:
  static constexpr std::uint16_t kNoBlock = UINT16_MAX;

  static int ParseCode(std::string_view text) {
    if (text.size() != 4) return -1;
    int code = 0;
    for (char c : text) {
      const int digit = HexDigit(c);
      if (digit < 0) return -1;
      code = code << 4 | digit;
    }
    return code;
  }

  std::array<std::uint16_t, 256> block_of_first_;
  std::vector<std::uint32_t> rows_;
};

// The columns of an emoji table: number, name and code.
constexpr std::size_t kNumber = 0;
constexpr std::size_t kName = 1;
constexpr std::size_t kCode = 2;

}  // namespace

namespace markup_detail {

// An emoji table as read from its file: its rows, the index of its codes and what each byte is
// to the markup.
struct EmojiTable {
  explicit EmojiTable(std::string text)
      : rows(CsvTable::FromText{std::move(text)}, 3), index(rows, kCode) {
    for (int byte = 0; byte < 256; ++byte) {
      const auto b = static_cast<unsigned char>(byte);
      kinds[b] = kPlainByte[b]                                ? kStandsForItself
                 : IsSjisLeadByte(b) && !index.StartsACode(b) ? kLeadOfNoEmoji
                                                              : kOther;
    }
  }

  const CsvTable rows;
  const EmojiIndex index;
  std::array<ByteKind, 256> kinds{};
};

BorrowedTable::BorrowedTable(std::atomic<const EmojiTable*>& slot, std::string text)
    : held_{slot, std::unique_ptr<const EmojiTable>(slot.exchange(nullptr))} {
  if (!held_.table || held_.table->rows.Text() != text) {
    held_.table = std::make_unique<const EmojiTable>(std::move(text));
  }
}

BorrowedTable::Held::~Held() {
  delete slot.exchange(table.release());
}

}  // namespace markup_detail

namespace {

// The tables split last in this process, one slot for each table (au's two, docomo's and
// SoftBank's): set up before any code runs (no guard on first use), emptied when the library is
// unloaded.
struct SplitTables {
  ~SplitTables() {
    for (auto& slot : slots) delete slot.load();
  }
  std::array<std::atomic<const markup_detail::EmojiTable*>, 4> slots{};
};
constinit SplitTables split_tables;

}  // namespace

std::string EscapeHtml(std::string_view text) {
  std::string output;
  output.reserve(text.size());
  for (char c : text) AppendEscaped(output, c);
  return output;
}

namespace {

// Raises SizeLimitError when the markup has grown beyond `size_limit` bytes.
void CheckSize(const std::string& html, std::size_t size_limit) {
  if (html.size() > size_limit) {
    throw SizeLimitError("The page would grow beyond " + std::to_string(size_limit) + " bytes");
  }
}

// Appends to `html` the markup of the Shift_JIS text `sjis` with the rows of `emoji`, each
// picture's tag beginning with `tag_start`; `tags` holds the tag of each row made so far.
void AppendMarkup(std::string_view sjis, const markup_detail::EmojiTable& emoji,
                  const std::string& folder, const std::string& tag_start,
                  std::vector<std::string>& tags, std::size_t size_limit, std::string& html) {
  const CsvTable& table = emoji.rows;
  const EmojiIndex& index = emoji.index;
  const std::array<ByteKind, 256>& kinds = emoji.kinds;
  std::size_t i = 0;
  while (i < sjis.size()) {
    // A run of bytes that stand for themselves, and of two-byte characters that are no emoji
    // and need no escape, is copied in one go.
    std::size_t run_end = i;
    while (run_end < sjis.size()) {
      const ByteKind kind = kinds[static_cast<unsigned char>(sjis[run_end])];
      if (kind == kStandsForItself) {
        ++run_end;
        continue;
      }
      if (kind != kLeadOfNoEmoji || run_end + 1 == sjis.size() ||
          !kKeptSecondByte[static_cast<unsigned char>(sjis[run_end + 1])]) {
        break;
      }
      run_end += 2;
    }
    html.append(sjis, i, run_end - i);
    i = run_end;
    if (i == sjis.size()) break;
    const auto lead = static_cast<unsigned char>(sjis[i]);
    if (!IsSjisLeadByte(lead) || i + 1 == sjis.size()) {
      AppendEscaped(html, sjis[i]);
      ++i;
      CheckSize(html, size_limit);
      continue;
    }
    const auto second = static_cast<unsigned char>(sjis[i + 1]);
    const std::uint32_t row = index.Find(lead, second);
    if (row == EmojiIndex::kNone) {
      if (kKeptSecondByte[second]) {
        html.append(sjis, i, 2);
      } else {
        html.push_back(sjis[i]);
        AppendEscaped(html, sjis[i + 1]);
      }
    } else {
      // The first time a row is found its picture is made sure of and its tag is made.
      std::string& tag = tags[row];
      if (tag.empty()) {
        const std::string_view number = table.Field(row, kNumber);
        EnsureEmojiImage(number, folder);
        tag = tag_start + EscapeHtml(number) + ".gif\" alt=\"" +
              EscapeHtml(table.Field(row, kName)) + "\">";
      }
      html.append(tag);
    }
    i += 2;
    CheckSize(html, size_limit);
  }
  CheckSize(html, size_limit);
}

// The slot of the table of this name.
std::size_t TableSlot(std::string_view table_name) {
  if (table_name == "EMOJI_8BIT") return 1;
  if (table_name == "EMOJI_DOCOMO") return 2;
  if (table_name == "EMOJI_SOFTBANK") return 3;
  return 0;
}

}  // namespace

EmojiMarkupWriter::EmojiMarkupWriter(const std::string& table_name, std::size_t size_limit,
                                     const std::optional<PictureFolder>& pictures)
    : emoji_(split_tables.slots[TableSlot(table_name)],
             platform::ReadWholeFile(ExtractTable(table_name), kTextFileSizeLimit)),
      folder_(pictures ? pictures->path : GetCacheFolder()),
      tag_start_("<img src=\"" + EscapeHtml(pictures ? pictures->address : CacheFolderAddress())),
      tags_((*emoji_).rows.RowCount()),
      size_limit_(size_limit) {}

void EmojiMarkupWriter::Append(std::string_view sjis, std::string& html) {
  AppendMarkup(sjis, *emoji_, folder_, tag_start_, tags_, size_limit_, html);
}

void EmojiMarkupWriter::AppendReference(char32_t c, std::string& html) const {
  html += NumericCharacterReference(c);
  CheckSize(html, size_limit_);
}

std::string EmojiToHtml(std::string_view text, std::string_view transfer_encoding,
                        std::size_t size_limit, const std::optional<PictureFolder>& pictures) {
  // The table file is read at every call; only the work of splitting it is kept.
  EmojiMarkupWriter writer(EmojiTableName(transfer_encoding), size_limit, pictures);
  const std::string sjis = ConvertCode(text, jcJIS, jcSJIS);
  // Room for a tag for every fortieth byte or so; room that is never written costs nothing.
  std::string html = platform::LargeText(2 * sjis.size());
  writer.Append(sjis, html);
  return html;
}

}  // namespace pictolumen
