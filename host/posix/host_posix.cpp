// The stand-in host natively: menus are StandInMenu objects, message boxes print themselves,
// and BKA_SetStatus comes from a library of its own so that it can be left out.
#include <dlfcn.h>

#include <iostream>

#include "host/host_platform.h"
#include "jtext/path_helpers.h"
#include "platform/posix/standin_menu.h"

namespace pictolumen::host {

void ProvideSetStatus(bool present) {
  if (!present) return;
  const std::string library =
      FolderOfPath(platform::OwnModuleFileName()) + "pictolumen-host-setstatus.so";
  // Loaded for the rest of the process, into the global scope that the plug-in's binding
  // searches along with the host program.
  if (!dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL)) {
    throw std::runtime_error("cannot load " + library);
  }
}

std::unique_ptr<platform::DynamicLibrary> LoadPlugin(const std::string& path, std::string& error) {
  auto plugin = platform::DynamicLibrary::Load(path);
  if (!plugin) {
    const char* reason = dlerror();
    error = reason ? reason : "not loadable";
    return nullptr;
  }
  using StartupFn = int (*)();
  const auto started = reinterpret_cast<StartupFn>(plugin->Symbol("PictolumenStartupSucceeded"));
  if (!started || !plugin->Symbol("BKC_OnPlugInInfo")) {
    error = "not a Pictolumen plug-in";
    return nullptr;
  }
  if (!started()) {
    error = "its start-up failed (the host's functions could not be bound)";
    return nullptr;
  }
  return plugin;
}

struct MainMenu::Impl {
  platform::StandInMenu menu;
};

MainMenu::MainMenu(const std::vector<std::string>& captions) : impl_(std::make_unique<Impl>()) {
  for (const auto& caption : captions) {
    auto submenu = std::make_unique<platform::StandInMenu>();
    submenu->caption = caption;
    impl_->menu.submenus.push_back(std::move(submenu));
  }
}

MainMenu::~MainMenu() = default;

void* MainMenu::handle() const {
  return &impl_->menu;
}

std::vector<std::pair<std::string, std::vector<std::string>>> MainMenu::Describe() const {
  std::vector<std::pair<std::string, std::vector<std::string>>> result;
  for (const auto& submenu : impl_->menu.submenus) {
    std::vector<std::string> items;
    for (const auto& item : submenu->items) items.push_back(item.text);
    result.emplace_back(submenu->caption, std::move(items));
  }
  return result;
}

void RunMenuCommand(MenuCommandFn callback) {
  callback(nullptr, 0);
}

void RunMessageLoop() {}

}  // namespace pictolumen::host
