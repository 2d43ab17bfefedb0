// SPDX-License-Identifier: MIT
#include "platform/MessagePump.h"

#include <utility>

namespace tarifuhr {
namespace {

// The platform layer's one piece of global state: the running program has a
// single user-interface thread and a single message loop.
MessagePumpHook& Hook() {
  static MessagePumpHook hook;
  return hook;
}

}  // namespace

void SetMessagePump(MessagePumpHook hook) { Hook() = std::move(hook); }

void ProcessMessages() {
  if (Hook()) Hook()();
}

}  // namespace tarifuhr
