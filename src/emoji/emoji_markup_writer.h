// The markup writer shared by the markup of Shift_JIS text (EmojiToHtml, emoji_markup.cpp) and
// that of Unicode text (UnicodeEmojiMarkup, unicode_emoji_markup.cpp). Not part of the interface
// of the emoji library.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emoji/emoji_markup.h"

namespace pictolumen {
namespace markup_detail {

// An emoji table as read from its file: its rows, the index of its codes and what each byte is
// to the markup (emoji_markup.cpp).
struct EmojiTable;

// The table whose file holds `text`, taken out of `slot` for one conversion: the one split
// before where it was split from the same text, so that a table changed in the cache is used at
// once, else one split anew. It goes back into the slot when the conversion ends, also when the
// conversion or the split raises, so that a failed conversion leaves the tables as it found
// them. Taking and putting back are atomic exchanges, not a lock: a call that finds the slot
// empty, because another call holds the table, splits its own.
class BorrowedTable {
 public:
  BorrowedTable(std::atomic<const EmojiTable*>& slot, std::string text);
  const EmojiTable& operator*() const { return *held_.table; }

 private:
  struct Held {
    std::atomic<const EmojiTable*>& slot;
    std::unique_ptr<const EmojiTable> table;
    ~Held();
  };
  Held held_;
};

}  // namespace markup_detail

// One conversion's table, read from its file, and the tags made from it so far.
class EmojiMarkupWriter {
 public:
  // The table named `table_name` (see ExtractTable), its pictures in the folder of `pictures`
  // where given, else in the image cache folder.
  EmojiMarkupWriter(const std::string& table_name, std::size_t size_limit,
                    const std::optional<PictureFolder>& pictures);

  // Appends to `html` the markup of the Shift_JIS text `sjis`, as EmojiToHtml makes it.
  void Append(std::string_view sjis, std::string& html);

  // Appends NumericCharacterReference(c) to `html`; raises SizeLimitError where the markup
  // grows beyond the size limit.
  void AppendReference(char32_t c, std::string& html) const;

 private:
  const markup_detail::BorrowedTable emoji_;
  // Asked for once: making sure of the folder takes several calls of the system.
  const std::string folder_;
  const std::string tag_start_;
  std::vector<std::string> tags_;
  const std::size_t size_limit_;
};

}  // namespace pictolumen
