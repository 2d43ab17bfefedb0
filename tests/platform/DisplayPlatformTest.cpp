// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/DisplayPlatform.h"
#include "tests/support/Env.h"

namespace tarifuhr {
namespace {

PathExists Sockets(std::set<std::string> present) {
  return [present](const std::string& path) { return present.count(path) > 0; };
}

TEST(DisplayPlatform, XwaylandWhereItIsThereNativeWaylandElseTheUsersChoiceLeftToQt) {
  const auto x0 = Sockets({"/tmp/.X11-unix/X0"});
  const struct {
    std::map<std::string, std::string> env;
    PathExists sockets;
    std::string platform;
  } cases[] = {
      {{{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}}, x0, "xcb"},
      {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0.0"}}, x0, "xcb"},
      {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", "unix:0"}}, x0, "xcb"},
      // A display on another host has no socket here to look for.
      {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", "box:0"}}, Sockets({}), "xcb"},
      {{{"WAYLAND_DISPLAY", "wayland-1"}}, Sockets({}), "wayland"},
      {{{"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ""}}, Sockets({}), "wayland"},
      // DISPLAY left over from a compositor whose Xwayland is gone.
      {{{"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ":7"}}, x0, "wayland"},
      {{{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, x0, ""},
      {{{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}}, x0, ""},
      {{}, x0, ""},
  };
  for (const auto& c : cases) {
    std::string vars;
    for (const auto& [name, value] : c.env) vars += name + "=" + value + " ";
    EXPECT_EQ(ChooseDisplayPlatform(Env(c.env), c.sockets), c.platform) << vars;
  }
}

}  // namespace
}  // namespace tarifuhr
