#include "emoji/carrier_emoji.h"

#include <array>
#include <cstddef>

#include "emoji/au_unicode_table.h"
#include "jtext/jis_conversion.h"

namespace pictolumen {
namespace {

// The rows of kAuEmoji by a key taken from a range of codes: entry key - first holds the row
// plus one, 0 where no pictograph has that key.
template <unsigned First, unsigned Last>
struct EmojiIndex {
  std::array<std::uint16_t, Last - First + 1> row_of{};

  const CarrierEmoji* Find(unsigned key) const {
    if (key < First || key > Last || row_of[key - First] == 0) return nullptr;
    return &kAuEmoji[row_of[key - First] - 1u];
  }
};

template <unsigned First, unsigned Last, class Key>
constexpr EmojiIndex<First, Last> MakeIndex(Key key_of) {
  EmojiIndex<First, Last> index;
  for (std::size_t row = 0; row < kAuEmoji.size(); ++row) {
    const unsigned key = key_of(kAuEmoji[row]);
    if (key >= First && key <= Last && index.row_of[key - First] == 0) {
      index.row_of[key - First] = static_cast<std::uint16_t>(row + 1);
    }
  }
  return index;
}

constexpr unsigned SjisOfJis(const CarrierEmoji& emoji) {
  const BytePair sjis = JisPairToSjis(emoji.jis >> 8, emoji.jis & 0xFF);
  return static_cast<unsigned>(sjis.first) << 8 | sjis.second;
}

// au's codes lie in these ranges; the second private-use form is the Shift_JIS code less 0x700.
constexpr unsigned kSecondFormOffset = 0x700;
constexpr auto kByPua = MakeIndex<0xE468, 0xEB88>([](const CarrierEmoji& e) { return e.pua; });
constexpr auto kBySjis = MakeIndex<0xF340, 0xF7FC>([](const CarrierEmoji& e) { return e.sjis; });
constexpr auto kByJisAsSjis = MakeIndex<0xEB40, 0xEEFC>(SjisOfJis);

}  // namespace

unsigned JisAsSjis(const CarrierEmoji& emoji) {
  return SjisOfJis(emoji);
}

const CarrierEmoji* AuEmojiOfCodePoint(char32_t code_point) {
  if (const CarrierEmoji* emoji = kByPua.Find(code_point)) return emoji;
  return code_point >= 0xEC40 && code_point <= 0xF0FC
             ? kBySjis.Find(static_cast<unsigned>(code_point) + kSecondFormOffset)
             : nullptr;
}

const CarrierEmoji* AuEmojiOfSjis(unsigned code) {
  return kBySjis.Find(code);
}

const CarrierEmoji* AuEmojiOfJisAsSjis(unsigned code) {
  return kByJisAsSjis.Find(code);
}

}  // namespace pictolumen
