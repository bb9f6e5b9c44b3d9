// Japanese code conversion: ConvertCode for every pair of code numbers on any text, and the
// round trips of the three encodings on Shift_JIS text made of ASCII and assigned-area
// two-byte characters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "jtext/jis_conversion.h"

using namespace pictolumen;

namespace {

// Shift_JIS text built from `bytes`: every byte below 0x80 except ESC stays; any other byte
// becomes a two-byte character whose lead is 0x81-0x9F or 0xE0-0xEF (JIS rows 0x21-0x7E) and
// whose trail is 0x40-0x7E or 0x80-0xFC, made from that byte and the next one.
std::string ShiftJisText(std::string_view bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(bytes[i]);
    if (byte < 0x80) {
      if (byte != 0x1B) text += static_cast<char>(byte);
      continue;
    }
    const int lead_index = byte % 47;  // 31 leads 0x81-0x9F, 16 leads 0xE0-0xEF
    const int lead = lead_index < 31 ? 0x81 + lead_index : 0xE0 + lead_index - 31;
    const int trail_index = i + 1 < bytes.size() ? static_cast<std::uint8_t>(bytes[++i]) % 188 : 0;
    const int trail = trail_index < 63 ? 0x40 + trail_index : 0x80 + trail_index - 63;
    text += static_cast<char>(lead);
    text += static_cast<char>(trail);
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (int source = -1; source <= 8; ++source) {
    for (int target = -1; target <= 8; ++target) {
      const std::string converted = ConvertCode(text, source, target);
      FUZZ_CHECK(converted.size() <= 5 * text.size(), "converted size");
    }
  }
  if (text.find('\x1b') == std::string_view::npos) {
    FUZZ_CHECK(ConvertCode(text, jcJIS, jcSJIS) == text, "text without ESC");
  }

  const std::string sjis = ShiftJisText(text);
  const std::string jis = ConvertCode(sjis, jcSJIS, jcJIS);
  const std::string euc = ConvertCode(sjis, jcSJIS, jcEUC);
  FUZZ_CHECK(ConvertCode(jis, jcJIS, jcSJIS) == sjis, "Shift_JIS -> JIS -> Shift_JIS");
  FUZZ_CHECK(ConvertCode(euc, jcEUC, jcSJIS) == sjis, "Shift_JIS -> EUC -> Shift_JIS");
  FUZZ_CHECK(ConvertCode(jis, jcJIS, jcEUC) == euc, "JIS -> EUC");
  FUZZ_CHECK(ConvertCode(euc, jcEUC, jcJIS) == jis, "EUC -> JIS");
  return 0;
}
