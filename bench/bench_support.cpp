#include "bench/bench_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <vector>

#include "charset/transfer_codecs.h"
#include "charset/unicode_text.h"
#include "common/string_list.h"
#include "emoji/carrier_emoji.h"
#include "emoji/carrier_text.h"
#include "emoji/docomo_unicode_table.h"
#include "emoji/softbank_unicode_table.h"
#include "jtext/csv_column.h"
#include "jtext/jis_conversion.h"
#include "platform/platform.h"

namespace pictolumen::bench {
namespace {

constexpr std::size_t kLineBytes = 70;
constexpr char kEnterTwoByte[] = "\x1b$B";
constexpr char kEnterAscii[] = "\x1b(B";

using JisCode = std::pair<char, char>;

// The 7-bit JIS codes of the carrier's emoji: the Shift_JIS keys of the 7-bit table turned
// back into the JIS pairs that a mail carries.
const std::vector<JisCode>& EmojiCodes() {
  static const std::vector<JisCode> codes = [] {
    const auto table = platform::FindResourceData("TEXT", "EMOJI_7BIT");
    if (!table) throw std::runtime_error("the emoji table resource is missing");
    StringList lines;
    lines.SetText(*table);
    std::vector<JisCode> found;
    for (const std::string& line : lines) {
      const StringList fields = SplitCsvLine(line);
      if (fields.size() < 3 || fields[2].size() != 4) continue;
      const unsigned code = static_cast<unsigned>(std::stoul(fields[2], nullptr, 16));
      const BytePair jis = SjisPairToJis(static_cast<unsigned char>(code >> 8),
                                         static_cast<unsigned char>(code & 0xFF));
      found.emplace_back(static_cast<char>(jis.first), static_cast<char>(jis.second));
    }
    return found;
  }();
  return codes;
}

// One line of mail text (without its line break) drawn from `random`. As in a handset mail,
// Japanese comes in runs (about 10 characters long) with short ASCII runs between them (about 3
// characters); 2 in 100 characters are emoji, which stand in a Japanese run.
std::string JisLine(std::mt19937& random) {
  static constexpr char kAscii[] = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJ 0123456789 .,:;!?&<>\"";
  const std::vector<JisCode>& emoji = EmojiCodes();
  std::string line;
  bool two_byte = random() % 2 == 0;
  if (two_byte) line += kEnterTwoByte;
  while (line.size() < kLineBytes) {
    const unsigned draw = random() % 100;
    const bool is_emoji = draw < 2;
    const bool next_two_byte = is_emoji || (two_byte ? draw < 92 : draw < 30);
    if (next_two_byte != two_byte) {
      line += next_two_byte ? kEnterTwoByte : kEnterAscii;
      two_byte = next_two_byte;
    }
    if (!two_byte) {
      line += kAscii[random() % (sizeof kAscii - 1)];
    } else if (is_emoji) {
      const JisCode code = emoji[random() % emoji.size()];
      line += code.first;
      line += code.second;
    } else if (random() % 2 == 0) {
      line += '\x24';  // hiragana
      line += static_cast<char>(0x21 + random() % 0x53);
    } else {
      line += static_cast<char>(0x30 + random() % 0x20);  // kanji of level 1
      line += static_cast<char>(0x21 + random() % 0x5E);
    }
  }
  if (two_byte) line += kEnterAscii;
  return line;
}

// Header lines of a mail from the carrier's handset, ending with the empty line.
std::string AuHeader(std::string_view content_type) {
  const std::string subject = std::string(kEnterTwoByte) + "$3$s$K$A$Ou:" + kEnterAscii;
  return "Return-Path: <taro.bench@ezweb.ne.jp>\r\n"
         "Date: Tue, 08 Dec 2026 18:03:10 +0900\r\n"
         "From: =?ISO-2022-JP?B?GyRCQkBPOhsoQg==?= <taro.bench@ezweb.ne.jp>\r\n"
         "To: hanako@example.com\r\n"
         "Subject: =?ISO-2022-JP?B?" +
         Base64Encode(subject) +
         "?=\r\n"
         "Message-ID: <20261208180310.bench@ezweb.ne.jp>\r\n"
         "MIME-Version: 1.0\r\n" +
         std::string(content_type) + "\r\n\r\n";
}

}  // namespace

void MailSizes(benchmark::internal::Benchmark* family) {
  for (const std::int64_t size : {2 << 10, 100 << 10, 1 << 20, 10 << 20}) family->Arg(size);
}

std::string JisMailText(std::size_t size) {
  std::mt19937 random(20261208);
  std::string text;
  text.reserve(size + kLineBytes + 16);
  while (text.size() < size) {
    text += JisLine(random);
    text += "\r\n";
  }
  // The last line is cut to the exact size in ASCII: its text is dropped back to a whole line
  // and the rest is filled with letters.
  if (text.size() > size) {
    const std::size_t last = text.rfind("\r\n", text.size() - 3);
    const std::size_t keep = last == std::string::npos ? 0 : last + 2;
    text.resize(keep);
    if (size - keep >= 2) {
      text.append(size - keep - 2, 'x');
      text += "\r\n";
    } else {
      text.append(size - keep, 'x');
    }
  }
  return text;
}

std::string AuTextMail(std::size_t size) {
  const std::string header = AuHeader(
      "Content-Type: text/plain; charset=\"ISO-2022-JP\"\r\nContent-Transfer-Encoding: 7bit");
  return header + JisMailText(size > header.size() ? size - header.size() : 0);
}

namespace {

// `bytes` in base64, in lines of 76 characters and CR LF.
std::string Base64Lines(std::string_view bytes) {
  const std::string encoded = Base64Encode(bytes);
  std::string lines;
  lines.reserve(encoded.size() + encoded.size() / 38 + 2);
  for (std::size_t at = 0; at < encoded.size(); at += 76) {
    lines.append(encoded, at, 76);
    lines += "\r\n";
  }
  return lines;
}

// A multipart/mixed mail: `text_part` (its header, an empty line and its body), then a base64
// attachment of random bytes that fills the mail to `size` bytes.
std::string MailWithAttachment(std::size_t size, const std::string& text_part,
                               std::string_view attachment_type) {
  std::string mail = AuHeader("Content-Type: multipart/mixed; boundary=\"bench-boundary\"") +
                     "--bench-boundary\r\n" + text_part + "--bench-boundary\r\n" +
                     "Content-Type: " + std::string(attachment_type) +
                     "; name=\"photo.jpg\"\r\n"
                     "Content-Transfer-Encoding: base64\r\n"
                     "Content-Disposition: attachment; filename=\"photo.jpg\"\r\n\r\n";
  const std::string closing = "--bench-boundary--\r\n";
  const std::size_t room =
      size > mail.size() + closing.size() ? size - mail.size() - closing.size() : 0;
  // Lines of 76 characters and CR LF carry 57 bytes each.
  std::mt19937 random(7);
  std::string bytes(room / 78 * 57, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return mail + Base64Lines(bytes) + closing;
}

}  // namespace

std::string AuAttachmentMail(std::size_t size) {
  return MailWithAttachment(size,
                            "Content-Type: text/plain; charset=\"ISO-2022-JP\"\r\n"
                            "Content-Transfer-Encoding: 7bit\r\n\r\n" +
                                JisMailText(std::min<std::size_t>(size / 4, 1024)),
                            "application/octet-stream");
}

std::string Utf8MailText(std::size_t size) {
  // JIS text grows in UTF-8: kana and kanji take three bytes instead of two.
  const std::string utf8 =
      Utf8FromUnicode(CarrierTextToUnicode(JisMailText(size + 64), csISO_2022_JP));
  const std::size_t last_line = utf8.rfind("\r\n", std::min(size, utf8.size()));
  return utf8.substr(0, last_line == std::string::npos ? 0 : last_line + 2);
}

std::string AuUtf8TextMail(std::size_t size) {
  const std::string header =
      AuHeader("Content-Type: text/plain; charset=\"UTF-8\"\r\nContent-Transfer-Encoding: base64");
  // Base64 in lines of 76 characters and CR LF carries 57 bytes in 78.
  const std::size_t room = size > header.size() ? size - header.size() : 0;
  return header + Base64Lines(Utf8MailText(room / 78 * 57));
}

std::string AuPhotoMail(std::size_t size) {
  return MailWithAttachment(size,
                            "Content-Type: text/plain; charset=\"UTF-8\"\r\n"
                            "Content-Transfer-Encoding: base64\r\n\r\n" +
                                Base64Lines(Utf8MailText(std::min<std::size_t>(size / 4, 1024))),
                            "image/jpeg");
}

std::string HandsetSjisMail(Carrier carrier, std::size_t size) {
  const std::string domain = carrier == Carrier::kDocomo ? "docomo.ne.jp" : "softbank.ne.jp";
  const std::string header =
      "Date: Tue, 08 Dec 2026 18:03:10 +0900\r\nFrom: <hanako.bench@" + domain +
      ">\r\nTo: taro@example.com\r\nSubject: bench\r\nMIME-Version: 1.0\r\n"
      "Content-Type: text/plain; charset=\"Shift_JIS\"\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
  std::string mail = header;
  std::size_t turn = 0;
  const auto append_code = [&mail](unsigned code) {
    if (code > 0xFF) mail.push_back(static_cast<char>(code >> 8));
    mail.push_back(static_cast<char>(code & 0xFF));
  };
  for (const char32_t c :
       CarrierTextToUnicode(JisMailText(size - std::min(size, header.size())), csISO_2022_JP)) {
    if (AuEmojiOfCodePoint(c) == nullptr) {
      append_code(static_cast<unsigned>(Cp932FromUnicode(c)));
    } else if (carrier == Carrier::kDocomo) {
      append_code(kDocomoEmoji[turn++ % kDocomoEmoji.size()].sjis);
    } else {
      append_code(kSoftbankEmoji[turn++ % 263].sjis);  // the first 263 all have a code
    }
  }
  return mail;
}

std::string QuotedPrintableLines(std::string_view body) {
  std::string lines;
  lines.reserve(body.size() + body.size() / 2);
  StringList text;
  text.SetText(body);
  for (const std::string& line : text) {
    const std::string encoded = QuotedPrintableEncode(line);
    std::size_t column = 0;
    for (std::size_t i = 0; i < encoded.size();) {
      // A soft line break before an escape or letter that would pass 75 characters.
      const std::size_t width = encoded[i] == '=' ? 3 : 1;
      if (column + width > 75) {
        lines += "=\r\n";
        column = 0;
      }
      lines.append(encoded, i, width);
      column += width;
      i += width;
    }
    lines += "\r\n";
  }
  return lines;
}

double MemcpySeconds(std::size_t bytes) {
  static std::map<std::size_t, double> measured;
  if (const auto known = measured.find(bytes); known != measured.end()) return known->second;
  std::vector<char> source(bytes, 'x');
  std::vector<char> target(bytes, 'y');
  using Clock = std::chrono::steady_clock;
  std::vector<double> samples;
  for (int sample = 0; sample < 15; ++sample) {
    std::size_t copies = 0;
    const auto start = Clock::now();
    std::chrono::duration<double> elapsed{};
    do {
      std::memcpy(target.data(), source.data(), bytes);
      benchmark::ClobberMemory();
      ++copies;
      elapsed = Clock::now() - start;
    } while (elapsed.count() < 2e-3);
    samples.push_back(elapsed.count() / static_cast<double>(copies));
  }
  std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
  return measured[bytes] = samples[samples.size() / 2];
}

TemporaryArea::TemporaryArea(std::string_view name)
    : path_(platform::TempFolder() + "pl-" + std::string(name) + "-" + std::to_string(getpid()) +
            "/") {
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TemporaryArea::~TemporaryArea() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace pictolumen::bench
