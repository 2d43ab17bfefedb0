// SPDX-License-Identifier: MIT
#include "platform/nm/NmBackend.h"

#include <future>
#include <thread>

#include "platform/MessagePump.h"
#include "platform/ras/RasRecords.h"

namespace tarifuhr {
namespace {

// While NetworkManager is away, the phone book can't be read.
constexpr uint32_t kAway = ras::kErrorCannotOpenPhonebook;

// An asynchronous dial: its own client on its own thread follows the
// activation and hands each state to the notifier.
uint32_t StartAsyncDial(std::shared_ptr<NmHandles> handles, std::string entry, RasDialNotifier notify,
                        uint32_t& handle) {
  auto started = std::make_shared<std::promise<uint32_t>>();  // the handle, or 0 when refused
  std::future<uint32_t> known = started->get_future();
  auto refused = std::make_shared<uint32_t>(0);
  std::thread([handles, entry, notify, started, refused] {
    bool told = false;
    const auto tell = [&](uint32_t h) {
      if (!told) started->set_value(h);
      told = true;
    };
    std::string why;
    std::unique_ptr<NmNetwork> own = NmNetwork::Connect(handles, why);
    if (!own) {
      *refused = kAway;
      tell(0);
      return;
    }
    const uint32_t code = own->Dial(entry, tell,
                                    [&](uint32_t state, uint32_t error) {
                                      if (told) notify(ras::kDialEventMessage, state, error);
                                    },
                                    {});
    if (!told) {
      *refused = code;
      tell(0);
    }
  }).detach();
  handle = known.get();
  return handle == 0 ? *refused : 0;
}

}  // namespace

std::shared_ptr<NmDialUpBackend> NmDialUpBackend::Connect(std::string& why, bool answering,
                                                          std::string countersRoot) {
  auto handles = std::make_shared<NmHandles>();
  std::unique_ptr<NmNetwork> network = NmNetwork::Connect(handles, why);
  if (!network) return nullptr;
  if (answering && !network->Running()) {
    why = "NetworkManager antwortet nicht auf dem Systembus";
    return nullptr;
  }
  return std::shared_ptr<NmDialUpBackend>(
      new NmDialUpBackend(std::move(network), std::move(handles), std::move(countersRoot)));
}

NmDialUpBackend::NmDialUpBackend(std::unique_ptr<NmNetwork> network, std::shared_ptr<NmHandles> handles,
                                 std::string countersRoot)
    : network_(std::move(network)), handles_(std::move(handles)), counters_(std::move(countersRoot)) {}

bool NmDialUpBackend::GetConnectedState(uint32_t& flags) {
  if (network_->Running()) {
    lastFlags_ = 0;
    for (const NmConnection& c : network_->Connections())
      if (c.connected) lastFlags_ |= kInternetConnectionModem;
    if (network_->OtherConnectionActivated()) lastFlags_ |= kInternetConnectionLan;
  }
  flags = lastFlags_;
  return (flags & (kInternetConnectionModem | kInternetConnectionLan)) != 0;
}

RasLibrary NmDialUpBackend::Library() {
  NmNetwork* net = network_.get();
  std::shared_ptr<NmHandles> handles = handles_;
  RasLibrary lib;

  lib["RasEnumEntriesA"] = RasEnumEntriesProc{
      [net](const char*, const char*, uint8_t* buf, uint32_t* size, uint32_t* count) -> uint32_t {
        if (const uint32_t bad = CheckEntryBuffer(buf, size, count)) return bad;
        if (!net->Running()) return kAway;
        std::vector<std::string> names;
        for (const NmProfile& p : net->Profiles()) names.push_back(p.name);
        return WriteEntryNames(buf, size, count, names);
      }};

  lib["RasEnumConnectionsA"] =
      RasEnumConnectionsProc{[net](uint8_t* buf, uint32_t* size, uint32_t* count) -> uint32_t {
        if (const uint32_t bad = CheckConnectionBuffer(buf, size, count)) return bad;
        if (!net->Running()) return kAway;
        std::vector<RasConnectionInfo> list;
        for (const NmConnection& c : net->Connections())
          list.push_back({c.handle, c.entry, c.deviceType, c.interface});
        return WriteConnections(buf, size, count, list);
      }};

  lib["RasGetConnectStatusA"] = RasGetConnectStatusProc{[net](uint32_t handle, uint8_t* status) -> uint32_t {
    if (const uint32_t bad = CheckStatusRecord(status)) return bad;
    const auto c = net->Find(handle);
    if (!c) return ras::kErrorInvalidHandle;
    WriteStatus(status, c->connected ? ras::kConnected : ras::kConnectDevice, c->deviceType, c->interface);
    return 0;
  }};

  lib["RasGetErrorStringA"] = RasGetErrorStringProc{WriteErrorString};

  lib["RasHangUpA"] = RasHangUpProc{[net](uint32_t handle) -> uint32_t { return net->HangUp(handle); }};

  lib["RasGetProjectionInfoA"] = RasGetProjectionInfoProc{
      [net](uint32_t handle, uint32_t projection, uint8_t* buf, uint32_t* size) -> uint32_t {
        if (const uint32_t bad = CheckProjectionBuffer(projection, buf, size)) return bad;
        const auto c = net->Find(handle);
        if (!c) return ras::kErrorInvalidHandle;
        if (!c->connected) return ras::kErrorProjectionNotComplete;
        WriteProjection(buf, size, c->clientAddress, c->serverAddress);
        return 0;
      }};

  lib["RasGetEntryDialParamsA"] =
      RasGetEntryDialParamsProc{[net](const char*, uint8_t* params, bool* hasPassword) -> uint32_t {
        if (const uint32_t bad = CheckDialParams(params)) return bad;
        if (!net->Running()) return kAway;
        std::string user;
        bool saved = false;
        if (!net->SavedCredentials(ReadDialParams(params).entry, user, saved))
          return ras::kErrorCannotFindPhonebookEntry;
        // The password stays with NetworkManager; dialling uses the stored one.
        WriteSavedCredentials(params, user, "");
        if (hasPassword) *hasPassword = saved;
        return 0;
      }};

  lib["RasSetEntryDialParamsA"] =
      RasSetEntryDialParamsProc{[net](const char*, const uint8_t* params, bool) -> uint32_t {
        if (const uint32_t bad = CheckDialParams(params)) return bad;
        if (!net->Running()) return kAway;
        const RasDialParams p = ReadDialParams(params);
        return net->SaveCredentials(p.entry, p.user, p.password);
      }};

  lib["RasDialA"] =
      RasDialProc{[net, handles](const void*, const char*, const uint8_t* params, uint32_t notifierKind,
                                 RasDialNotifier notifier, uint32_t* handle) -> uint32_t {
        if (!handle) return ras::kErrorInvalidParameter;
        if (const uint32_t bad = CheckDialParams(params)) return bad;
        if (notifier && notifierKind != 0) return ras::kErrorInvalidParameter;
        if (!net->Running()) return kAway;
        // The profile dials with its stored credentials: those are what the
        // component read before (RasGetEntryDialParams).
        const std::string entry = ReadDialParams(params).entry;
        if (notifier) return StartAsyncDial(handles, entry, std::move(notifier), *handle);
        return net->Dial(
            entry, [handle](uint32_t h) { *handle = h; }, {}, [] { ProcessMessages(); });
      }};
  return lib;
}

}  // namespace tarifuhr
