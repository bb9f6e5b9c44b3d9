// The stand-in host's menus on platforms without Windows menus: the menu handles that the
// native host passes to the plug-in point at these.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pictolumen::platform {

struct StandInMenu {
  struct Item {
    unsigned id;
    std::string text;
  };
  std::string caption;
  std::vector<Item> items;
  std::vector<std::unique_ptr<StandInMenu>> submenus;
};

}  // namespace pictolumen::platform
