// The whole open-mail pipeline as the host runs it: this program exports the host's functions,
// loads the plug-in library from a folder of its own (with its settings file and the skins
// beside it, and the image cache in a temporary folder of its own), hands it a mail of an au
// handset and takes back the rewritten source. The cache is warm: every picture is there before
// the first measurement.
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "host/host_state.h"
#include "platform/platform.h"
#include "plugin/host_interface.h"

// The bytes the process holds from operator new, and the most it held since the meter was last
// reset: this program replaces the global operator new and delete, which the plug-in library
// uses too, so that the plug-in's own peak memory during one call can be read apart from the
// host's (whose buffers are made before the call and reused by it).
namespace {

std::atomic<std::size_t> bytes_in_use{0};
std::atomic<std::size_t> peak_bytes_in_use{0};

void* AllocateCounted(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  const std::size_t now = bytes_in_use += malloc_usable_size(block);
  std::size_t peak = peak_bytes_in_use.load();
  while (now > peak && !peak_bytes_in_use.compare_exchange_weak(peak, now)) {
  }
  return block;
}

void FreeCounted(void* block) noexcept {
  if (block == nullptr) return;
  bytes_in_use -= malloc_usable_size(block);
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
  return AllocateCounted(size);
}
void* operator new[](std::size_t size) {
  return AllocateCounted(size);
}
void operator delete(void* block) noexcept {
  FreeCounted(block);
}
void operator delete[](void* block) noexcept {
  FreeCounted(block);
}
void operator delete(void* block, std::size_t) noexcept {
  FreeCounted(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  FreeCounted(block);
}

namespace pictolumen::bench {
namespace {

using OpenMailFn = std::intptr_t(PL_STDCALL*)(const char*);
using StartupFn = int (*)();

class LoadedPlugin {
 public:
  LoadedPlugin() : area_("pipeline-bench") {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(area_.path()) / "plugin";
    fs::create_directories(folder / "Pictolumen_SKIN");
    fs::copy_file(PICTOLUMEN_PLUGIN_FILE, folder / "Pictolumen.so");
    fs::copy_file(fs::path(PICTOLUMEN_SKIN_SOURCES) / "Simple.html",
                  folder / "Pictolumen_SKIN" / "Simple.html");
    platform::WriteWholeFile((folder / "Pictolumen.ini").string(),
                             "[Pictolumen]\r\nchbIsEnable_Checked=-1\r\n"
                             "SkinList_Seletced=Simple\r\n");
    fs::create_directories(fs::path(area_.path()) / "temp");
    setenv("TMPDIR", (fs::path(area_.path()) / "temp" / "").c_str(), 1);

    library_ = platform::DynamicLibrary::Load((folder / "Pictolumen.so").string());
    if (!library_) throw std::runtime_error("cannot load the plug-in");
    const auto started =
        reinterpret_cast<StartupFn>(library_->Symbol("PictolumenStartupSucceeded"));
    open_mail_ = reinterpret_cast<OpenMailFn>(library_->Symbol("BKC_OnOpenMail"));
    if (!started || !started() || !open_mail_)
      throw std::runtime_error("the plug-in did not start");
    // Every picture into the cache.
    Open(AuTextMail(200 << 10));
  }

  // Opens `mail` as the host does; true when the plug-in handed back a rewritten source.
  bool Open(const std::string& mail) {
    host::State().current_mail = mail;
    return OpenCurrent();
  }

  bool OpenCurrent() {
    host::State().set_mail_id.reset();
    open_mail_("Inbox");
    return host::State().set_mail_id == "TEMP";
  }

 private:
  TemporaryArea area_;
  std::unique_ptr<platform::DynamicLibrary> library_;
  OpenMailFn open_mail_ = nullptr;
};

LoadedPlugin& Plugin() {
  static LoadedPlugin plugin;
  return plugin;
}

void OpenMail(benchmark::State& state, const std::string& mail) {
  LoadedPlugin& plugin = Plugin();
  if (!plugin.Open(mail)) {
    state.SkipWithError("the mail was not rewritten");
    return;
  }
  // The plug-in's own peak: the most it held at once during one call, beyond what the process
  // held before it.
  const std::size_t before = bytes_in_use.load();
  peak_bytes_in_use = before;
  bool rewritten = plugin.OpenCurrent();
  state.counters["plugin_peak_bytes"] = static_cast<double>(peak_bytes_in_use.load() - before);
  TimeAgainstMemcpy(state, mail.size(), [&] { rewritten = plugin.OpenCurrent() && rewritten; });
  if (!rewritten) state.SkipWithError("the mail was not rewritten");
  state.counters["out_bytes"] = static_cast<double>(host::State().set_source.size());
}

void BM_Pipeline_Text(benchmark::State& state) {
  OpenMail(state, AuTextMail(static_cast<std::size_t>(state.range(0))));
}

void BM_Pipeline_Attachment(benchmark::State& state) {
  OpenMail(state, AuAttachmentMail(static_cast<std::size_t>(state.range(0))));
}

void BM_Pipeline_Utf8Text(benchmark::State& state) {
  OpenMail(state, AuUtf8TextMail(static_cast<std::size_t>(state.range(0))));
}

void BM_Pipeline_Photo(benchmark::State& state) {
  OpenMail(state, AuPhotoMail(static_cast<std::size_t>(state.range(0))));
}

void BM_Pipeline_DocomoSjis(benchmark::State& state) {
  OpenMail(state, HandsetSjisMail(Carrier::kDocomo, static_cast<std::size_t>(state.range(0))));
}

void BM_Pipeline_SoftbankSjis(benchmark::State& state) {
  OpenMail(state, HandsetSjisMail(Carrier::kSoftbank, static_cast<std::size_t>(state.range(0))));
}

// Writes a buffer twice the size of the largest last-level cache of today's processors, so that
// nothing the last call read or wrote is left in any cache.
void EmptyCaches() {
  static std::vector<char> buffer(64u << 20);
  static char value = 0;
  std::memset(buffer.data(), ++value, buffer.size());
  benchmark::DoNotOptimize(buffer.data());
  benchmark::ClobberMemory();
}

// The whole pipeline with the caches emptied before each call (not timed): the mail, the host's
// buffers and the plug-in's memory come from main memory at every size, so that the time grows
// with the mail's size and not with how much of it the caches hold.
void OpenMailWithEmptyCaches(benchmark::State& state, const std::string& mail) {
  LoadedPlugin& plugin = Plugin();
  bool rewritten = plugin.Open(mail);
  double timed = 0;
  for (auto _ : state) {
    EmptyCaches();
    const auto start = std::chrono::steady_clock::now();
    rewritten = plugin.OpenCurrent() && rewritten;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    timed += elapsed.count();
  }
  if (!rewritten) state.SkipWithError("the mail was not rewritten");
  const double reference = MemcpySeconds(mail.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(mail.size()));
  state.counters["bytes"] = static_cast<double>(mail.size());
  state.counters["memcpy_us"] = reference * 1e6;
  state.counters["x_memcpy"] = timed / static_cast<double>(state.iterations()) / reference;
}

void BM_Pipeline_Text_EmptyCaches(benchmark::State& state) {
  OpenMailWithEmptyCaches(state, AuTextMail(static_cast<std::size_t>(state.range(0))));
}

void BM_Pipeline_Attachment_EmptyCaches(benchmark::State& state) {
  OpenMailWithEmptyCaches(state, AuAttachmentMail(static_cast<std::size_t>(state.range(0))));
}

BENCHMARK(BM_Pipeline_Text)->Apply(MailSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pipeline_Attachment)->Apply(MailSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pipeline_Utf8Text)->Apply(MailSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pipeline_Photo)->Apply(MailSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pipeline_DocomoSjis)->Apply(MailSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pipeline_SoftbankSjis)->Apply(MailSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pipeline_Text_EmptyCaches)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pipeline_Attachment_EmptyCaches)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pictolumen::bench
