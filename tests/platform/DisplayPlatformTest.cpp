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

TEST(DisplayPlatform, AWaylandSessionWithXwaylandRunsThroughIt) {
  const auto x0 = Sockets({"/tmp/.X11-unix/X0"});
  EXPECT_EQ(ChooseDisplayPlatform(Env({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}}), x0), "xcb");
  EXPECT_EQ(ChooseDisplayPlatform(Env({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0.0"}}), x0), "xcb");
  EXPECT_EQ(ChooseDisplayPlatform(Env({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", "unix:0"}}), x0), "xcb");
  // A display on another host has no socket here to look for.
  EXPECT_EQ(ChooseDisplayPlatform(Env({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", "box:0"}}), Sockets({})),
            "xcb");
}

TEST(DisplayPlatform, WithoutXwaylandNatively) {
  EXPECT_EQ(ChooseDisplayPlatform(Env({{"WAYLAND_DISPLAY", "wayland-1"}}), Sockets({})), "wayland");
  EXPECT_EQ(ChooseDisplayPlatform(Env({{"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ""}}), Sockets({})),
            "wayland");
  // DISPLAY left over from a compositor whose Xwayland is gone.
  EXPECT_EQ(ChooseDisplayPlatform(Env({{"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ":7"}}),
                                  Sockets({"/tmp/.X11-unix/X0"})),
            "wayland");
}

TEST(DisplayPlatform, TheUsersChoiceAndX11SessionsAreLeftToQt) {
  const auto x0 = Sockets({"/tmp/.X11-unix/X0"});
  EXPECT_EQ(
      ChooseDisplayPlatform(
          Env({{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}), x0),
      "");
  EXPECT_EQ(ChooseDisplayPlatform(Env({{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}}), x0), "");
  EXPECT_EQ(ChooseDisplayPlatform(Env({}), x0), "");
}

}  // namespace
}  // namespace tarifuhr
