#include "charset/quoted_printable_lines.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "charset/transfer_codecs.h"
#include "common/text.h"

namespace pictolumen {
namespace {

// Shortest quoted-printable line that still holds an escape and the soft line break.
constexpr std::size_t kShortestQuotedPrintableLine = 4;

// Bytes escaped at a time, at least, into the line being cut by QuotedPrintableLineWriter: a few
// lines' worth, so that each step of escaping runs long enough to be fast.
constexpr std::size_t kQuotedPrintableStep = 256;

// The line length of quoted-printable lines cut for `max_length`: never below the shortest line
// that still holds an escape and the soft line break.
std::size_t QuotedPrintableLimit(int max_length) {
  return std::max(static_cast<std::size_t>(std::max(max_length, 0)), kShortestQuotedPrintableLine);
}

// The length of the first line of quoted-printable text `text` of at least `limit` bytes that
// is cut off by a soft line break: the line ends before the last escape or the last space that
// starts within the limit (the later of the two), when there is one after the line's first
// character; else it takes `limit` characters.
std::size_t QuotedPrintableCutLength(const char* text, std::size_t limit) {
  std::size_t end = limit;
#if defined(__SSE2__)
  // Looked for from the end, sixteen bytes at a time while they lie after the first.
  for (; end >= 17; end -= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + end - 16));
    const auto found = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(bytes, _mm_set1_epi8('=')) | _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '))));
    if (found != 0) return end - 16 + static_cast<std::size_t>(31 - std::countl_zero(found));
  }
#endif
  // Then eight bytes at a time.
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  for (; end >= 9; end -= 8) {
    const std::uint64_t word = text_detail::WordAt(text + end - 8);
    const std::uint64_t found = text_detail::ZeroBytesOf(word ^ (kOnes * '=')) |
                                text_detail::ZeroBytesOf(word ^ (kOnes * ' '));
    if (found == 0) continue;
    // The last byte in memory is the highest of a little-endian word, the lowest otherwise.
    const int byte = std::endian::native == std::endian::little ? (63 - std::countl_zero(found)) / 8
                                                                : 7 - std::countr_zero(found) / 8;
    return end - 8 + static_cast<std::size_t>(byte);
  }
  for (std::size_t k = end; k-- > 1;) {
    if (text[k] == '=' || text[k] == ' ') return k;
  }
  return limit;
}

// Hands each line of CutQuotedPrintableLines(text, max_length) to `take` as the text before its
// soft line break and whether one follows, so that the caller builds each line only once.
template <class Take>
void ForEachQuotedPrintableLine(std::string_view text, int max_length, Take&& take) {
  if (text.empty()) {
    take(text, false);
    return;
  }
  const std::size_t limit = QuotedPrintableLimit(max_length);
  std::size_t at = 0;
  while (at < text.size()) {
    const std::string_view rest = text.substr(at);
    if (rest.size() < limit) {
      take(rest, false);
      return;
    }
    const std::size_t length = QuotedPrintableCutLength(rest.data(), limit);
    at += length;
    take(rest.substr(0, length), at < text.size());
  }
}

}  // namespace

std::size_t QuotedPrintableLinesSizeBound(std::string_view text, int max_length) {
  // There are no more lines than line break bytes and one; the escaped lines hold the escaped
  // size less that of the escaped break bytes. Of two lines in a row that end in a soft break,
  // the second runs at least to the limit past the first's start (the first ends before the
  // last escape or blank within the limit, and none follows it there), so a line of e escaped
  // bytes has at most 2e / limit + 1 soft breaks of three bytes, and CR LF.
  const QuotedPrintableCount count = CountQuotedPrintable(text);
  const std::size_t lines = count.line_break_bytes + 1;
  const std::size_t escaped = count.encoded_size - 3 * count.line_break_bytes;
  return escaped + 3 * (2 * escaped / QuotedPrintableLimit(max_length)) + 5 * lines;
}

QuotedPrintableLineWriter::QuotedPrintableLineWriter(int max_length)
    : limit_(QuotedPrintableLimit(max_length)) {}

void QuotedPrintableLineWriter::Append(std::string_view bytes, std::string& out) {
  // The line being made, line_[start, end), is escaped from as many bytes as it lacks to reach
  // the limit, and at least a step's worth (each gives one to three escaped bytes), then cut
  // while it is long enough; what follows the cuts is moved to the front and starts the next
  // line. The line is thus below the limit before each step and below the limit and three steps
  // after it, and never longer than the escaped text. The lines cut in a step are put together
  // in cut_ (each at least one byte, so with its break at most four times as long) and appended
  // at once.
  const std::size_t step = std::max(limit_, kQuotedPrintableStep);
  const std::size_t room = std::min(3 * bytes.size(), limit_ + 3 * step) + 3;
  if (line_.size() < room) {
    line_.resize(room);
    cut_.resize(4 * room + 2);
  }
  char* const line = line_.data();
  char* const cut_lines = cut_.data();
  std::size_t end = 0;
  while (!bytes.empty()) {
    const std::size_t taken = std::min(bytes.size(), std::max(limit_ - end, kQuotedPrintableStep));
    end = static_cast<std::size_t>(QuotedPrintableEncodeTo(bytes.substr(0, taken), line + end) -
                                   line);
    bytes.remove_prefix(taken);
    if (bytes.empty()) break;
    // More text follows, so every cut line ends in a soft break.
    char* at = cut_lines;
    std::size_t start = 0;
    while (end - start >= limit_) {
      const std::size_t cut = QuotedPrintableCutLength(line + start, limit_);
      std::memcpy(at, line + start, cut);
      std::memcpy(at + cut, "=\r\n", 3);
      at += cut + 3;
      start += cut;
    }
    out.append(cut_lines, static_cast<std::size_t>(at - cut_lines));
    std::memmove(line, line + start, end - start);
    end -= start;
  }
  // The text's last lines: a line of the whole limit that ends the text takes no soft break.
  char* at = cut_lines;
  std::size_t start = 0;
  while (end - start >= limit_) {
    const std::size_t cut = QuotedPrintableCutLength(line + start, limit_);
    std::memcpy(at, line + start, cut);
    at += cut;
    start += cut;
    if (start == end) break;
    std::memcpy(at, "=\r\n", 3);
    at += 3;
  }
  std::memcpy(at, line + start, end - start);
  at += end - start;
  std::memcpy(at, "\r\n", 2);
  at += 2;
  out.append(cut_lines, static_cast<std::size_t>(at - cut_lines));
}

std::vector<std::string> CutQuotedPrintableLines(std::string_view text, int max_length) {
  std::vector<std::string> lines;
  ForEachQuotedPrintableLine(text, max_length, [&](std::string_view line, bool soft_break) {
    std::string& added = lines.emplace_back(line);
    if (soft_break) added += '=';
  });
  return lines;
}

}  // namespace pictolumen
