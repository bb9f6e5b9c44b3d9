// What the stand-in host does differently on Windows and natively.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "plugin/host_interface.h"

namespace pictolumen::host {

// File name of the plug-in library beside the host program.
inline constexpr char kPluginFileName[] =
#ifdef _WIN32
    "Pictolumen.dll";
#else
    "Pictolumen.so";
#endif

// Makes BKA_SetStatus findable (or not) before the plug-in is loaded.
void ProvideSetStatus(bool present);

// Loads the plug-in; null with `error` set when it is missing, refuses to load or failed its
// start-up.
std::unique_ptr<platform::DynamicLibrary> LoadPlugin(const std::string& path, std::string& error);

// A main menu with submenus, as the host's main window has.
class MainMenu {
 public:
  explicit MainMenu(const std::vector<std::string>& captions);
  ~MainMenu();
  MainMenu(const MainMenu&) = delete;
  MainMenu& operator=(const MainMenu&) = delete;

  void* handle() const;
  // Caption and item texts of every submenu.
  std::vector<std::pair<std::string, std::vector<std::string>>> Describe() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Calls a registered menu command as the host does when its item is chosen; prints the
// message box it shows as "[caption] text".
void RunMenuCommand(MenuCommandFn callback);

// Runs the message loop until the windows the plug-in opened on this thread have closed.
void RunMessageLoop();

}  // namespace pictolumen::host
