// SPDX-License-Identifier: MIT
#pragma once
// "Process pending window messages": the one hook through which waits in
// the dial-up component and the mail clients let the user interface run.
// The Qt program sets it to process events; tests set what they need.

#include <functional>

namespace tarifuhr {

using MessagePumpHook = std::function<void()>;

// Replaces the hook (an empty function switches it off).
void SetMessagePump(MessagePumpHook hook);
// Runs the hook once, if one is set.
void ProcessMessages();

}  // namespace tarifuhr
