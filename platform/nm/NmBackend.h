// SPDX-License-Identifier: MIT
#pragma once
// NetworkManager as the program's dial-up networking: the RAS function
// table registered as "rasapi32.dll", the internet connection state and the
// kernel counters of the connections' interfaces.

#include <memory>
#include <string>

#include "platform/nm/NmNetwork.h"
#include "platform/ras/InternetState.h"
#include "platform/ras/RasBinder.h"
#include "platform/ras/StatisticsSources.h"

namespace tarifuhr {

class NmDialUpBackend final : public InternetStateQuery, public InterfaceCounters {
 public:
  // nullptr, with the reason, when the system bus can't be reached, or
  // when `answering` and NetworkManager does not answer on it (yet).
  static std::shared_ptr<NmDialUpBackend> Connect(std::string& why, bool answering = true,
                                                  std::string countersRoot = "/sys/class/net");

  // The nine functions under their ANSI names. Every function runs on the
  // thread that created the backend; an asynchronous dial follows its
  // activation on a thread and a client of its own.
  RasLibrary Library();
  void Register(RasLibraries& libraries) { libraries.Register(kRasLibrary, Library()); }

  // Modem while a dial-up or metered connection is activated, LAN while
  // another one is. While NetworkManager can't be asked, the last answer
  // stands: a restart of it is no end of a connection.
  bool GetConnectedState(uint32_t& flags) override;
  std::optional<uint64_t> ReceivedBytes(const std::string& device) override {
    return counters_.ReceivedBytes(device);
  }
  std::optional<uint64_t> SentBytes(const std::string& device) override {
    return counters_.SentBytes(device);
  }

  NmNetwork& Network() { return *network_; }

 private:
  NmDialUpBackend(std::unique_ptr<NmNetwork> network, std::shared_ptr<NmHandles> handles,
                  std::string countersRoot);

  std::unique_ptr<NmNetwork> network_;
  std::shared_ptr<NmHandles> handles_;
  SysfsInterfaceCounters counters_;
  uint32_t lastFlags_ = 0;
};

}  // namespace tarifuhr
