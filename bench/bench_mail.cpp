// Writes one of the generated benchmark mails to a file, for measuring a whole host process.
//   bench_mail text|attachment SIZE FILE
#include <cstdio>
#include <exception>
#include <string>

#include "bench/bench_support.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  using namespace pictolumen;
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_mail text|attachment SIZE FILE\n");
    return 1;
  }
  try {
    const std::string kind = argv[1];
    const auto size = static_cast<std::size_t>(std::stoull(argv[2]));
    if (kind != "text" && kind != "attachment") throw std::invalid_argument("unknown kind " + kind);
    platform::WriteWholeFile(
        argv[3], kind == "text" ? bench::AuTextMail(size) : bench::AuAttachmentMail(size));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_mail: %s\n", e.what());
    return 1;
  }
  return 0;
}
