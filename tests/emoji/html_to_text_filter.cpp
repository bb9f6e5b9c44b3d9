// Reads UTF-32LE from standard input, pieces separated by U+0000, and writes HtmlToText of each
// piece the same way, for html_references_oracle.py.
#include <cstdint>
#include <iostream>
#include <iterator>
#include <string>

#include "emoji/html_to_text.h"

int main() {
  const std::string bytes(std::istreambuf_iterator<char>(std::cin), {});
  std::u32string input;
  for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
    char32_t c = 0;
    for (int i = 3; i >= 0; --i) c = c << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    input.push_back(c);
  }
  std::string output;
  for (std::size_t from = 0; from <= input.size();) {
    const std::size_t end = std::min(input.find(U'\0', from), input.size());
    if (from > 0) output.append(4, '\0');
    for (const char32_t c :
         pictolumen::HtmlToText(std::u32string_view(input).substr(from, end - from))) {
      for (int i = 0; i < 4; ++i) output.push_back(static_cast<char>(c >> (8 * i)));
    }
    from = end + 1;
  }
  std::cout << output;
}
