// SPDX-License-Identifier: MIT
#include "platform/DisplayPlatform.h"

#include <cctype>

namespace tarifuhr {
namespace {

bool Set(const EnvLookup& env, const std::string& name) {
  const auto value = env(name);
  return value && !value->empty();
}

// The socket of a local X display (":1", ":1.0", "unix:1"); "" for a
// display on another host, whose socket is no file here.
std::string LocalDisplaySocket(const std::string& display) {
  const size_t colon = display.rfind(':');
  if (colon == std::string::npos) return {};
  const std::string host = display.substr(0, colon);
  if (!host.empty() && host != "unix") return {};
  std::string number;
  for (size_t i = colon + 1; i < display.size() && std::isdigit(static_cast<unsigned char>(display[i])); ++i)
    number += display[i];
  if (number.empty()) return {};
  return "/tmp/.X11-unix/X" + number;
}

}  // namespace

std::string ChooseDisplayPlatform(const EnvLookup& env, const PathExists& exists) {
  if (Set(env, "QT_QPA_PLATFORM")) return {};
  const bool wayland = env("XDG_SESSION_TYPE").value_or("") == "wayland" || Set(env, "WAYLAND_DISPLAY");
  if (!wayland) return {};
  // A compositor that offers Xwayland names its display in DISPLAY; a
  // stale DISPLAY whose socket is gone would end the program at start.
  if (Set(env, "DISPLAY")) {
    const std::string socket = LocalDisplaySocket(*env("DISPLAY"));
    if (socket.empty() || exists(socket)) return "xcb";
  }
  // Only WAYLAND_DISPLAY set: Qt would try X11 first and find nothing.
  return Set(env, "WAYLAND_DISPLAY") ? "wayland" : std::string{};
}

}  // namespace tarifuhr
