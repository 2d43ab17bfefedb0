// SPDX-License-Identifier: MIT
#include "accounting/AccountingCore.h"

#include <cerrno>

#include "accounting/ByteLayout.h"
#include "accounting/ChargingRules.h"
#include "accounting/Formats.h"
#include "platform/Files.h"

namespace tarifuhr {

AccountingCore::AccountingCore(AccountingServices services, AccountingDisplay& display)
    : services_(services),
      display_(display),
      warnings_(JoinPath(services.userFiles.ProgramDir(), "warnungen.txt")) {
  ConnectActiveEntry(services_.dialUp, activeEntry_);
}

void AccountingCore::TellOnce(std::string& said, const std::string& text) {
  if (said == text) return;
  said = text;
  display_.ShowError(text);
}

void AccountingCore::Startup() {
  TakeLog();
  connection_ = {};
  registrySettings_ = ReadRegistrySettings(services_.registry, services_.userFiles.ProgramDir());
  firstStartDue_ = registrySettings_.firstStart;
  warningsOn_ = registrySettings_.warningsOn;
  // A setting that can't be read changes what is counted: the user must know.
  for (const std::string& problem : registrySettings_.problems) display_.ShowError(problem);
  if (const std::string notice = warnings_.Load(); !notice.empty()) display_.ShowError(notice);
  // A damaged file is no connection to go on with: counted as new.
  if (const auto text = ReadWholeFile(RememberedConnectionPath(), kMaxRememberedConnectionBytes))
    remembered_ = ParseRememberedConnection(*text);
  else if (errno != ENOENT)
    display_.ShowError("Die Datei „" + RememberedConnectionPath() + "“ kann nicht gelesen werden: " +
                       ErrnoText(errno) + ". Eine offene Verbindung wird als neue gezählt.");
  currentUser_ = registrySettings_.currentUser;
  const int loaded = LoadUserData(currentUser_);
  TellAboutTheUser(loaded);
  activeTariff_ = FindActiveTariff();
  // The overview follows with the first counted second.
  Publish(AccountingSnapshot::kCaption | AccountingSnapshot::kTariffList);
}

int AccountingCore::FindActiveTariff() {
  const int index = tarifuhr::FindActiveTariff(tariffs_, services_.dialUp, activeEntry_);
  snapshot_.tariffCaption = OneLine(activeEntry_.tariffCaption);
  return index;
}

std::string AccountingCore::ConnectedEntryOfTariff(int index) {
  if (index < 0 || static_cast<size_t>(index) >= tariffs_.size()) return {};
  // The caption stays as the tick left it.
  tarifuhr::FindActiveTariff(tariffs_, services_.dialUp, activeEntry_);
  return ConnectedEntryOf(activeEntry_, tariffs_[static_cast<size_t>(index)].EntryName);
}

bool AccountingCore::CanHangUpOpenConnection() const {
  if (!connection_.IsOpen() || recordHandle_ == 0) return false;
  for (const TariffRecord& t : tariffs_)
    if (IsEntryOfTariff(t.EntryName, recordEntry_)) return true;
  return false;
}

std::string AccountingCore::OpenEntryName() const {
  return connection_.IsOpen() ? recordEntry_ : std::string();
}

void AccountingCore::HangUpOpenConnection() {
  if (!CanHangUpOpenConnection()) return;
  const std::string entry = recordEntry_;
  const uint32_t code = services_.dialUp.HangUpConnection(recordHandle_);
  // The wait let window messages run (a tick, a dialog's change): nothing
  // of the state is touched after it; the tick closes the record.
  if (code == 0) return;
  std::string text = services_.dialUp.StatusText(0, code);
  if (text.empty()) text = "Fehler " + std::to_string(code);  // a code the network has no text for
  throw HangUpError("Die Verbindung „" + entry + "“ konnte nicht getrennt werden: " + text);
}

int AccountingCore::MillisecondsUntilNextTick() const {
  return TickScheduler::MillisecondsUntilNextTick(services_.clock.Now());
}

void AccountingCore::Tick() {
  if (firstStartDue_) {
    firstStartDue_ = false;
    display_.ShowFirstStartDialog();
  }
  const TDateTime now = services_.clock.Now();
  if (!scheduler_.IsNewSecond(now)) return;
  CountSecond(now);
}

void AccountingCore::CountSecond(TDateTime now) {
  const int64_t monotonicMs = services_.clock.MonotonicMs();

  std::string state;
  GetConnectionState(services_.internetState, state);
  // Reading the statistics may let window messages run, and a dialog may
  // change the tariff list meanwhile: it comes before the tariff is looked up.
  const bool statisticsOk = IsOnline(state) && services_.dialUp.GetStatistics();
  activeTariff_ = FindActiveTariff();
  // Only a listed dial-up connection is a connection; time online through
  // a LAN or a proxy is not counted or charged.
  const bool online = IsOnline(state) && !activeEntry_.activeEntryName.empty();

  // A record ends with its connection; another handle is another
  // connection, even of the same entry (a redial): its own record.
  if (connection_.IsOpen() && (!online || activeEntry_.handle != recordHandle_)) CloseConnection();
  if (!online) {
    activeTariff_ = -1;
    snapshot_.tariffCaption = "Offline";
  }

  bool openedNow = false;
  const bool resumed =
      remembered_ && activeEntry_.listed && ResolveRememberedConnection(online, now, monotonicMs);
  if (online && !connection_.IsOpen()) {
    OpenConnection(now);
    openedNow = true;
  }
  // Counting goes to the tariff of the connection seen at the start of this
  // second, in the tariff list as it is now: starting the statistics may
  // have let window messages run.
  if (openedNow || resumed) MatchActiveTariff();

  bool hangUp = false;
  if (online && !openedNow) hangUp = CatchUp(now, monotonicMs);

  newBytes_ = 0;
  if (online && statisticsOk) CountTraffic();
  TakeFigures(online, statisticsOk);
  // The overview shows what the strip shows: the figures before this
  // second is counted, the open connection's traffic as read now.
  TakeOverview();

  if (!online) totals_.AllowanceSum = totals_.RemainingSum = 0;  // else each counted second sets them
  if (online) {
    connection_.end = now;
    snapshot_.openRecord = connection_;
    hangUp = CountOnlineSecond(now, openedNow, true) || hangUp;
    lastCountedSecond_ = now;
    lastCountedMonotonicMs_ = monotonicMs;
  }
  TakeVolumeLeft();
  Publish(AccountingSnapshot::kCaption | AccountingSnapshot::kFigures | AccountingSnapshot::kOverview |
          AccountingSnapshot::kVolume | (online ? AccountingSnapshot::kLogLine : 0u));
  SaveWhenDue(now);
  // Last: hanging up waits and lets window messages run, so nothing after
  // it may touch the tariff list. A used volume or budget cuts the
  // connection whoever made it; the time window only the program's own dial.
  if (!usedUpMessage_.empty() && connection_.IsOpen())
    HangUpUsedUp();
  else if (hangUp)
    services_.dialUp.HangUp();
}

bool AccountingCore::CountOnlineSecond(TDateTime at, bool openedNow, bool warn) {
  totals_.AllowanceSum = 0;
  totals_.RemainingSum = 0;
  bool hangUp = false;
  if (activeTariff_ != -1) {
    hangUp = UpdateActiveTariff(at, openedNow);
    if (warn) WarnWhenDue(tariffs_[static_cast<size_t>(activeTariff_)], at);
    totals_.LastOnlineDay = DateOf(at);
    totals_.OnlineSeconds += 1;
  }
  ChargeMinute(at);
  if (activeTariff_ != -1) NoteUsedUp(tariffs_[static_cast<size_t>(activeTariff_)]);
  connection_.seconds += 1;
  return hangUp;
}

bool AccountingCore::CatchUp(TDateTime now, int64_t monotonicMs) {
  if (!lastCountedSecond_) return false;
  const int64_t missed =
      TickScheduler::SecondsMissed(*lastCountedSecond_, lastCountedMonotonicMs_, now, monotonicMs);
  // The seconds right before this one, each with every rule of a second;
  // their traffic is read with this one's.
  bool hangUp = false;
  for (int64_t k = missed; k >= 1; --k)
    hangUp = CountOnlineSecond(now - static_cast<double>(k) / 86400.0, false, false) || hangUp;
  return hangUp;
}

void AccountingCore::MatchActiveTariff() {
  activeTariff_ = MatchTariff(tariffs_, activeEntry_.activeEntryName, activeEntry_);
  snapshot_.tariffCaption = OneLine(activeEntry_.tariffCaption);
}

void AccountingCore::CountTraffic() {
  const auto count = [this](std::optional<uint64_t>& last, uint64_t current, int64_t& total) {
    if (!last) {
      last = current;  // the first reading of this connection is the baseline
      return;
    }
    // A counter below the last reading was restarted: what it shows now
    // is new traffic. Never a wrapped difference.
    const auto added = static_cast<int64_t>(current >= *last ? current - *last : current);
    total += added;
    newBytes_ += added;
    last = current;
  };
  count(lastRecv_, services_.dialUp.BytesRecv(), connection_.received);
  count(lastSent_, services_.dialUp.BytesXmit(), connection_.sent);
}

TDateTime AccountingCore::RecordEnd() const {
  // Not the moment the end was noticed: after a sleep or a stop that may
  // be hours later.
  return lastCountedSecond_ ? *lastCountedSecond_ + 1.0 / 86400.0 : services_.clock.Now();
}

void AccountingCore::CloseConnection() {
  connection_.end = RecordEnd();
  try {
    services_.log.Append(connection_);
    logError_.clear();
  } catch (const FileError& e) {
    // Keep the record open and try again next second; say it once.
    TellOnce(logError_, e.what());
    return;
  }
  ForgetRememberedConnection();
  nextChargeSecond_ = 0;
  TakeLog();
  ForgetConnection();
  saveDue_ = true;
}

void AccountingCore::ForgetConnection() {
  connection_ = {};
  lastRecv_.reset();
  lastSent_.reset();
  volumeUnitsCharged_ = 0;
  recordHandle_ = 0;
  recordEntry_.clear();
  bytesBefore_ = 0;
  bytesInPeriod_ = 0;
  lastCountedSecond_.reset();
  // The connection's bytes reach the period once, when it ends.
  for (TariffRecord& t : tariffs_) FoldConnectionBytes(t);
}

void AccountingCore::OpenConnection(TDateTime now) {
  lastSave_ = now;  // nothing of this connection to lose yet
  services_.dialUp.GetActiveConnections();
  connection_ = {};
  connection_.entry = CutToShortString(activeEntry_.activeEntryName, 20);
  connection_.start = now;
  recordHandle_ = activeEntry_.handle;
  recordEntry_ = activeEntry_.activeEntryName;
  nextChargeSecond_ = 0;
  // A dial the user chose although its budget was used runs until it ends.
  usedUpAccepted_ =
      !usedUpAcceptedFor_.empty() && IsEntryOfTariff(usedUpAcceptedFor_, activeEntry_.activeEntryName);
  usedUpAcceptedFor_.clear();
  usedUpMessage_.clear();
  usedUpHungUp_ = false;
  volumeUnitsCharged_ = 0;
  bytesBefore_ = 0;
  bytesInPeriod_ = 0;
  lastCountedSecond_.reset();
  lastRecv_.reset();
  lastSent_.reset();
  if (services_.dialUp.StartStatistics(true, true)) {
    // The counts start from this connection: nothing before them belongs to it.
    lastRecv_ = services_.dialUp.BytesRecv();
    lastSent_ = services_.dialUp.BytesXmit();
  }
}

bool AccountingCore::UpdateActiveTariff(TDateTime now, bool openedNow) {
  TariffRecord& t = tariffs_[static_cast<size_t>(activeTariff_)];
  const TDateTime today = DateOf(now);
  const TDateTime periodEnd = RollOverPeriod(t, totals_, today);
  CatchUpPeriod(t, today);
  const int days = DaysToEnd(periodEnd, today);
  // In the second a period begins the allowances keep the old period's
  // values; nothing is judged by them then.
  allowancesCurrent_ = days != 0;
  const bool outsideWindow = IsOutsideTimeWindow(t, now);
  UpdateTodayAllowance(t, days);
  ApplyDayChange(t, today);
  UpdateDailyAllowance(t, days);
  UpdateVolumeDailyAllowance(t, days);
  t.BytesToday += newBytes_;
  newBytes_ = 0;
  if (t.InTotals) {
    totals_.AllowanceSum += t.DailyAllowance;
    totals_.RemainingSum += t.TodayAllowance - t.SecondsToday / 60.0;
  }
  t.PeriodSeconds += 1;
  t.SecondsToday += 1;
  if (openedNow) {
    t.PeriodCosts += t.DialInFee;
    connection_.cost += t.DialInFee;
  }
  ChargeVolume(t, now);
  return outsideWindow;
}

void AccountingCore::NoteUsedUp(const TariffRecord& t) {
  if (!usedUpMessage_.empty() || usedUpAccepted_) return;
  if (t.HangUpWhenVolumeUsed && IsVolumeUsedUp(t))
    usedUpMessage_ =
        "Das Datenvolumen von „" + OneLine(t.Name) + "“ ist verbraucht; die Verbindung wurde getrennt.";
  else if (t.HangUpWhenBudgetUsed && IsBudgetUsedUp(t))
    usedUpMessage_ =
        "Das Budget von „" + OneLine(t.Name) + "“ ist verbraucht; die Verbindung wurde getrennt.";
}

void AccountingCore::HangUpUsedUp() {
  // Tried once a connection: one the network will not end is not cut at
  // again every second.
  if (usedUpHungUp_) return;
  usedUpHungUp_ = true;
  const std::string message = usedUpMessage_;
  try {
    HangUpOpenConnection();
    display_.ShowError(message);
  } catch (const HangUpError& e) {
    display_.ShowError(e.what());
  }
}

void AccountingCore::AcceptUsedUp(int index) {
  if (index < 0 || static_cast<size_t>(index) >= tariffs_.size()) return;
  usedUpAcceptedFor_ = tariffs_[static_cast<size_t>(index)].EntryName;
}

void AccountingCore::WarnWhenDue(const TariffRecord& t, TDateTime now) {
  if (!warningsOn_) return;
  std::vector<BudgetWarning> due;
  try {
    warnings_.Check(currentUser_, t, DateOf(now), services_.regional, allowancesCurrent_, due);
    warningsError_.clear();
  } catch (const FileError& e) {
    // Said now, but may be said again after a restart: tell once.
    TellOnce(warningsError_, e.what());
  }
  for (const BudgetWarning& w : due) display_.ShowWarning(w.title, w.text);
}

void AccountingCore::ChargeVolume(TariffRecord& t, TDateTime at) {
  // Units run over the whole connection, also across a restart.
  const int64_t units = UnitsBegun(bytesBefore_ + connection_.received + connection_.sent, t.VolumeUnit);
  if (units <= volumeUnitsCharged_) return;
  const double cost = static_cast<double>(units - volumeUnitsCharged_) * PriceOfUnit(t, at);
  volumeUnitsCharged_ = units;
  t.PeriodCosts += cost;
  if (t.EntryName == connection_.entry) connection_.cost += cost;
}

void AccountingCore::ChargeMinute(TDateTime at) {
  if (!IsChargeSecond(connection_.seconds, nextChargeSecond_)) return;
  nextChargeSecond_ += kSecondsPerCharge;
  if (activeTariff_ == -1) return;
  TariffRecord& t = tariffs_[static_cast<size_t>(activeTariff_)];
  // The minute's price is the one of the hour it begins in.
  const double price = PriceOfMinute(t, at);
  t.PeriodCosts += price;
  if (t.EntryName == connection_.entry) connection_.cost += price;
}

}  // namespace tarifuhr
