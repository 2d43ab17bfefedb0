// SPDX-License-Identifier: MIT
#pragma once
// The accounting state of the main window and the once-a-second tick that
// counts time, traffic and costs of the open connection on its tariff.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "accounting/AccountingDisplay.h"
#include "accounting/AccountingSnapshot.h"
#include "accounting/BudgetWarnings.h"
#include "accounting/ConnectionLog.h"
#include "accounting/ConnectionState.h"
#include "accounting/RegistrySettings.h"
#include "accounting/RememberedConnection.h"
#include "accounting/TariffRecord.h"
#include "accounting/TariffStore.h"
#include "accounting/TickScheduler.h"
#include "accounting/UserFiles.h"
#include "connection/DialUp.h"
#include "platform/DateTime.h"
#include "platform/RegionalSettings.h"
#include "platform/Registry.h"
#include "platform/ras/InternetState.h"

namespace tarifuhr {

// What the core talks to; all owned elsewhere.
struct AccountingServices {
  const Clock& clock;
  DialUp& dialUp;
  InternetStateQuery& internetState;
  Registry& registry;
  const UserFiles& userFiles;
  const ConnectionLog& log;
  RegionalSettings regional;
  // Names the dial-up network ("NetworkManager", the simulator): a
  // connection remembered across a restart is only the same one on it.
  std::string network;
};

// The network could not end a connection; the message is German.
class HangUpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A period's counters as the provider's bill or text message gives them.
struct ProviderFigures {
  double periodSeconds = 0;
  double periodCosts = 0;  // cents
  int64_t volumeUsed = 0;  // bytes, the open connection's included
};

class AccountingCore {
 public:
  // Wires itself to the component's connection reports.
  AccountingCore(AccountingServices services, AccountingDisplay& display);
  AccountingCore(const AccountingCore&) = delete;
  AccountingCore& operator=(const AccountingCore&) = delete;

  // Start-up: the log, the registry settings, the connection a last run
  // left open, the current user and its active tariff. The window places
  // itself by Settings() afterwards.
  void Startup();
  // The timer's event: counts the second when it is a new one.
  void Tick();
  // When the timer should fire next, in milliseconds.
  int MillisecondsUntilNextTick() const;
  // Saves the user's data and logs an open connection, which is then
  // closed. Throws FileError when either fails; the record then stays open
  // and the program keeps running.
  void CloseDown();
  // For an end that can't wait for anyone: tries the save and the log once
  // each, whatever the other did. What failed, in German.
  std::vector<std::string> CloseDownOnce();

  // What the core keeps, for reading.
  const std::vector<TariffRecord>& Tariffs() const { return tariffs_; }
  const TotalsRecord& Totals() const { return totals_; }
  const std::string& CurrentUser() const { return currentUser_; }
  // The tariff counted on, -1 for none.
  int ActiveTariff() const { return activeTariff_; }
  // The open connection's record as far as counted; closed when none.
  const ConnectionRecord& OpenRecord() const { return connection_; }
  const RegistrySettings& Settings() const { return registrySettings_; }
  // Budget warnings ("Warnungen" in the menus); on unless switched off.
  bool WarningsOn() const { return warningsOn_; }
  // The last snapshot handed to the display, all parts.
  const AccountingSnapshot& Snapshot() const { return snapshot_; }
  const AccountingServices& Services() const { return services_; }
  // The listed name of the connected entry that tariff `index` dials; empty
  // when it is not connected. Asks the network.
  std::string ConnectedEntryOfTariff(int index);

  // What the user does. Each one that changes the tariffs finds the active
  // tariff again and shows the new overview and tariff list.

  // Writes the editor's values into tariff `index`, or into a new one for
  // -1, and saves. Returns the index written. Throws ValueOutOfRange (the
  // values are checked before anything changes), std::out_of_range for
  // another index outside the list, and FileError when the save failed:
  // the tariff is then kept and the next save takes it along.
  int StoreTariff(int index, const TariffValues& values);
  // Removes the current user's tariff `index`, and saves.
  void RemoveTariffAt(int index);
  // Saves the user's data, and what an open connection's record holds so
  // far beside it, so that a restart goes on with the same figures.
  void SaveUser();
  // Makes `section` the current user: the current user's figures are saved
  // first, and when that fails (FileError) nothing is switched. The new
  // user is remembered in the registry; a registry that can't be written
  // forgets it only at the next start. Nothing happens for the current one.
  void SwitchUser(const std::string& section);
  // Removes a user from the user list; its data file stays. For the
  // current user its figures are saved first (FileError: nothing removed)
  // and counting goes on without a user. The notice of a damaged user list
  // kept aside, if any.
  std::string RemoveUser(const std::string& section);
  // Switches the warnings and remembers it in the registry (RegistryError).
  void SetWarningsOn(bool on);
  // The user dials tariff `index` although its volume or budget is used:
  // the next connection of its entry is not hung up for that.
  void AcceptUsedUp(int index);
  // Whether the open record is a connection of one of the user's tariffs,
  // whoever dialled it: the one HangUpOpenConnection ends.
  bool CanHangUpOpenConnection() const;
  // The listed name of the open record's entry; empty when none is open.
  std::string OpenEntryName() const;
  // Hangs up that connection and waits for it to go. Its record is closed
  // and logged by the next tick, as any ended connection's. Does nothing
  // when CanHangUpOpenConnection() is false; throws HangUpError when the
  // network could not end it.
  void HangUpOpenConnection();

  // The provider's figures of tariff `index`'s running period become its
  // counters, and its allowances follow at once. The log gets a record of
  // 0 s named "Korrektur" with the difference in costs and, when they
  // grew, bytes, so that it agrees with the period again. Warnings given
  // in the period stay given. Throws ValueOutOfRange for a figure no
  // period can have, std::out_of_range for an index outside the list,
  // FileError when the log or the save failed.
  void TakeProviderFigures(int index, const ProviderFigures& figures);
  // Tops up tariff `index`'s prepaid credit (Recharge) and saves; no new
  // period begins. Throws as TakeProviderFigures.
  void RechargeCredit(int index, double amount);

 private:
  void CountSecond(TDateTime now);
  // Hands the display the snapshot with `parts` marked as changed.
  void Publish(unsigned parts);
  // After the tariff list changed: the active tariff, the overview and the
  // tariff list shown anew.
  void TariffsChanged();
  int FindActiveTariff();
  // Takes the overview's rows, the log's last records, the figures and the
  // volume left into the snapshot.
  void TakeOverview();
  void TakeLog();
  void TakeFigures(bool online, bool statisticsOk);
  // The figures shown again from the tariff list as it is now.
  void RetakeFigures();
  void TakeVolumeLeft();
  // Shows `text` unless it is what `said` holds: a failure that repeats
  // every second or minute is told once.
  void TellOnce(std::string& said, const std::string& text);
  // The rules of one online second at `at`; true when the connection is to
  // be hung up.
  bool CountOnlineSecond(TDateTime at, bool openedNow, bool warn);
  // Counts the seconds the tick missed while the same connection stayed up.
  bool CatchUp(TDateTime now, int64_t monotonicMs);
  void CountTraffic();
  void CloseConnection();
  void OpenConnection(TDateTime now);
  // Tariff of the active entry, without asking the network.
  void MatchActiveTariff();
  // The connection remembered by the last run, once the network has been
  // asked: goes on with it when it is still up (true), else logs what the
  // log lacks of it and forgets it.
  bool ResolveRememberedConnection(bool online, TDateTime now, int64_t monotonicMs);
  void ResumeConnection(const RememberedConnection& c, TDateTime now, int64_t monotonicMs);
  // What a restart needs of the open record.
  RememberedConnection RememberOpenConnection() const;
  void WriteRememberedConnection(const RememberedConnection& c);
  void ForgetRememberedConnection();
  std::string RememberedConnectionPath() const;
  // End of the record: the end of the last second it was seen online.
  TDateTime RecordEnd() const;
  // True when the connection runs outside the tariff's time window.
  bool UpdateActiveTariff(TDateTime now, bool openedNow);
  // Whether the tariff's used volume or budget is to end the connection.
  void NoteUsedUp(const TariffRecord& t);
  void HangUpUsedUp();
  void ChargeMinute(TDateTime at);
  void WarnWhenDue(const TariffRecord& t, TDateTime now);
  // Each billing unit the connection's traffic has begun costs its price once.
  void ChargeVolume(TariffRecord& t, TDateTime at);
  // Closes the record and moves its bytes to the tariffs' periods.
  void ForgetConnection();
  int LoadUserData(const std::string& section);
  void RememberCurrentUser();
  // Says why the program counts without a user, when it does.
  void TellAboutTheUser(int loaded);
  void SaveWhenDue(TDateTime now);

  AccountingServices services_;
  AccountingDisplay& display_;
  std::vector<TariffRecord> tariffs_;
  TotalsRecord totals_;
  std::string currentUser_;
  int activeTariff_ = -1;
  ActiveEntryState activeEntry_;
  ConnectionRecord connection_;
  int32_t nextChargeSecond_ = 0;  // the connection's second of the next minute charge
  bool firstStartDue_ = false;
  RegistrySettings registrySettings_;
  bool warningsOn_ = true;
  // The open connection is to be hung up for a used volume or budget, and
  // why; whether that was tried; whether the user chose to dial anyway.
  std::string usedUpMessage_;
  bool usedUpHungUp_ = false;
  bool usedUpAccepted_ = false;
  std::string usedUpAcceptedFor_;  // the entry of the tariff dialled anyway
  AccountingSnapshot snapshot_;
  unsigned pendingParts_ = 0;  // changed before the next snapshot is handed over
  TickScheduler scheduler_;
  // Counters of the component last seen; empty until seen in this connection.
  std::optional<uint64_t> lastRecv_;
  std::optional<uint64_t> lastSent_;
  // Traffic counted this second, for the active tariff's day; and the
  // billing units of the open connection already charged.
  int64_t newBytes_ = 0;
  int64_t volumeUnitsCharged_ = 0;
  // The open record's connection: the backend's handle, and what an earlier
  // record of it holds (bytes of the connection before this record, bytes
  // of this record already in the tariff's period).
  uint32_t recordHandle_ = 0;
  std::string recordEntry_;  // its listed name, whole
  int64_t bytesBefore_ = 0;
  int64_t bytesInPeriod_ = 0;
  // The record's last counted second, on both clocks; none before the first.
  std::optional<TDateTime> lastCountedSecond_;
  int64_t lastCountedMonotonicMs_ = 0;
  // False in a second whose allowances are still the period before's.
  bool allowancesCurrent_ = true;
  // The connection the last run left open, until the network is asked;
  // and whether the file holds a record that is not in the log yet.
  std::optional<RememberedConnection> remembered_;
  bool checkpointOnDisk_ = false;
  std::string rememberError_;
  // The last failure to append to the log, reported once.
  std::string logError_;
  // Checkpoints: a save is due at a connection's end and every few minutes
  // while one is open; a failed one is tried again a minute later.
  static constexpr TDateTime kCheckpointInterval = 5.0 / (24 * 60);
  static constexpr TDateTime kSaveRetryInterval = 1.0 / (24 * 60);
  static constexpr TDateTime kHalfSecond = 0.5 / (24 * 60 * 60);
  bool saveDue_ = false;
  TDateTime lastSave_ = 0;
  TDateTime nextSaveTry_ = 0;
  std::string saveError_;
  BudgetWarnings warnings_;
  std::string warningsError_;
};

}  // namespace tarifuhr
