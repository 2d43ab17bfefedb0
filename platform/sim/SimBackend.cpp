#include "platform/sim/SimBackend.h"

#include <charconv>
#include <thread>

#include "platform/Codepage.h"

namespace tarifuhr {
namespace {

using Net = std::shared_ptr<const SimNetwork>;

// The RAS functions report failures as codes; a broken state file reads as
// a phone book that cannot be opened.
template <class F>
uint32_t Guarded(F&& f) {
  try {
    return f();
  } catch (const std::exception&) {
    return ras::kErrorCannotOpenPhonebook;
  }
}

const SimConnection* Find(const SimState& s, uint32_t handle) {
  for (const auto& c : s.Connections)
    if (c.Handle == handle) return &c;
  return nullptr;
}

void FillStatus(uint8_t* rec, uint32_t state) {
  PutU32(rec + RasConnStatusLayout::kState, state);
  PutU32(rec + RasConnStatusLayout::kError, 0);
  PutChars(rec + RasConnStatusLayout::kDeviceType, ras::kDeviceTypeLen, "modem");
}

// The notifications of a dial, as a modem dial goes through them.
void RunAsyncDial(Net net, RasDialNotifier notify, uint32_t handle, uint32_t outcome, double delay) {
  const uint32_t msg = ras::kDialEventMessage;
  notify(msg, ras::kOpenPort, 0);
  notify(msg, ras::kPortOpened, 0);
  notify(msg, ras::kConnectDevice, 0);
  uint32_t code;
  try {
    code = net->FinishDial(handle, outcome, delay);
  } catch (const std::exception&) {
    code = ras::kErrorCannotOpenPhonebook;
  }
  if (code == ras::kErrorAuthenticationFailure) {
    notify(msg, ras::kDeviceConnected, 0);
    notify(msg, ras::kAllDevicesConnected, 0);
    notify(msg, ras::kAuthenticate, code);
    return;
  }
  if (code != 0) {
    notify(msg, ras::kConnectDevice, code);
    return;
  }
  notify(msg, ras::kDeviceConnected, 0);
  notify(msg, ras::kAllDevicesConnected, 0);
  notify(msg, ras::kAuthenticate, 0);
  notify(msg, ras::kAuthenticated, 0);
  notify(msg, ras::kConnected, 0);
}

}  // namespace

RasLibrary SimDialUpBackend::Library() const {
  Net net = network_;
  RasLibrary lib;

  lib["RasEnumEntriesA"] = RasEnumEntriesProc{[net](const char*, const char*, uint8_t* buf, uint32_t* size,
                                                    uint32_t* count) -> uint32_t {
    if (!buf || !size || !count) return ras::kErrorInvalidParameter;
    if (*size < RasEntryNameLayout::kSize || GetU32(buf) != RasEntryNameLayout::kSize) return ras::kErrorInvalidSize;
    return Guarded([&]() -> uint32_t {
      const SimState s = net->Snapshot();
      const uint32_t needed = uint32_t(s.Entries.size() * RasEntryNameLayout::kSize);
      *count = uint32_t(s.Entries.size());
      if (needed > *size) {
        *size = needed;
        return ras::kErrorBufferTooSmall;
      }
      for (size_t i = 0; i < s.Entries.size(); ++i) {
        uint8_t* rec = buf + i * RasEntryNameLayout::kSize;
        PutU32(rec, RasEntryNameLayout::kSize);
        PutChars(rec + RasEntryNameLayout::kEntryName, ras::kEntryNameLen, Utf8ToCp1252(s.Entries[i].Name));
      }
      *size = needed;
      return 0;
    });
  }};

  lib["RasEnumConnectionsA"] = RasEnumConnectionsProc{[net](uint8_t* buf, uint32_t* size,
                                                            uint32_t* count) -> uint32_t {
    if (!buf || !size || !count) return ras::kErrorInvalidParameter;
    if (*size < RasConnLayout::kSize || GetU32(buf) != RasConnLayout::kSize) return ras::kErrorInvalidSize;
    return Guarded([&]() -> uint32_t {
      const SimState s = net->Snapshot();
      const uint32_t needed = uint32_t(s.Connections.size() * RasConnLayout::kSize);
      *count = uint32_t(s.Connections.size());
      if (needed > *size) {
        *size = needed;
        return ras::kErrorBufferTooSmall;
      }
      for (size_t i = 0; i < s.Connections.size(); ++i) {
        const SimConnection& c = s.Connections[i];
        uint8_t* rec = buf + i * RasConnLayout::kSize;
        PutU32(rec, RasConnLayout::kSize);
        PutU32(rec + RasConnLayout::kHandle, c.Handle);
        PutChars(rec + RasConnLayout::kEntryName, ras::kEntryNameLen, Utf8ToCp1252(c.Entry));
        PutChars(rec + RasConnLayout::kDeviceType, ras::kDeviceTypeLen, "modem");
        PutChars(rec + RasConnLayout::kDeviceName, ras::kDeviceNameLen, c.Device());
      }
      *size = needed;
      return 0;
    });
  }};

  lib["RasGetConnectStatusA"] = RasGetConnectStatusProc{[net](uint32_t handle, uint8_t* status) -> uint32_t {
    if (!status) return ras::kErrorInvalidParameter;
    if (GetU32(status) != RasConnStatusLayout::kSize) return ras::kErrorInvalidSize;
    return Guarded([&]() -> uint32_t {
      const SimState s = net->Snapshot();
      const SimConnection* c = Find(s, handle);
      if (!c) return ras::kErrorInvalidHandle;
      FillStatus(status, c->Connected() ? ras::kConnected : ras::kConnectDevice);
      PutChars(status + RasConnStatusLayout::kDeviceName, ras::kDeviceNameLen, c->Device());
      return 0;
    });
  }};

  lib["RasGetErrorStringA"] = RasGetErrorStringProc{[](uint32_t code, char* buf, uint32_t size) -> uint32_t {
    if (!buf) return ras::kErrorInvalidParameter;
    const std::string text = ras::ErrorText(code);
    if (text.empty()) return ras::kErrorInvalidParameter;
    if (text.size() + 1 > size) return ras::kErrorBufferTooSmall;
    std::memcpy(buf, text.c_str(), text.size() + 1);
    return 0;
  }};

  lib["RasHangUpA"] = RasHangUpProc{[net](uint32_t handle) -> uint32_t {
    return Guarded([&]() -> uint32_t { return net->HangUp(handle) ? 0 : ras::kErrorInvalidHandle; });
  }};

  lib["RasGetProjectionInfoA"] = RasGetProjectionInfoProc{[net](uint32_t handle, uint32_t projection, uint8_t* buf,
                                                                uint32_t* size) -> uint32_t {
    if (!buf || !size) return ras::kErrorInvalidParameter;
    if (projection != ras::kProjectionPppIp) return ras::kErrorInvalidParameter;
    if (*size < RasPppIpLayout::kSize) {
      *size = RasPppIpLayout::kSize;
      return ras::kErrorBufferTooSmall;
    }
    if (GetU32(buf) != RasPppIpLayout::kSize) return ras::kErrorInvalidSize;
    return Guarded([&]() -> uint32_t {
      const SimState s = net->Snapshot();
      const SimConnection* c = Find(s, handle);
      if (!c) return ras::kErrorInvalidHandle;
      if (!c->Connected()) return ras::kErrorProjectionNotComplete;
      const SimEntry* e = s.FindEntry(c->Entry);
      PutU32(buf + RasPppIpLayout::kError, 0);
      PutChars(buf + RasPppIpLayout::kIpAddress, ras::kIpAddressLen, e ? e->ClientIp : "");
      PutChars(buf + RasPppIpLayout::kServerIpAddress, ras::kIpAddressLen, e ? e->ServerIp : "");
      *size = RasPppIpLayout::kSize;
      return 0;
    });
  }};

  lib["RasGetEntryDialParamsA"] = RasGetEntryDialParamsProc{[net](const char*, uint8_t* params,
                                                                  bool* hasPassword) -> uint32_t {
    if (!params) return ras::kErrorInvalidParameter;
    if (GetU32(params) != RasDialParamsLayout::kSize) return ras::kErrorInvalidSize;
    const std::string name = Cp1252ToUtf8(GetChars(params + RasDialParamsLayout::kEntryName, ras::kEntryNameLen));
    return Guarded([&]() -> uint32_t {
      const SimState s = net->Snapshot();
      const SimEntry* e = s.FindEntry(name);
      if (!e) return ras::kErrorCannotFindPhonebookEntry;
      PutChars(params + RasDialParamsLayout::kPhoneNumber, ras::kPhoneNumberLen, "");
      PutChars(params + RasDialParamsLayout::kUserName, ras::kUserNameLen, Utf8ToCp1252(e->SavedUser));
      PutChars(params + RasDialParamsLayout::kPassword, ras::kPasswordLen, Utf8ToCp1252(e->SavedPassword));
      if (hasPassword) *hasPassword = !e->SavedPassword.empty();
      return 0;
    });
  }};

  lib["RasSetEntryDialParamsA"] = RasSetEntryDialParamsProc{[net](const char*, const uint8_t* params,
                                                                  bool removePassword) -> uint32_t {
    if (!params) return ras::kErrorInvalidParameter;
    if (GetU32(params) != RasDialParamsLayout::kSize) return ras::kErrorInvalidSize;
    const std::string name = Cp1252ToUtf8(GetChars(params + RasDialParamsLayout::kEntryName, ras::kEntryNameLen));
    const std::string user = Cp1252ToUtf8(GetChars(params + RasDialParamsLayout::kUserName, ras::kUserNameLen));
    const std::string password =
        Cp1252ToUtf8(GetChars(params + RasDialParamsLayout::kPassword, ras::kPasswordLen));
    return Guarded([&]() -> uint32_t {
      uint32_t code = 0;
      net->Modify([&](SimState& s) {
        SimEntry* e = s.FindEntry(name);
        if (!e) {
          code = ras::kErrorCannotFindPhonebookEntry;
          return;
        }
        e->SavedUser = user;
        e->SavedPassword = removePassword ? "" : password;
      });
      return code;
    });
  }};

  lib["RasDialA"] = RasDialProc{[net](const void*, const char*, const uint8_t* params, uint32_t notifierKind,
                                      RasDialNotifier notifier, uint32_t* handle) -> uint32_t {
    if (!params || !handle) return ras::kErrorInvalidParameter;
    if (GetU32(params) != RasDialParamsLayout::kSize) return ras::kErrorInvalidSize;
    if (notifier && notifierKind != 0) return ras::kErrorInvalidParameter;
    const std::string name = Cp1252ToUtf8(GetChars(params + RasDialParamsLayout::kEntryName, ras::kEntryNameLen));
    const std::string user = Cp1252ToUtf8(GetChars(params + RasDialParamsLayout::kUserName, ras::kUserNameLen));
    const std::string password =
        Cp1252ToUtf8(GetChars(params + RasDialParamsLayout::kPassword, ras::kPasswordLen));
    uint32_t outcome = 0;
    double delay = 0;
    try {
      *handle = net->StartDial(name, user, password, outcome, delay);
    } catch (const SimUnknownEntry&) {
      return ras::kErrorCannotFindPhonebookEntry;
    } catch (const std::exception&) {
      return ras::kErrorCannotOpenPhonebook;
    }
    if (!notifier) return Guarded([&] { return net->FinishDial(*handle, outcome, delay); });
    std::thread(RunAsyncDial, net, std::move(notifier), *handle, outcome, delay).detach();
    return 0;
  }};
  return lib;
}

bool SimDialUpBackend::GetConnectedState(uint32_t& flags) {
  flags = kInternetRasInstalled;
  try {
    const SimState s = network_->Snapshot();
    for (const auto& c : s.Connections)
      if (c.Connected()) flags |= kInternetConnectionModem;
    if (s.Lan) flags |= kInternetConnectionLan;
  } catch (const std::exception&) {
    return false;
  }
  return (flags & (kInternetConnectionModem | kInternetConnectionLan)) != 0;
}

std::optional<uint64_t> SimDialUpBackend::Counter(const std::string& device, bool received) const {
  if (device.rfind("sim", 0) != 0) return std::nullopt;
  uint32_t handle = 0;
  auto [p, ec] = std::from_chars(device.data() + 3, device.data() + device.size(), handle);
  if (ec != std::errc() || p != device.data() + device.size()) return std::nullopt;
  try {
    const SimState s = network_->Snapshot();
    const SimConnection* c = Find(s, handle);
    if (!c || !c->Connected()) return std::nullopt;
    const int64_t now = network_->Now();
    return received ? SimNetwork::ReceivedBytes(s, *c, now) : SimNetwork::SentBytes(s, *c, now);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<uint64_t> SimDialUpBackend::ReceivedBytes(const std::string& device) {
  return Counter(device, true);
}

std::optional<uint64_t> SimDialUpBackend::SentBytes(const std::string& device) { return Counter(device, false); }

std::shared_ptr<SimDialUpBackend> InstallSimulatedDialUp(const std::string& programDirectory) {
  auto backend = std::make_shared<SimDialUpBackend>(std::make_shared<const SimNetwork>(programDirectory));
  backend->Register(SystemRasLibraries());
  return backend;
}

}  // namespace tarifuhr
