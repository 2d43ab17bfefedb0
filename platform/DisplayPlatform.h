// SPDX-License-Identifier: MIT
#pragma once
// Which of Qt's platforms the program asks for. Under Wayland a window can
// neither place itself nor stay above others, so where Xwayland is there
// the strip runs through it as on X11.

#include <functional>
#include <string>

#include "platform/Environment.h"

namespace tarifuhr {

// Whether a file (an X server's socket) exists; tests pass their own.
using PathExists = std::function<bool(const std::string&)>;

// "xcb" in a Wayland session with a usable Xwayland, "wayland" in one
// without; "" where the user chose a platform (QT_QPA_PLATFORM) or the
// session is no Wayland one, which leaves the choice to Qt.
std::string ChooseDisplayPlatform(const EnvLookup& env, const PathExists& exists);

}  // namespace tarifuhr
