// SPDX-License-Identifier: MIT
#include "platform/sim/SamplePhoneBook.h"

#include "platform/Files.h"

namespace tarifuhr {

void EnsureSamplePhoneBook(const SimNetwork& network) {
  if (FileExists(JoinPath(network.Directory(), SimNetwork::kStateFile))) return;
  SimEntry modem;
  modem.Name = "Beispiel-Modem";
  modem.DelaySeconds = 2;
  modem.RateRx = 5000;
  modem.RateTx = 700;
  modem.ClientIp = "10.64.12.7";
  modem.ServerIp = "10.64.0.1";
  SimEntry isdn;
  isdn.Name = "Beispiel-ISDN";
  isdn.DelaySeconds = 1;
  isdn.RateRx = 8000;
  isdn.RateTx = 1500;
  isdn.ClientIp = "10.65.3.21";
  isdn.ServerIp = "10.65.0.1";
  network.Modify([&](SimState& s) {
    if (!s.FindEntry(modem.Name)) s.Entries.push_back(modem);
    if (!s.FindEntry(isdn.Name)) s.Entries.push_back(isdn);
  });
}

}  // namespace tarifuhr
