// SPDX-License-Identifier: MIT
#pragma once
// The simulated dial-up network as the program's backend: the RAS function
// table registered as "rasapi32.dll", the internet connection state and the
// device counters of its connections ("sim<handle>").

#include <memory>

#include "platform/ras/InternetState.h"
#include "platform/ras/RasBinder.h"
#include "platform/ras/StatisticsSources.h"
#include "platform/sim/SimNetwork.h"

namespace tarifuhr {

class SimDialUpBackend final : public InternetStateQuery, public InterfaceCounters {
 public:
  explicit SimDialUpBackend(std::shared_ptr<const SimNetwork> network) : network_(std::move(network)) {}

  // The nine functions under their ANSI names.
  RasLibrary Library() const;
  void Register(RasLibraries& libraries) const { libraries.Register(kRasLibrary, Library()); }

  // Modem while a connection is up; false otherwise.
  bool GetConnectedState(uint32_t& flags) override;
  std::optional<uint64_t> ReceivedBytes(const std::string& device) override;
  std::optional<uint64_t> SentBytes(const std::string& device) override;

 private:
  std::optional<uint64_t> Counter(const std::string& device, bool received) const;
  std::shared_ptr<const SimNetwork> network_;
};

// Sets the simulated network of `programDirectory` up as the program's
// dial-up networking: registers its functions in the system libraries and
// returns the backend, which also answers the connection state and the
// device counters.
std::shared_ptr<SimDialUpBackend> InstallSimulatedDialUp(const std::string& programDirectory);

}  // namespace tarifuhr
