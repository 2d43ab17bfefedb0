// SPDX-License-Identifier: MIT
#include "accounting/ConnectionState.h"

#include "platform/Codepage.h"

namespace tarifuhr {

void GetConnectionState(InternetStateQuery& query, std::string& text) {
  text = kNoConnection;
  uint32_t flags = 0;
  if (!query.GetConnectedState(flags)) return;
  // Each flag that is set overwrites the text: the last one wins.
  if (flags & kInternetConnectionModem) text = "Modem";
  if (flags & kInternetConnectionLan) text = "LAN";
  if (flags & kInternetConnectionProxy) text = "Proxy";
  if (flags & kInternetConnectionModemBusy) text = "Modem besetzt";
}

bool IsOnline(const std::string& stateText) { return stateText != kNoConnection; }

void RememberActiveEntry(ActiveEntryState& state, DialUp& dialUp, const std::string& entryName) {
  state.activeEntryName = entryName;
  ++state.reported;
  // The component's own dial handle, not the reported one: with nothing
  // dialled this only empties the addresses.
  dialUp.GetAddresses(dialUp.DialHandle());
}

void ConnectActiveEntry(DialUp& dialUp, ActiveEntryState& state) {
  dialUp.OnActiveConnection = [&state](DialUp& sender, uint32_t, const TRasConnStatus&, const std::string&,
                                       const std::string& entryName, const std::string&,
                                       const std::string&) { RememberActiveEntry(state, sender, entryName); };
}

int FindActiveTariff(const std::vector<TariffRecord>& tariffs, DialUp& dialUp, ActiveEntryState& state) {
  int result = -1;
  // On failure the previous name stays; a successful enumeration that
  // lists nothing means no dial-up connection is open.
  const unsigned long before = state.reported;
  if (dialUp.GetActiveConnections() == 0 && state.reported == before) state.activeEntryName.clear();
  for (size_t i = 0; i < tariffs.size(); ++i) {
    if (tariffs[i].EntryName == state.activeEntryName) {
      state.tariffCaption = tariffs[i].Name + ":";
      result = int(i);
    }
  }
  // A tariff keeps 20 characters of its entry's name: one that is cut there
  // belongs to the longer name it begins, unless a tariff has the whole name.
  for (size_t i = 0; result == -1 && i < tariffs.size(); ++i) {
    const std::string& stored = tariffs[i].EntryName;
    if (Utf8ToCp1252(stored).size() == kEntryNameLength && state.activeEntryName.size() > stored.size() &&
        state.activeEntryName.compare(0, stored.size(), stored) == 0) {
      state.tariffCaption = tariffs[i].Name + ":";
      result = int(i);
    }
  }
  if (result == -1) state.tariffCaption = state.activeEntryName + ":";
  return result;
}

void AddEntryToAccountLists(EntryList& wizardAccounts, EntryList& editorAccounts,
                            const std::string& entryName) {
  wizardAccounts.Add(entryName);
  editorAccounts.Add(entryName);
  wizardAccounts.SelectFirst();
}

}  // namespace tarifuhr
