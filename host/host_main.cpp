// pictolumen-host: a stand-in for the host mail client. It exports the host's BKA_ functions,
// loads the plug-in and drives its entry points.
//
//   pictolumen-host [--plugin PATH] [--host-version TEXT] [--no-setstatus] info
//   pictolumen-host [...] menu [--choose] [--submenus N]
//   pictolumen-host [...] open MAIL [--out FILE] [--time N]
//   pictolumen-host [...] setup
//
// open --time N opens the mail N times and writes on standard error how long the plug-in took
// (the fastest and the median time), so that the plug-in's speed can be measured as the host
// loads it, also the Windows DLL under Wine.
//
// Exit status: 0 done, 2 the plug-in failed to load, 1 any other error.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/host_platform.h"
#include "host/host_state.h"
#include "jtext/path_helpers.h"
#include "platform/platform.h"

namespace pictolumen::host {
namespace {

using InfoFn = std::intptr_t(PL_STDCALL*)(char*);
using MenuInitFn = std::intptr_t(PL_STDCALL*)(void*, void*, std::intptr_t);
using OpenMailFn = std::intptr_t(PL_STDCALL*)(const char*);
using SetupFn = std::intptr_t(PL_STDCALL*)(void*);

constexpr int kExitDone = 0;
constexpr int kExitError = 1;
constexpr int kExitLoadFailed = 2;

struct Options {
  std::string plugin;
  bool set_status = true;
  std::string command;
  std::vector<std::string> arguments;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  options.plugin = FolderOfPath(platform::OwnModuleFileName()) + kPluginFileName;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError(arg + " needs a value");
      return argv[++i];
    };
    if (!options.command.empty()) {
      options.arguments.push_back(arg);
    } else if (arg == "--plugin") {
      options.plugin = value();
    } else if (arg == "--host-version") {
      State().version = value();
    } else if (arg == "--no-setstatus") {
      options.set_status = false;
    } else if (arg == "info" || arg == "menu" || arg == "open" || arg == "setup") {
      options.command = arg;
    } else {
      throw UsageError("unknown argument: " + arg);
    }
  }
  if (options.command.empty()) throw UsageError("no command given");
  return options;
}

template <typename Fn>
Fn Entry(const platform::DynamicLibrary& plugin, const char* name) {
  void* symbol = plugin.Symbol(name);
  if (!symbol) throw std::runtime_error(std::string("the plug-in lacks ") + name);
  return reinterpret_cast<Fn>(symbol);
}

int Info(const platform::DynamicLibrary& plugin) {
  char record[4 * 80] = {};
  Entry<InfoFn>(plugin, "BKC_OnPlugInInfo")(record);
  for (int field = 0; field < 4; ++field) {
    const char* text = record + field * 80;
    std::cout << platform::AnsiToUtf8(std::string(text, strnlen(text, 80))) << "\n";
  }
  return kExitDone;
}

int Menu(const platform::DynamicLibrary& plugin, const std::vector<std::string>& arguments) {
  bool choose = false;
  std::vector<std::string> captions = {"File", "Edit", "View", "Tools", "Plug-ins", "Help"};
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--choose") {
      choose = true;
    } else if (arguments[i] == "--submenus" && i + 1 < arguments.size()) {
      captions.resize(std::min<std::size_t>(std::stoul(arguments[++i]), captions.size()));
    } else {
      throw UsageError("unknown argument: " + arguments[i]);
    }
  }
  MainMenu menu(captions);
  const auto init = Entry<MenuInitFn>(plugin, "BKC_OnMenuInit");
  for (std::intptr_t kind = 0; kind <= 2; ++kind) init(nullptr, menu.handle(), kind);
  for (const auto& [caption, items] : menu.Describe()) {
    std::cout << caption << ":";
    for (const auto& item : items) std::cout << " " << platform::AnsiToUtf8(item);
    std::cout << "\n";
  }
  std::cout.flush();
  if (choose) {
    if (State().commands.empty()) throw std::runtime_error("no command was registered");
    RunMenuCommand(State().commands.front().callback);
  }
  return kExitDone;
}

// Writes on standard error the fastest and the median of `times`, which is not empty.
void ReportTimes(std::vector<std::chrono::duration<double, std::milli>> times) {
  std::sort(times.begin(), times.end());
  std::fprintf(stderr, "opened %zu times: fastest %.3f ms, median %.3f ms\n", times.size(),
               times.front().count(), times[times.size() / 2].count());
}

int Open(const platform::DynamicLibrary& plugin, const std::vector<std::string>& arguments) {
  if (arguments.empty()) throw UsageError("open needs a mail file");
  std::string out;
  int repetitions = 0;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--out" && i + 1 < arguments.size()) {
      out = arguments[++i];
    } else if (arguments[i] == "--time" && i + 1 < arguments.size()) {
      repetitions = std::atoi(arguments[++i].c_str());
      if (repetitions < 1) throw UsageError("--time needs a count of at least 1");
    } else {
      throw UsageError("unknown argument: " + arguments[i]);
    }
  }
  State().current_mail = platform::ReadWholeFile(arguments[0]);
  const auto open_mail = Entry<OpenMailFn>(plugin, "BKC_OnOpenMail");
  std::vector<std::chrono::duration<double, std::milli>> times;
  do {
    State().set_mail_id.reset();
    const auto start = std::chrono::steady_clock::now();
    open_mail("Inbox");
    times.push_back(std::chrono::steady_clock::now() - start);
  } while (static_cast<int>(times.size()) < repetitions);
  if (repetitions > 0) ReportTimes(std::move(times));
  const bool rewritten = State().set_mail_id && *State().set_mail_id == "TEMP";
  std::cout << (rewritten ? "rewritten" : "unchanged") << std::endl;
  if (rewritten && !out.empty()) platform::WriteWholeFile(out, State().set_source);
  return kExitDone;
}

int Setup(const platform::DynamicLibrary& plugin) {
  const std::intptr_t result = Entry<SetupFn>(plugin, "BKC_OnPlugInSetup")(nullptr);
  RunMessageLoop();
  return result == 1 ? kExitDone : kExitError;
}

int Run(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  ProvideSetStatus(options.set_status);
  std::string error;
  const auto plugin = LoadPlugin(options.plugin, error);
  if (!plugin) {
    std::cerr << "pictolumen-host: cannot load the plug-in " << options.plugin << ": " << error
              << "\n";
    return kExitLoadFailed;
  }
  if (options.command == "info") return Info(*plugin);
  if (options.command == "menu") return Menu(*plugin, options.arguments);
  if (options.command == "open") return Open(*plugin, options.arguments);
  return Setup(*plugin);
}

}  // namespace
}  // namespace pictolumen::host

int main(int argc, char** argv) {
  try {
    return pictolumen::host::Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "pictolumen-host: " << e.what() << "\n";
    return 1;
  }
}
