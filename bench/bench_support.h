// What the benchmarks share: the generated mails of an au handset, a temporary area of their own,
// and the reference every figure is read against, a plain memcpy of the same bytes.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "emoji/carrier.h"

namespace pictolumen::bench {

// The mail sizes every family runs at: 2 KB, 100 KB, 1 MB and 10 MB.
void MailSizes(benchmark::internal::Benchmark* family);

// 7-bit JIS mail text of `size` bytes in lines of about 70 bytes: runs of kana and kanji with
// short ASCII runs (with & < > " among them) between them, and 2 in 100 characters emoji of the
// carrier, drawn from its 7-bit table. Every line ends in ASCII mode and with CR LF.
std::string JisMailText(std::size_t size);

// A single-part ISO-2022-JP text mail (7bit) from an ezweb.ne.jp address, JisMailText as body
// and an encoded subject with an emoji, `size` bytes in all.
std::string AuTextMail(std::size_t size);

// A multipart/mixed mail from an ezweb.ne.jp address: a short ISO-2022-JP text part and a base64
// attachment of random bytes in lines of 76 characters, `size` bytes in all.
std::string AuAttachmentMail(std::size_t size);

// UTF-8 text of at most `size` bytes, whole lines: JisMailText read as Unicode, the carrier's
// emoji as their private-use code points, as smartphones write them.
std::string Utf8MailText(std::size_t size);

// A single-part UTF-8 text mail in base64, as smartphones send it, from an ezweb.ne.jp address,
// Utf8MailText as body, about `size` bytes in all.
std::string AuUtf8TextMail(std::size_t size);

// A multipart/mixed photo mail from a smartphone: a short UTF-8 text part in base64 and a base64
// image/jpeg of random bytes, `size` bytes in all.
std::string AuPhotoMail(std::size_t size);

// A single-part Shift_JIS text mail (8bit) from a handset of `carrier` (docomo or SoftBank),
// `size` bytes in all: JisMailText's text with each of au's emoji replaced by one of the
// carrier's own Shift_JIS codes in turn.
std::string HandsetSjisMail(Carrier carrier, std::size_t size);

// `body` encoded as quoted-printable text, in lines of at most 76 characters.
std::string QuotedPrintableLines(std::string_view body);

// Seconds that a memcpy of `bytes` bytes into a buffer already touched takes: the median of
// repeated samples, measured once per size in this process.
double MemcpySeconds(std::size_t bytes);

// Runs the timed loop of `state`, one call of `step` per iteration, and reports the bytes the
// step reads per iteration, their memcpy time ("memcpy_us") and the step's time as a multiple of
// it ("x_memcpy").
template <typename Step>
void TimeAgainstMemcpy(benchmark::State& state, std::size_t bytes, Step&& step) {
  const double reference = MemcpySeconds(bytes);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) step();
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  const auto iterations = static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes));
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["memcpy_us"] = reference * 1e6;
  state.counters["x_memcpy"] = iterations > 0 ? elapsed.count() / iterations / reference : 0.0;
}

// A folder of the benchmark's own under the system's temporary folder, made empty at start and
// removed at exit.
class TemporaryArea {
 public:
  explicit TemporaryArea(std::string_view name);
  ~TemporaryArea();
  TemporaryArea(const TemporaryArea&) = delete;
  TemporaryArea& operator=(const TemporaryArea&) = delete;

  // Ends with "/".
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace pictolumen::bench
