#include "convert/output_names.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "charset/mail_date.h"
#include "common/text.h"

namespace pictolumen {
namespace {

bool IsKeptByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == '_';
}

bool IsAlphanumeric(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Whether the part of `name` before its first dot is a device name of Windows.
bool IsReservedName(std::string_view name) {
  const std::string stem = UpperCase(name.substr(0, name.find('.')));
  static constexpr std::array<std::string_view, 4> kDevices{"CON", "PRN", "AUX", "NUL"};
  for (const std::string_view device : kDevices) {
    if (stem == device) return true;
  }
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

// The extension of a safe name (after its last dot), or empty.
std::string_view ExtensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::uint32_t Fnv1a(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash;
}

std::string_view Bare(std::string_view line) {
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

}  // namespace

std::string SafeFileName(std::string_view name) {
  std::string safe;
  for (const char c : name) {
    const char kept = IsKeptByte(c) ? c : '_';
    if (!safe.empty() && (kept == '_' || kept == '.') && safe.back() == kept) continue;
    safe += kept;
  }
  const std::size_t first = safe.find_first_not_of('.');
  safe.erase(0, first == std::string::npos ? safe.size() : first);
  while (!safe.empty() && safe.back() == '.') safe.pop_back();
  if (IsReservedName(safe)) safe.insert(0, "_");
  if (safe.size() > kFileNameLimit) {
    std::string extension(ExtensionOf(safe));
    if (extension.size() > 16) extension.clear();
    const std::size_t stem = kFileNameLimit - (extension.empty() ? 0 : extension.size() + 1);
    safe.resize(stem);
    while (!safe.empty() && safe.back() == '.') safe.pop_back();
    if (!extension.empty()) safe += "." + extension;
  }
  return safe.empty() ? "_" : safe;
}

std::string AttachmentFileName(std::string_view page_base, std::size_t number,
                               std::string_view original) {
  std::string name = std::string(page_base) + "-" + std::to_string(number);
  const std::string safe = SafeFileName(original);
  const std::string_view extension = ExtensionOf(safe);
  bool plain = !extension.empty() && extension.size() <= 10;
  for (const char c : extension) plain = plain && IsAlphanumeric(c);
  if (plain) name += "." + LowerCase(extension);
  return name;
}

std::string PageBaseName(std::string_view input_key, std::size_t number, double utc_date) {
  char date[32] = "nodate";
  if (utc_date != 0) {
    const DateTimeFields f = DecodeDateTime(utc_date);
    std::snprintf(date, sizeof date, "%04d%02d%02d-%02d%02d%02d", f.year, f.month, f.day, f.hour,
                  f.minute, f.second);
  }
  char hash[16];
  std::snprintf(hash, sizeof hash, "%08x", static_cast<unsigned>(Fnv1a(input_key)));
  std::string digits = std::to_string(number);
  if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
  return std::string(date) + "-" + hash + "-" + digits;
}

std::string HeaderFieldOf(std::string_view mail, std::string_view name) {
  std::string value;
  bool in_field = false;
  while (!mail.empty()) {
    const std::size_t end = mail.find('\n');
    const std::size_t length = end == std::string_view::npos ? mail.size() : end + 1;
    const std::string_view line = Bare(mail.substr(0, length));
    mail.remove_prefix(length);
    if (line.empty()) break;
    const bool continuation = line.front() == ' ' || line.front() == '\t';
    if (in_field && continuation) {
      value += " " + Trim(line);
      continue;
    }
    if (in_field) break;
    if (line.size() > name.size() && line[name.size()] == ':' &&
        CompareIgnoringCase(line.substr(0, name.size()), name) == 0) {
      value = Trim(line.substr(name.size() + 1));
      in_field = true;
    }
  }
  return Trim(value);
}

}  // namespace pictolumen
