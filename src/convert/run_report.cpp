#include "convert/run_report.h"

#include <algorithm>
#include <cstdio>

namespace pictolumen {

std::string ProgressLine(std::size_t mails_done, std::uint64_t bytes_done,
                         std::uint64_t bytes_total, double seconds, std::size_t width) {
  const double share =
      bytes_total == 0 ? 1.0 : std::min(1.0, static_cast<double>(bytes_done) / bytes_total);
  const auto filled = static_cast<std::size_t>(share * static_cast<double>(width));
  std::string line = "[" + std::string(filled, '#') + std::string(width - filled, '.') + "] " +
                     std::to_string(mails_done) + " mails";
  if (seconds <= 0) return line;
  const double rate = static_cast<double>(bytes_done) / seconds;
  char text[64];
  std::snprintf(text, sizeof text, "  %.1f MB/s", rate / 1048576.0);
  line += text;
  if (rate > 0 && bytes_total > bytes_done) {
    const auto left =
        static_cast<unsigned long>(static_cast<double>(bytes_total - bytes_done) / rate);
    std::snprintf(text, sizeof text, "  %lu:%02lu left", left / 60, left % 60);
    line += text;
  }
  return line;
}

std::string SummaryText(const RunCounts& counts) {
  const std::size_t total = counts.converted + counts.plain + counts.unreadable;
  std::string text = std::to_string(total) + " mails: " + std::to_string(counts.converted) +
                     " converted, " + std::to_string(counts.plain) + " left as they were, " +
                     std::to_string(counts.unreadable) + " unreadable; " +
                     std::to_string(counts.pictographs) + " pictographs shown.\n";
  if (counts.already_done != 0) {
    text += std::to_string(counts.already_done) +
            " of them were done by an earlier run and kept (--force converts them again).\n";
  }
  return text;
}

}  // namespace pictolumen
