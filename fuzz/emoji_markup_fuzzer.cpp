// Emoji markup: any mail text becomes HTML in which every "<", ">", "\"" and "&" either belongs
// to an emoji picture tag or is written as an entity. The image cache lives in a fresh folder.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "emoji/emoji_cache.h"
#include "emoji/emoji_markup.h"
#include "fuzz_check.h"
#include "scratch_folder.h"

using namespace pictolumen;

namespace {

std::string& TagStart() {
  static std::string start;
  return start;
}

// Whether `text` begins with a character reference: "&" and a name of letters or "#" and
// decimal digits (or "#x" and hexadecimal digits), then ";".
bool IsEntity(std::string_view text) {
  std::size_t at = 1;
  bool (*in_reference)(char) = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  };
  if (text.substr(0, 3) == "&#x" || text.substr(0, 3) == "&#X") {
    at = 3;
    in_reference = [](char c) {
      return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    };
  } else if (text.substr(0, 2) == "&#") {
    at = 2;
    in_reference = [](char c) { return c >= '0' && c <= '9'; };
  }
  const std::size_t first = at;
  while (at < text.size() && in_reference(text[at])) ++at;
  return at > first && at < text.size() && text[at] == ';';
}

// Text between tags: markup characters only as entities. Returns false otherwise.
bool IsPlainText(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '<' || c == '>' || c == '"') return false;
    if (c == '&' && !IsEntity(text.substr(i))) return false;
  }
  return true;
}

// Walks the HTML: a "<" must open a picture tag <img src="file://FOLDER NUMBER.gif" alt="NAME">
// whose number and name are plain text; everything else must be plain text.
void CheckHtml(std::string_view html) {
  std::size_t at = 0;
  while (at < html.size()) {
    const std::size_t open = html.find('<', at);
    FUZZ_CHECK(IsPlainText(html.substr(at, open - at)), html);
    if (open == std::string_view::npos) return;
    FUZZ_CHECK(html.substr(open, TagStart().size()) == TagStart(), html.substr(open));
    const std::size_t number = open + TagStart().size();
    const std::size_t middle = html.find(".gif\" alt=\"", number);
    FUZZ_CHECK(middle != std::string_view::npos, html.substr(open));
    FUZZ_CHECK(IsPlainText(html.substr(number, middle - number)), html.substr(open));
    const std::size_t name = middle + 11;
    const std::size_t close = html.find("\">", name);
    FUZZ_CHECK(close != std::string_view::npos, html.substr(open));
    FUZZ_CHECK(IsPlainText(html.substr(name, close - name)), html.substr(open));
    at = close + 2;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (fuzz::ScratchFolder().empty()) return 1;
  setenv("TMPDIR", fuzz::ScratchFolder().c_str(), 1);
  TagStart() = "<img src=\"file://" + EscapeHtml(GetCacheFolder());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char* transfer_encoding = data[0] % 2 == 0 ? "7bit" : "8bit";
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  CheckHtml(EmojiToHtml(text, transfer_encoding));
  return 0;
}
