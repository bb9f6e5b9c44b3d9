#include "common/text.h"

#include <algorithm>

namespace pictolumen {
namespace {

bool IsBlank(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= 0x20 && byte != 0x1B;
}

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string Trim(std::string_view text) {
  text = WithoutTrailingBlanks(text);
  std::size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  return std::string(text.substr(first));
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = Upper(c);
  return result;
}

std::string LowerCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = Lower(c);
  return result;
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(Upper(a[i]));
    const auto y = static_cast<unsigned char>(Upper(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string ReplaceAll(std::string_view source, std::string_view pattern,
                       std::string_view replacement) {
  if (pattern.empty()) return std::string(source);
  std::string output;
  output.reserve(source.size());
  std::size_t start = 0;
  for (std::size_t found = source.find(pattern); found != std::string_view::npos;
       found = source.find(pattern, start)) {
    output.append(source.substr(start, found - start));
    output.append(replacement);
    start = found + pattern.size();
  }
  output.append(source.substr(start));
  return output;
}

}  // namespace pictolumen
