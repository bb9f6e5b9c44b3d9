// What the archive converter tells people while and after it runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pictolumen {

struct RunCounts {
  std::size_t converted = 0;  // handset mail, pictographs as pictures
  std::size_t plain = 0;      // other mail, left as it was
  std::size_t unreadable = 0;
  std::size_t already_done = 0;  // of the above, pages kept from an earlier run
  std::size_t pictographs = 0;   // pictures shown on all pages
};

// One line of progress: a bar of `width` cells filled as far as `bytes_done` of `bytes_total`,
// the mails done, the speed in MB/s and the time left at that speed.
// ProgressLine(10, 50 << 20, 100 << 20, 5.0, 10) == "[#####.....] 10 mails  10.0 MB/s  0:05 left"
std::string ProgressLine(std::size_t mails_done, std::uint64_t bytes_done,
                         std::uint64_t bytes_total, double seconds, std::size_t width = 30);

// The closing lines of a run, ending in a line break.
std::string SummaryText(const RunCounts& counts);

}  // namespace pictolumen
