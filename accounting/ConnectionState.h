// SPDX-License-Identifier: MIT
#pragma once
// Is the PC online, and which tariff belongs to the open dial-up
// connection. Operations of the main window, kept free of any toolkit; the
// windows and the tick call them.

#include <string>
#include <vector>

#include "accounting/TariffRecord.h"
#include "connection/DialUp.h"
#include "platform/ras/InternetState.h"

namespace tarifuhr {

inline constexpr const char* kNoConnection = "keine Verbindung";

// One of "keine Verbindung", "Modem", "LAN", "Proxy", "Modem besetzt".
// The PC counts as online exactly when the text differs from kNoConnection.
void GetConnectionState(InternetStateQuery& query, std::string& text);
bool IsOnline(const std::string& stateText);

// The main window's state that the operations below keep: the last open
// connection reported (its entry, handle and device), every entry reported
// connected, and the tariff caption.
struct ActiveEntryState {
  // Empty at start; cleared when the enumeration succeeds and lists no
  // connection, so an ended connection is not charged on while another
  // path (a LAN) keeps the PC online.
  std::string activeEntryName;
  // The backend's handle and device of that connection: another handle for
  // the same entry is another connection (a redial). 0 and empty with it.
  uint32_t handle = 0;
  std::string deviceName;
  // The entries of every connection the last successful enumeration listed.
  std::vector<std::string> connectedEntries;
  // Whether the last enumeration succeeded; on failure everything above
  // keeps what the one before said.
  bool listed = false;
  std::string tariffCaption = "Tarif:";
  // Connections reported so far; tells an empty enumeration from a full one.
  unsigned long reported = 0;
};

// Handler of the component's OnActiveConnection: remembers the connection
// and refreshes the addresses of the component's own connection.
void RememberActiveEntry(ActiveEntryState& state, DialUp& dialUp, uint32_t handle,
                         const std::string& entryName, const std::string& deviceName);

// Wires RememberActiveEntry to the component's event.
void ConnectActiveEntry(DialUp& dialUp, ActiveEntryState& state);

// What a tariff keeps of its entry's name.
inline constexpr size_t kEntryNameLength = 20;

// Whether a tariff's EntryName stands for `entryName`: equal byte for
// byte, or all 20 characters a tariff keeps and the beginning of it.
bool IsEntryOfTariff(const std::string& tariffEntry, const std::string& entryName);

// The index of the last tariff whose EntryName equals `entryName` byte for
// byte; else the first whose EntryName has all 20 characters a tariff keeps
// and begins it; else -1. Sets the tariff caption. Asks nobody.
int MatchTariff(const std::vector<TariffRecord>& tariffs, const std::string& entryName,
                ActiveEntryState& state);

// Enumerates the open connections (the event handler above must be wired)
// and matches the active entry name (MatchTariff). RasBindError is not
// caught.
int FindActiveTariff(const std::vector<TariffRecord>& tariffs, DialUp& dialUp, ActiveEntryState& state);

// The listed name of a connected entry that `tariffEntry` stands for; empty
// when none is connected (as of the last enumeration).
std::string ConnectedEntryOf(const ActiveEntryState& state, const std::string& tariffEntry);

// A list of dial-up entry names in a dialog (the wizard's and the editor's
// account combo boxes).
class EntryList {
 public:
  virtual ~EntryList() = default;
  virtual void Add(const std::string& name) = 0;
  virtual void SelectFirst() = 0;
};

// Handler of the component's OnEntryGet: appends the name to both lists and
// selects the wizard's first item. The lists are emptied by whoever starts
// the enumeration.
void AddEntryToAccountLists(EntryList& wizardAccounts, EntryList& editorAccounts,
                            const std::string& entryName);

}  // namespace tarifuhr
