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

void RememberActiveEntry(ActiveEntryState& state, DialUp& dialUp, uint32_t handle,
                         const std::string& entryName, const std::string& deviceName) {
  state.activeEntryName = entryName;
  state.handle = handle;
  state.deviceName = deviceName;
  state.connectedEntries.push_back(entryName);
  ++state.reported;
  // The component's own dial handle, not the reported one: with nothing
  // dialled this only empties the addresses.
  dialUp.GetAddresses(dialUp.DialHandle());
}

void ConnectActiveEntry(DialUp& dialUp, ActiveEntryState& state) {
  dialUp.OnActiveConnection = [&state](DialUp& sender, uint32_t handle, const TRasConnStatus&,
                                       const std::string&, const std::string& entryName, const std::string&,
                                       const std::string& deviceName) {
    RememberActiveEntry(state, sender, handle, entryName, deviceName);
  };
}

bool IsEntryOfTariff(const std::string& tariffEntry, const std::string& entryName) {
  if (tariffEntry == entryName) return true;
  // A tariff keeps 20 characters of its entry's name: one that is cut there
  // belongs to the longer name it begins.
  return Utf8ToCp1252(tariffEntry).size() == kEntryNameLength && entryName.size() > tariffEntry.size() &&
         entryName.compare(0, tariffEntry.size(), tariffEntry) == 0;
}

int MatchTariff(const std::vector<TariffRecord>& tariffs, const std::string& entryName,
                ActiveEntryState& state) {
  int result = -1;
  for (size_t i = 0; i < tariffs.size(); ++i)
    if (tariffs[i].EntryName == entryName) result = int(i);
  // A cut name, unless a tariff has the whole name.
  for (size_t i = 0; result == -1 && i < tariffs.size(); ++i)
    if (IsEntryOfTariff(tariffs[i].EntryName, entryName)) result = int(i);
  state.tariffCaption = (result == -1 ? entryName : tariffs[size_t(result)].Name) + ":";
  return result;
}

int FindActiveTariff(const std::vector<TariffRecord>& tariffs, DialUp& dialUp, ActiveEntryState& state) {
  // On failure the previous connection stays; a successful enumeration that
  // lists nothing means no dial-up connection is open.
  const unsigned long before = state.reported;
  std::vector<std::string> previous = std::move(state.connectedEntries);
  state.connectedEntries.clear();
  state.listed = dialUp.GetActiveConnections() == 0;
  if (!state.listed) {
    state.connectedEntries = std::move(previous);
  } else if (state.reported == before) {
    state.activeEntryName.clear();
    state.handle = 0;
    state.deviceName.clear();
  }
  return MatchTariff(tariffs, state.activeEntryName, state);
}

std::string ConnectedEntryOf(const ActiveEntryState& state, const std::string& tariffEntry) {
  for (const std::string& entry : state.connectedEntries)
    if (IsEntryOfTariff(tariffEntry, entry)) return entry;
  return {};
}

void AddEntryToAccountLists(EntryList& wizardAccounts, EntryList& editorAccounts,
                            const std::string& entryName) {
  wizardAccounts.Add(entryName);
  editorAccounts.Add(entryName);
  wizardAccounts.SelectFirst();
}

}  // namespace tarifuhr
