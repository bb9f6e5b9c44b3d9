// Runs the codecs and the date reader on cases read from standard input, for comparison with
// independent implementations by text_codecs_oracle.py. One case per line, "<operation> <hex>"
// or "date <local offset minutes> <hex>"; one answer per line, the result in hex (a day count
// in decimal for dates).
#include <cstdio>
#include <iostream>
#include <string>

#include "charset/mail_date.h"
#include "charset/transfer_codecs.h"

namespace {

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

std::string ToHex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return hex;
}

std::string Answer(const std::string& line) {
  using namespace pictolumen;
  const std::size_t space = line.find(' ');
  const std::string operation = line.substr(0, space);
  const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
  if (operation == "date") {
    const std::size_t split = argument.find(' ');
    const int bias = std::stoi(argument.substr(0, split));
    const std::string text = split == std::string::npos ? "" : FromHex(argument.substr(split + 1));
    char number[64];
    std::snprintf(number, sizeof number, "%.9f", ParseRfc822Date(text, bias));
    return number;
  }
  const std::string input = FromHex(argument);
  if (operation == "base64-encode") return ToHex(Base64Encode(input));
  if (operation == "base64-decode") return ToHex(Base64Decode(input));
  if (operation == "qp-encode") return ToHex(QuotedPrintableEncode(input));
  if (operation == "qp-encode-strict") return ToHex(QuotedPrintableEncodeStrict(input));
  if (operation == "qp-decode") return ToHex(QuotedPrintableDecode(input));
  if (operation == "uu-line") return ToHex(UUDecodeLine(input));
  return "unknown-operation";
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::cout << Answer(line) << '\n';
  }
  return 0;
}
