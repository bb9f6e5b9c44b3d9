#include "emoji/carrier_emoji.h"

#include <array>
#include <cstddef>
#include <type_traits>

#include "emoji/au_unicode_table.h"
#include "emoji/docomo_unicode_table.h"
#include "emoji/softbank_unicode_table.h"
#include "jtext/jis_conversion.h"

namespace pictolumen {
namespace {

// The rows of a table of pictographs by a key taken from a range of codes: entry key - first
// holds the row plus one, 0 where no pictograph has that key.
template <const auto& kRows, unsigned First, unsigned Last>
struct EmojiIndex {
  std::array<std::uint16_t, Last - First + 1> row_of{};

  const auto* Find(unsigned key) const {
    using Row = std::remove_cvref_t<decltype(kRows[0])>;
    if (key < First || key > Last || row_of[key - First] == 0)
      return static_cast<const Row*>(nullptr);
    return &kRows[row_of[key - First] - 1u];
  }
};

template <const auto& kRows, unsigned First, unsigned Last, class Key>
constexpr EmojiIndex<kRows, First, Last> MakeIndex(Key key_of) {
  EmojiIndex<kRows, First, Last> index;
  for (std::size_t row = 0; row < kRows.size(); ++row) {
    const unsigned key = key_of(kRows[row]);
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
constexpr auto kByPua =
    MakeIndex<kAuEmoji, 0xE468, 0xEB88>([](const CarrierEmoji& e) { return e.pua; });
constexpr auto kBySjis =
    MakeIndex<kAuEmoji, 0xF340, 0xF7FC>([](const CarrierEmoji& e) { return e.sjis; });
constexpr auto kByJisAsSjis = MakeIndex<kAuEmoji, 0xEB40, 0xEEFC>(SjisOfJis);

constexpr auto kDocomoByPua =
    MakeIndex<kDocomoEmoji, 0xE63E, 0xE757>([](const DocomoEmoji& e) { return e.pua; });
constexpr auto kDocomoBySjis =
    MakeIndex<kDocomoEmoji, 0xF89F, 0xF9FC>([](const DocomoEmoji& e) { return e.sjis; });

constexpr auto kSoftbankByPua =
    MakeIndex<kSoftbankEmoji, 0xE001, 0xE53E>([](const SoftbankEmoji& e) { return e.pua; });
constexpr auto kSoftbankBySjis =
    MakeIndex<kSoftbankEmoji, 0xF741, 0xFBDE>([](const SoftbankEmoji& e) { return e.sjis; });
constexpr auto kSoftbankByWebcode =
    MakeIndex<kSoftbankEmoji, 0x4521, 0x517A>([](const SoftbankEmoji& e) { return e.webcode; });

// The code SoftBank's table keys a pictograph by: its Shift_JIS code, or for the three that have
// none the code of their place in SoftBank's layout, page F's upper half of lead byte F7.
unsigned SoftbankTableCode(const SoftbankEmoji& emoji) {
  return emoji.sjis != 0 ? emoji.sjis : 0xF700u | ((emoji.webcode & 0xFFu) + 0x80u);
}

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

char32_t PictographOfSjis(Carrier carrier, unsigned code) {
  switch (carrier) {
    case Carrier::kDocomo: {
      const DocomoEmoji* emoji = kDocomoBySjis.Find(code);
      return emoji != nullptr ? emoji->pua : 0;
    }
    case Carrier::kSoftbank: {
      const SoftbankEmoji* emoji = kSoftbankBySjis.Find(code);
      return emoji != nullptr ? emoji->pua : 0;
    }
    case Carrier::kAu:
      break;
  }
  const CarrierEmoji* emoji = AuEmojiOfSjis(code);
  return emoji != nullptr ? emoji->pua : 0;
}

char32_t SoftbankPictographOfWebcode(unsigned webcode) {
  const SoftbankEmoji* emoji = kSoftbankByWebcode.Find(webcode);
  return emoji != nullptr ? emoji->pua : 0;
}

unsigned TableCodeOfCodePoint(Carrier carrier, char32_t code_point) {
  switch (carrier) {
    case Carrier::kDocomo: {
      const DocomoEmoji* emoji = kDocomoByPua.Find(code_point);
      return emoji != nullptr ? emoji->sjis : 0;
    }
    case Carrier::kSoftbank: {
      const SoftbankEmoji* emoji = kSoftbankByPua.Find(code_point);
      return emoji != nullptr ? SoftbankTableCode(*emoji) : 0;
    }
    case Carrier::kAu:
      break;
  }
  const CarrierEmoji* emoji = AuEmojiOfCodePoint(code_point);
  return emoji != nullptr ? JisAsSjis(*emoji) : 0;
}

}  // namespace pictolumen
