// Conversion of long mail texts into HTML with emoji pictures: the time should grow in
// proportion to the text (compare the 1 MB and the 10 MB runs).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "emoji/emoji_markup.h"
#include "jtext/jis_conversion.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

// A temporary area of the benchmark's own, so that the image cache starts empty; removed at exit.
class BenchTemporaryArea {
 public:
  BenchTemporaryArea()
      : path_(platform::TempFolder() + "pl-emoji-bench-" + std::to_string(getpid()) + "/") {
    std::filesystem::create_directories(path_);
    setenv("TMPDIR", path_.c_str(), 1);
  }
  ~BenchTemporaryArea() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

 private:
  std::string path_;
};

// A 7-bit JIS mail text of `size` bytes: ASCII with markup characters, kanji and kana, and
// emoji (JIS 75 3A, 77 29, 7B 6D), in lines of about 70 bytes.
std::string JisMailText(std::size_t size) {
  const std::string line = "Meeting at 10 <room 3> & \"lunch\" " + std::string("\x1b$B") +
                           "$\"$$u:w)0!{m" + "\x1b(B" + " see you " + "\x1b$B" + "u;" + "\x1b(B" +
                           "\r\n";
  std::string text;
  text.reserve(size + line.size());
  while (text.size() < size) text += line;
  text.resize(size);
  return text;
}

void BM_EmojiToHtml(benchmark::State& state) {
  static BenchTemporaryArea area;
  const std::string text = JisMailText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(EmojiToHtml(text, "7bit"));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_EmojiToHtml)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_JisToSjis(benchmark::State& state) {
  const std::string text = JisMailText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ConvertCode(text, jcJIS, jcSJIS));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_JisToSjis)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pictolumen
