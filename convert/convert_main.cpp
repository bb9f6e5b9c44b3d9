// pictolumen-convert: mail archives (mail files, mbox files, Maildir folders, vMessage files)
// made into HTML pages with the handsets' pictographs as pictures, and an index of them.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "archive_inputs.h"
#include "convert/mail_index.h"
#include "convert/run_report.h"
#include "mail_output.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUnreadable = 3;

constexpr char kHelp[] =
    "Usage: pictolumen-convert INPUT... -o FOLDER [options]\n"
    "\n"
    "Makes mail archives into HTML pages that show the pictographs (emoji) of Japanese\n"
    "handset mail (au, docomo, SoftBank) as pictures, with an index of all mails.\n"
    "\n"
    "INPUT is a mail file (.eml), an mbox file, a Maildir folder, a vMessage file (.vmg)\n"
    "or a folder holding any of these (searched through). The kind is told from the content.\n"
    "The inputs are only read, never written.\n"
    "\n"
    "Options:\n"
    "  -o, --output FOLDER  where the pages go: FOLDER/index.html lists every mail, newest\n"
    "                       first, a page per thousand mails; FOLDER/mail/ holds a page per\n"
    "                       mail with its attachments beside it; FOLDER/pictures/ the pictures\n"
    "  --skin NAME          the skin the pages are made from (default: Simple)\n"
    "  --eml                also write each mail as the plug-in rewrites it (.eml)\n"
    "  --all                show pictographs in the mail of any sender, read in the table of\n"
    "                       --carrier; without it only mail from the carriers' handset domains\n"
    "                       shows pictures, all other mail is shown as it was\n"
    "  --carrier NAME       au (default), docomo or softbank, with --all\n"
    "  --force              convert again the mails an earlier run into FOLDER converted\n"
    "                       (otherwise they are kept and only listed)\n"
    "  --jobs N             convert N mails at once (default: one per processor)\n"
    "  --quiet              no progress bar and no summary\n"
    "  --help               this text\n"
    "\n"
    "Exit status: 0 when every mail was converted, 3 when some could not be read (they are\n"
    "listed in the index with the reason), 1 on a usage or output error.\n";

struct Options {
  std::vector<std::string> inputs;
  OutputSettings output;
  unsigned jobs = 0;
  bool quiet = false;
  bool help = false;
};

// The options of the command line, or the reason they are none.
std::optional<Options> ParseOptions(int argc, char** argv, std::string& problem) {
  Options options;
  std::string folder;
  std::optional<std::string> carrier;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    std::optional<std::string> given;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "-o" || arg == "--output") {
      if (!(given = value())) return problem = arg + " needs a folder", std::nullopt;
      folder = *given;
    } else if (arg == "--skin") {
      if (!(given = value())) return problem = "--skin needs a name", std::nullopt;
      options.output.skin = *given;
    } else if (arg == "--carrier") {
      if (!(given = value())) return problem = "--carrier needs a name", std::nullopt;
      carrier = *given;
    } else if (arg == "--jobs") {
      if (!(given = value())) return problem = "--jobs needs a number", std::nullopt;
      char* end = nullptr;
      const unsigned long jobs = std::strtoul(given->c_str(), &end, 10);
      if (given->empty() || *end != '\0' || jobs == 0 || jobs > 1024) {
        return problem = "--jobs needs a number from 1 to 1024", std::nullopt;
      }
      options.jobs = static_cast<unsigned>(jobs);
    } else if (arg == "--eml") {
      options.output.write_eml = true;
    } else if (arg == "--all") {
      options.output.any_sender = true;
    } else if (arg == "--force") {
      options.output.force = true;
    } else if (arg == "--quiet" || arg == "-q") {
      options.quiet = true;
    } else if (arg.size() > 1 && arg.front() == '-') {
      return problem = "unknown option " + arg, std::nullopt;
    } else {
      options.inputs.push_back(arg);
    }
  }
  if (options.help) return options;
  if (options.inputs.empty()) return problem = "no input named", std::nullopt;
  if (folder.empty()) return problem = "no output folder named (-o FOLDER)", std::nullopt;
  if (carrier) {
    if (!options.output.any_sender) return problem = "--carrier is for --all", std::nullopt;
    const std::optional<Carrier> named = CarrierNamed(*carrier);
    if (!named) return problem = "no carrier named " + *carrier, std::nullopt;
    options.output.carrier = *named;
  }
  if (folder.back() != '/' && folder.back() != '\\') folder += platform::kPathSeparator;
  options.output.folder = folder;
  if (options.jobs == 0) options.jobs = std::max(1u, std::thread::hardware_concurrency());
  return options;
}

// Mails handed from the reader to the converting threads; the reader waits while many are
// waiting, so that an archive is never held whole.
class MailQueue {
 public:
  explicit MailQueue(std::size_t byte_limit) : byte_limit_(byte_limit) {}

  // False when the run was stopped.
  bool Push(MailSource mail) {
    std::unique_lock lock(mutex_);
    changed_.wait(
        lock, [&] { return stopped_ || bytes_ == 0 || bytes_ + mail.text.size() <= byte_limit_; });
    if (stopped_) return false;
    bytes_ += mail.text.size();
    mails_.push_back(std::move(mail));
    changed_.notify_all();
    return true;
  }

  std::optional<MailSource> Pop() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || closed_ || !mails_.empty(); });
    if (stopped_ || mails_.empty()) return std::nullopt;
    MailSource mail = std::move(mails_.front());
    mails_.pop_front();
    bytes_ -= mail.text.size();
    changed_.notify_all();
    return mail;
  }

  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

  void Stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<MailSource> mails_;
  std::size_t bytes_ = 0;
  const std::size_t byte_limit_;
  bool closed_ = false;
  bool stopped_ = false;
};

// The state of a run that the threads share.
struct Run {
  std::mutex mutex;
  std::vector<IndexEntry> entries;
  RunCounts counts;
  std::string output_error;
  std::atomic<std::size_t> mails_done{0};
  std::atomic<std::uint64_t> bytes_done{0};  // of the mails converted
};

void Count(RunCounts& counts, const IndexEntry& entry, bool kept) {
  switch (entry.state) {
    case MailState::kConverted:
      ++counts.converted;
      break;
    case MailState::kPlain:
      ++counts.plain;
      break;
    case MailState::kUnreadable:
      ++counts.unreadable;
      break;
  }
  counts.pictographs += entry.pictographs;
  if (kept) ++counts.already_done;
}

void ConvertMails(MailQueue& queue, const OutputSettings& settings, Run& run) {
  while (std::optional<MailSource> mail = queue.Pop()) {
    try {
      bool kept = false;
      IndexEntry entry = WriteMail(*mail, settings, kept);
      std::lock_guard lock(run.mutex);
      Count(run.counts, entry, kept);
      run.entries.push_back(std::move(entry));
    } catch (const std::exception& error) {
      std::lock_guard lock(run.mutex);
      if (run.output_error.empty()) run.output_error = error.what();
      queue.Stop();
    }
    run.bytes_done += mail->text.size();
    ++run.mails_done;
  }
}

void ReadInputs(const InputSearch& search, MailQueue& queue, Run& run) {
  try {
    for (const InputFile& file : search.files) {
      bool stopped = false;
      ReadMails(file, [&](MailSource mail) { stopped = stopped || !queue.Push(std::move(mail)); });
      if (stopped) break;
    }
  } catch (const std::exception& error) {
    std::lock_guard lock(run.mutex);
    if (run.output_error.empty()) run.output_error = error.what();
    queue.Stop();
  }
  queue.Close();
}

void WriteIndex(const std::string& folder, std::vector<IndexEntry> entries) {
  for (const auto& [name, html] : IndexPages(std::move(entries))) {
    platform::WriteFileAtomically(folder + name, html);
  }
}

int Main(int argc, char** argv) {
  std::string problem;
  const std::optional<Options> options = ParseOptions(argc, argv, problem);
  if (!options) {
    std::fprintf(stderr, "pictolumen-convert: %s\nTry pictolumen-convert --help.\n",
                 problem.c_str());
    return kExitFailed;
  }
  if (options->help) {
    std::fputs(kHelp, stdout);
    return kExitDone;
  }
  const InputSearch search = FindInputs(options->inputs);
  if (!search.missing.empty()) {
    std::fprintf(stderr, "pictolumen-convert: no such file or folder: %s\n",
                 search.missing.front().c_str());
    return kExitFailed;
  }
  const OutputSettings& settings = options->output;
  try {
    PrepareOutputFolder(settings);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pictolumen-convert: %s\n", error.what());
    return kExitFailed;
  }
  std::uint64_t total = 0;
  for (const InputFile& file : search.files) total += file.size;

  Run run;
  MailQueue queue(std::size_t{64} << 20);
  std::vector<std::thread> workers;
  for (unsigned i = 0; i < options->jobs; ++i) {
    workers.emplace_back([&] { ConvertMails(queue, settings, run); });
  }
  std::thread reader([&] { ReadInputs(search, queue, run); });

  // The threads are joined by one of their own, so that this one can draw the progress bar
  // until they are done.
  std::mutex done_mutex;
  std::condition_variable done_changed;
  bool done = false;
  std::thread joiner([&] {
    reader.join();
    for (std::thread& worker : workers) worker.join();
    std::lock_guard lock(done_mutex);
    done = true;
    done_changed.notify_all();
  });
  const bool show_progress = !options->quiet && platform::StandardErrorIsTerminal();
  const auto start = std::chrono::steady_clock::now();
  std::size_t drawn = 0;
  for (std::unique_lock lock(done_mutex); !done;) {
    done_changed.wait_for(lock, std::chrono::milliseconds(250));
    if (!show_progress) continue;
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::string line = ProgressLine(run.mails_done, run.bytes_done, total, seconds.count());
    const std::size_t length = line.size();
    if (length < drawn) line.append(drawn - length, ' ');
    drawn = length;
    std::fprintf(stderr, "\r%s", line.c_str());
    std::fflush(stderr);
  }
  joiner.join();
  if (drawn != 0) std::fprintf(stderr, "\r%s\r", std::string(drawn, ' ').c_str());

  if (!run.output_error.empty()) {
    std::fprintf(stderr, "pictolumen-convert: %s\n", run.output_error.c_str());
    return kExitFailed;
  }
  try {
    WriteIndex(settings.folder, std::move(run.entries));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pictolumen-convert: %s\n", error.what());
    return kExitFailed;
  }
  if (!options->quiet) {
    std::fputs(SummaryText(run.counts).c_str(), stderr);
    if (search.passed_over != 0) {
      const std::string line =
          "Passed over, holding no mail: " + std::to_string(search.passed_over) + " files.\n";
      std::fputs(line.c_str(), stderr);
    }
  }
  return run.counts.unreadable != 0 ? kExitUnreadable : kExitDone;
}

}  // namespace
}  // namespace pictolumen

int main(int argc, char** argv) {
  try {
    return pictolumen::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pictolumen-convert: %s\n", error.what());
    return 1;
  }
}
