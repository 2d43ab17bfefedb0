// SPDX-License-Identifier: MIT
#include "platform/sim/SimBackend.h"

#include <charconv>
#include <thread>

#include "platform/Codepage.h"
#include "platform/ras/RasRecords.h"

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
    // The simulator's state file can't be read or written: the caller
    // gets the code a phonebook that can't be opened gives.
    return ras::kErrorCannotOpenPhonebook;
  }
}

const SimConnection* Find(const SimState& s, uint32_t handle) {
  for (const auto& c : s.Connections)
    if (c.Handle == handle) return &c;
  return nullptr;
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

  lib["RasEnumEntriesA"] = RasEnumEntriesProc{
      [net](const char*, const char*, uint8_t* buf, uint32_t* size, uint32_t* count) -> uint32_t {
        if (const uint32_t bad = CheckEntryBuffer(buf, size, count)) return bad;
        return Guarded([&]() -> uint32_t {
          std::vector<std::string> names;
          for (const SimEntry& e : net->Snapshot().Entries) names.push_back(e.Name);
          return WriteEntryNames(buf, size, count, names);
        });
      }};

  lib["RasEnumConnectionsA"] =
      RasEnumConnectionsProc{[net](uint8_t* buf, uint32_t* size, uint32_t* count) -> uint32_t {
        if (const uint32_t bad = CheckConnectionBuffer(buf, size, count)) return bad;
        return Guarded([&]() -> uint32_t {
          std::vector<RasConnectionInfo> list;
          for (const SimConnection& c : net->Snapshot().Connections)
            list.push_back({c.Handle, c.Entry, "modem", c.Device()});
          return WriteConnections(buf, size, count, list);
        });
      }};

  lib["RasGetConnectStatusA"] = RasGetConnectStatusProc{[net](uint32_t handle, uint8_t* status) -> uint32_t {
    if (const uint32_t bad = CheckStatusRecord(status)) return bad;
    return Guarded([&]() -> uint32_t {
      const SimState s = net->Snapshot();
      const SimConnection* c = Find(s, handle);
      if (!c) return ras::kErrorInvalidHandle;
      WriteStatus(status, c->Connected() ? ras::kConnected : ras::kConnectDevice, "modem", c->Device());
      return 0;
    });
  }};

  lib["RasGetErrorStringA"] = RasGetErrorStringProc{WriteErrorString};

  lib["RasHangUpA"] = RasHangUpProc{[net](uint32_t handle) -> uint32_t {
    return Guarded([&]() -> uint32_t { return net->HangUp(handle) ? 0 : ras::kErrorInvalidHandle; });
  }};

  lib["RasGetProjectionInfoA"] = RasGetProjectionInfoProc{
      [net](uint32_t handle, uint32_t projection, uint8_t* buf, uint32_t* size) -> uint32_t {
        if (const uint32_t bad = CheckProjectionBuffer(projection, buf, size)) return bad;
        return Guarded([&]() -> uint32_t {
          const SimState s = net->Snapshot();
          const SimConnection* c = Find(s, handle);
          if (!c) return ras::kErrorInvalidHandle;
          if (!c->Connected()) return ras::kErrorProjectionNotComplete;
          const SimEntry* e = s.FindEntry(c->Entry);
          WriteProjection(buf, size, e ? e->ClientIp : "", e ? e->ServerIp : "");
          return 0;
        });
      }};

  lib["RasGetEntryDialParamsA"] =
      RasGetEntryDialParamsProc{[net](const char*, uint8_t* params, bool* hasPassword) -> uint32_t {
        if (const uint32_t bad = CheckDialParams(params)) return bad;
        const std::string name = ReadDialParams(params).entry;
        return Guarded([&]() -> uint32_t {
          const SimState s = net->Snapshot();
          const SimEntry* e = s.FindEntry(name);
          if (!e) return ras::kErrorCannotFindPhonebookEntry;
          WriteSavedCredentials(params, e->SavedUser, e->SavedPassword);
          if (hasPassword) *hasPassword = !e->SavedPassword.empty();
          return 0;
        });
      }};

  lib["RasSetEntryDialParamsA"] =
      RasSetEntryDialParamsProc{[net](const char*, const uint8_t* params, bool removePassword) -> uint32_t {
        if (const uint32_t bad = CheckDialParams(params)) return bad;
        const RasDialParams p = ReadDialParams(params);
        return Guarded([&]() -> uint32_t {
          uint32_t code = 0;
          net->Modify([&](SimState& s) {
            SimEntry* e = s.FindEntry(p.entry);
            if (!e) {
              code = ras::kErrorCannotFindPhonebookEntry;
              return;
            }
            e->SavedUser = p.user;
            e->SavedPassword = removePassword ? "" : p.password;
          });
          return code;
        });
      }};

  lib["RasDialA"] = RasDialProc{[net](const void*, const char*, const uint8_t* params, uint32_t notifierKind,
                                      RasDialNotifier notifier, uint32_t* handle) -> uint32_t {
    if (!handle) return ras::kErrorInvalidParameter;
    if (const uint32_t bad = CheckDialParams(params)) return bad;
    if (notifier && notifierKind != 0) return ras::kErrorInvalidParameter;
    const RasDialParams p = ReadDialParams(params);
    uint32_t outcome = 0;
    double delay = 0;
    try {
      *handle = net->StartDial(p.entry, p.user, p.password, outcome, delay);
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
    return false;  // the state can't be read: the query failed, as the platform's says
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
    return std::nullopt;  // no counter to read, as for a device that is gone
  }
}

std::optional<uint64_t> SimDialUpBackend::ReceivedBytes(const std::string& device) {
  return Counter(device, true);
}

std::optional<uint64_t> SimDialUpBackend::SentBytes(const std::string& device) {
  return Counter(device, false);
}

std::shared_ptr<SimDialUpBackend> InstallSimulatedDialUp(const std::string& programDirectory) {
  auto backend = std::make_shared<SimDialUpBackend>(std::make_shared<const SimNetwork>(programDirectory));
  backend->Register(SystemRasLibraries());
  return backend;
}

}  // namespace tarifuhr
