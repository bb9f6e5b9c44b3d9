// The INI reader and writer: a value assigned to a key is read back, and assigning it leaves
// the value of every other key of the text as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/text.h"
#include "fuzz_check.h"
#include "platform/ini_text.h"

using namespace pictolumen;
using namespace pictolumen::platform;

namespace {

bool HasLineBreak(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool HasOuterBlank(std::string_view text) {
  return !text.empty() &&
         (text.front() == ' ' || text.front() == '\t' || text.back() == ' ' || text.back() == '\t');
}

// A name that a line of the file can hold as a section or key name: on one line, without
// surrounding blanks, without "=" and "]", not beginning with "[".
bool IsPlainName(std::string_view name) {
  return !name.empty() && !HasLineBreak(name) && !HasOuterBlank(name) &&
         name.find_first_of("=]") == std::string_view::npos && name.front() != '[';
}

// A value as the Windows profile functions read it back: without one pair of enclosing quotes
// of the same kind. Our reader keeps that rule so that both read the same file alike.
std::string_view AsReadBack(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const std::string section = provider.ConsumeRandomLengthString(16);
  const std::string key = provider.ConsumeRandomLengthString(16);
  const std::string other_key = provider.ConsumeRandomLengthString(16);
  const std::string value = provider.ConsumeRandomLengthString(3000);
  const std::string text = provider.ConsumeRemainingBytesAsString();

  const std::string assigned = IniAssign(text, section, key, value);
  const std::string read = IniLookup(assigned, section, key, "\x01");
  IniLookup(text, section, other_key, "");

  if (!IsPlainName(section) || !IsPlainName(key) || HasLineBreak(value) || HasOuterBlank(value)) {
    return 0;
  }
  FUZZ_CHECK(read == AsReadBack(value).substr(0, kProfileValueLimit), "value read back");
  if (IsPlainName(other_key) && CompareIgnoringCase(other_key, key) != 0) {
    FUZZ_CHECK(IniLookup(assigned, section, other_key, "\x01") ==
                   IniLookup(text, section, other_key, "\x01"),
               "other key");
  }
  return 0;
}
