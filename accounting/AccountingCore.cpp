// SPDX-License-Identifier: MIT
#include "accounting/AccountingCore.h"

#include <algorithm>
#include <cerrno>
#include <functional>

#include "accounting/ByteLayout.h"
#include "accounting/ChargingRules.h"
#include "accounting/Formats.h"
#include "platform/Codepage.h"
#include "platform/Files.h"

namespace tarifuhr {
namespace {

constexpr const char* kNoFigure = " - ";

void FoldConnectionBytes(TariffRecord& t) {
  t.PeriodBytes += t.ConnectionBytes;
  t.ConnectionBytes = 0;
}

}  // namespace

RegistrySettings ReadRegistrySettings(Registry& reg, const std::string& programDir) {
  RegistrySettings s;
  // Each value by itself: one that can't be read (of another type, or the
  // file unreadable) is said and counts as missing; the others keep theirs.
  const auto note = [&s](const RegistryError& e) {
    if (std::find(s.problems.begin(), s.problems.end(), e.what()) == s.problems.end())
      s.problems.push_back(e.what());
  };
  const auto write = [&](const std::function<void()>& change) {
    try {
      change();
    } catch (const RegistryError& e) {
      s.writable = false;
      note(e);
    }
  };
  write([&] { reg.CreateKey(kTarifuhrKey); });
  try {
    s.firstStart = !reg.ValueExists(kTarifuhrKey, "first");
  } catch (const RegistryError& e) {
    note(e);
  }
  if (s.firstStart) write([&] { reg.WriteInteger(kTarifuhrKey, "first", 1); });
  try {
    s.currentUser = reg.ReadString(kTarifuhrKey, "currentuser");
  } catch (const RegistryError& e) {
    note(e);
  }
  // A position that is missing (the very first start) is written as 0;
  // "path" then waits for the next start.
  bool positionRead = true;
  for (auto [name, edge] : {std::pair{"left", &s.left}, std::pair{"top", &s.top}}) {
    try {
      if (reg.ValueExists(kTarifuhrKey, name)) {
        *edge = reg.ReadInteger(kTarifuhrKey, name);
        continue;
      }
    } catch (const RegistryError& e) {
      note(e);
      positionRead = false;
      continue;
    }
    positionRead = false;
    write([&reg, name = name] { reg.WriteInteger(kTarifuhrKey, name, 0); });
  }
  if (positionRead) write([&] { reg.WriteString(kTarifuhrKey, "path", programDir); });
  try {
    s.warningsOn =
        !reg.ValueExists(kTarifuhrKey, kWarningsValue) || reg.ReadInteger(kTarifuhrKey, kWarningsValue) != 0;
  } catch (const RegistryError& e) {
    note(e);
  }
  return s;
}

AccountingCore::AccountingCore(AccountingServices services, AccountingDisplay& display)
    : services_(services),
      display_(display),
      warnings_(JoinPath(services.userFiles.ProgramDir(), "warnungen.txt")) {}

void AccountingCore::TellOnce(std::string& said, const std::string& text) {
  if (said == text) return;
  said = text;
  display_.ShowError(text);
}

void AccountingCore::SetWarningsOn(bool on) {
  services_.registry.WriteInteger(kTarifuhrKey, kWarningsValue, on ? 1 : 0);
  warningsOn = on;
}

void AccountingCore::Startup() {
  const auto width = [this](const std::string& s) { return display_.TextWidth(s); };
  historyLineCount = LoadLog(services_.log, display_.LogList(), width, services_.regional);
  connection = {};
  display_.UpdateAutostartChecks();
  registrySettings = ReadRegistrySettings(services_.registry, services_.userFiles.ProgramDir());
  firstStart = registrySettings.firstStart;
  warningsOn = registrySettings.warningsOn;
  // A setting that can't be read changes what is counted: the user must know.
  for (const std::string& problem : registrySettings.problems) display_.ShowError(problem);
  if (const std::string notice = warnings_.Load(); !notice.empty()) display_.ShowError(notice);
  // A damaged file is no connection to go on with: counted as new.
  if (const auto text = ReadWholeFile(RememberedConnectionPath(), kMaxRememberedConnectionBytes))
    remembered_ = ParseRememberedConnection(*text);
  else if (errno != ENOENT)
    display_.ShowError("Die Datei „" + RememberedConnectionPath() + "“ kann nicht gelesen werden: " +
                       ErrnoText(errno) + ". Eine offene Verbindung wird als neue gezählt.");
  currentUser = registrySettings.currentUser;
  display_.PlaceWindow(registrySettings.left, registrySettings.top);
  display_.BuildDialMenu();
  display_.Collapse();
  const int loaded = LoadUserData(currentUser);
  TellAboutTheUser(loaded);
  activeTariff = FindActiveTariff();
  display_.BuildDialMenu();
}

int AccountingCore::LoadUser(const std::string& section) {
  currentUser = section;
  const int code = LoadUserData(section);
  activeTariff = FindActiveTariff();
  return code;
}

void AccountingCore::SwitchUser(const std::string& section) {
  if (section == currentUser) return;
  SaveUser();  // the old user's latest figures; a failure switches nothing
  LoadUser(section);
  RefreshOverview();
  RememberCurrentUser();
  display_.BuildDialMenu();
}

std::string AccountingCore::RemoveUser(const std::string& section) {
  if (section != currentUser) return services_.userFiles.RemoveUser(section);
  // Counting on into a user whose section is gone would be lost with every
  // save: save what was counted, then go on with no user.
  SaveUser();
  const std::string notice = services_.userFiles.RemoveUser(section);
  LoadUser("");
  totals = {};
  RefreshOverview();
  RememberCurrentUser();
  display_.BuildDialMenu();
  return notice;
}

void AccountingCore::RememberCurrentUser() {
  try {
    services_.registry.WriteString(kTarifuhrKey, "currentuser", currentUser);
  } catch (const RegistryError&) {
    // The switch has happened; only the next start will not know it.
  }
}

void AccountingCore::RemoveTariffAt(int index) {
  RemoveTariff(tariffs, index);
  activeTariff = FindActiveTariff();
  RefreshOverview();
  // The dial items carry tariff indices: none may dial a removed tariff.
  display_.BuildDialMenu();
  SaveUser();
}

void AccountingCore::TellAboutTheUser(int loaded) {
  // Counting without a user logs connections but charges them to nobody:
  // the user must know.
  const std::string consequence =
      " Bis ein Benutzer gewählt ist, werden Verbindungen protokolliert, aber keinem Tarif berechnet.";
  if (currentUser.empty()) return;
  const UserFiles& files = services_.userFiles;
  switch (files.StateOf(currentUser)) {
    case UserFiles::UserState::ListUnreadable:
      display_.ShowError("Die Benutzerliste „" + files.UserListPath() + "“ kann nicht gelesen werden." +
                         consequence);
      return;
    case UserFiles::UserState::NotListed:
      display_.ShowError("Der Benutzer „" + currentUser + "“ steht nicht in der Benutzerliste." +
                         consequence);
      return;
    case UserFiles::UserState::UnusableFileName:
      display_.ShowError("Der Benutzer „" + currentUser +
                         "“ hat in der Benutzerliste keinen brauchbaren Dateinamen (file=" +
                         files.FileKeyOf(currentUser) + ") und wird nicht geladen." + consequence);
      return;
    case UserFiles::UserState::Listed:
      if (loaded == kLoadCannotOpen)
        display_.ShowError("Die Benutzerdatei „" + files.DataFileOf(currentUser) +
                           "“ kann nicht geöffnet werden." + consequence);
      return;
  }
}

int AccountingCore::LoadUserData(const std::string& section) {
  std::string notice;
  const int code = services_.userFiles.LoadUserData(section, tariffs, totals, &notice);
  if (!notice.empty()) display_.ShowError(notice);
  // Bytes a file holds for a connection are in its period already: the old
  // program left the last connection's bytes there.
  for (TariffRecord& t : tariffs) t.ConnectionBytes = 0;
  return code;
}

void AccountingCore::SaveUser() {
  // An open connection's bytes are stored with the period, as they will be
  // once it ends; the file never holds bytes that are not counted yet.
  std::vector<TariffRecord> stored = tariffs;
  for (TariffRecord& t : stored) FoldConnectionBytes(t);
  // A remembered record and the user file must tell the same: the old one
  // goes first, the new one follows a save that worked.
  if (connection.IsOpen() || checkpointOnDisk_) ForgetRememberedConnection();
  services_.userFiles.SaveUserData(currentUser, stored, totals);
  if (!connection.IsOpen()) return;
  try {
    WriteRememberedConnection(RememberOpenConnection());
    rememberError_.clear();
  } catch (const FileError& e) {
    // Costs only the going on after a restart, never a figure: said once.
    TellOnce(rememberError_, e.what());
  }
}

int AccountingCore::FindActiveTariff() {
  const int index = tarifuhr::FindActiveTariff(tariffs, services_.dialUp, activeEntry);
  display_.SetTariffCaption(OneLine(activeEntry.tariffCaption));
  return index;
}

std::string AccountingCore::ConnectedEntryOfTariff(int index) {
  if (index < 0 || static_cast<size_t>(index) >= tariffs.size()) return {};
  // The caption stays as the tick left it.
  tarifuhr::FindActiveTariff(tariffs, services_.dialUp, activeEntry);
  return ConnectedEntryOf(activeEntry, tariffs[static_cast<size_t>(index)].EntryName);
}

int AccountingCore::MillisecondsUntilNextTick() const {
  return TickScheduler::MillisecondsUntilNextTick(services_.clock.Now());
}

void AccountingCore::Tick() {
  if (firstStart) {
    firstStart = false;
    display_.ShowFirstStartDialog();
  }
  display_.SetShowHideCaption(display_.IsStripHidden() ? "Anzeigen" : "Verbergen");
  const TDateTime now = services_.clock.Now();
  if (!scheduler_.IsNewSecond(now)) return;
  CountSecond(now);
}

void AccountingCore::CountSecond(TDateTime now) {
  const int64_t monotonicMs = services_.clock.MonotonicMs();
  RefreshOverview();

  std::string state;
  GetConnectionState(services_.internetState, state);
  // Reading the statistics may let window messages run, and a dialog may
  // change the tariff list meanwhile: it comes before the tariff is looked up.
  const bool statisticsOk = IsOnline(state) && services_.dialUp.GetStatistics();
  activeTariff = FindActiveTariff();
  // Only a listed dial-up connection is a connection; time online through
  // a LAN or a proxy is not counted or charged.
  const bool online = IsOnline(state) && !activeEntry.activeEntryName.empty();

  // A record ends with its connection; another handle is another
  // connection, even of the same entry (a redial): its own record.
  if (connection.IsOpen() && (!online || activeEntry.handle != recordHandle_)) CloseConnection();
  if (!online) {
    activeTariff = -1;
    display_.SetTariffCaption("Offline");
  }

  bool openedNow = false;
  const bool resumed =
      remembered_ && activeEntry.listed && ResolveRememberedConnection(online, now, monotonicMs);
  if (online && !connection.IsOpen()) {
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
  if (!online || !statisticsOk)
    for (Figure f : kFigures) display_.SetFigure(f, kNoFigure);
  ShowFigures(online, statisticsOk);

  if (!online) totals.AllowanceSum = totals.RemainingSum = 0;  // else each counted second sets them
  if (online) {
    connection.end = now;
    ShowLogLine(
        connection, historyLineCount, display_.LogList(),
        [this](const std::string& s) { return display_.TextWidth(s); }, services_.regional);
    hangUp = CountOnlineSecond(now, openedNow, true) || hangUp;
    lastCountedSecond_ = now;
    lastCountedMonotonicMs_ = monotonicMs;
  }
  ShowVolumeStatus();
  SaveWhenDue(now);
  // Last: hanging up waits and lets window messages run, so nothing after
  // it may touch the tariff list.
  if (hangUp) services_.dialUp.HangUp();
}

bool AccountingCore::CountOnlineSecond(TDateTime at, bool openedNow, bool warn) {
  totals.AllowanceSum = 0;
  totals.RemainingSum = 0;
  bool hangUp = false;
  if (activeTariff != -1) {
    hangUp = UpdateActiveTariff(at, openedNow);
    if (warn) WarnWhenDue(tariffs[static_cast<size_t>(activeTariff)], at);
    totals.LastOnlineDay = DateOf(at);
    totals.OnlineSeconds += 1;
  }
  ChargeMinute();
  connection.seconds += 1;
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
  activeTariff = MatchTariff(tariffs, activeEntry.activeEntryName, activeEntry);
  display_.SetTariffCaption(OneLine(activeEntry.tariffCaption));
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
  count(lastRecv_, services_.dialUp.BytesRecv(), connection.received);
  count(lastSent_, services_.dialUp.BytesXmit(), connection.sent);
}

void AccountingCore::ShowFigures(bool online, bool statisticsOk) {
  if (activeTariff == -1) {
    for (Figure f : kFigures) display_.SetFigure(f, kNoFigure);
    return;
  }
  if (!online || !statisticsOk) return;
  TariffRecord& t = tariffs[static_cast<size_t>(activeTariff)];
  t.ConnectionBytes = connection.received + connection.sent - bytesInPeriod_;
  display_.SetFigure(Figure::SecondsToday, " " + FormatDuration(t.SecondsToday));
  display_.SetFigure(Figure::DailyAllowance, " " + FormatDuration(t.DailyAllowance * 60));
  display_.SetFigure(Figure::LeftToday, " " + FormatDuration(SecondsLeftToday(t)));
  if (HasVolumeLimit(t))
    display_.SetFigure(Figure::ConnectionBytes, " " + FormatVolume(VolumeUsed(t), services_.regional) +
                                                    " / " + FormatVolume(t.VolumeLimit, services_.regional));
  else
    display_.SetFigure(Figure::ConnectionBytes, " " + FormatBytes(t.ConnectionBytes) + "ytes");
  display_.SetFigure(Figure::PeriodCosts, " " + FormatMoney(t.PeriodCosts, services_.regional));
}

TDateTime AccountingCore::RecordEnd() const {
  // Not the moment the end was noticed: after a sleep or a stop that may
  // be hours later.
  return lastCountedSecond_ ? *lastCountedSecond_ + 1.0 / 86400.0 : services_.clock.Now();
}

void AccountingCore::CloseConnection() {
  connection.end = RecordEnd();
  try {
    services_.log.Append(connection);
    logError_.clear();
  } catch (const FileError& e) {
    // Keep the record open and try again next second; say it once.
    TellOnce(logError_, e.what());
    return;
  }
  ForgetRememberedConnection();
  nextChargeSecond = 0;
  historyLineCount = LoadLog(
      services_.log, display_.LogList(), [this](const std::string& s) { return display_.TextWidth(s); },
      services_.regional);
  ForgetConnection();
  saveDue_ = true;
}

void AccountingCore::SaveWhenDue(TDateTime now) {
  // While a connection is open, its counts reach the file at least every
  // few minutes: a crash or power loss then loses no more than that.
  const TDateTime since = now - lastSave_ + kHalfSecond;  // whole seconds apart, give or take rounding
  if (connection.IsOpen() && (since >= kCheckpointInterval || now < lastSave_)) saveDue_ = true;
  if (!saveDue_ || now + kHalfSecond < nextSaveTry_) return;
  try {
    SaveUser();
  } catch (const FileError& e) {
    TellOnce(saveError_, e.what());
    nextSaveTry_ = now + kSaveRetryInterval;
    return;
  }
  saveError_.clear();
  saveDue_ = false;
  lastSave_ = now;
}

void AccountingCore::ForgetConnection() {
  connection = {};
  lastRecv_.reset();
  lastSent_.reset();
  volumeUnitsCharged_ = 0;
  recordHandle_ = 0;
  bytesBefore_ = 0;
  bytesInPeriod_ = 0;
  lastCountedSecond_.reset();
  // The connection's bytes reach the period once, when it ends.
  for (TariffRecord& t : tariffs) FoldConnectionBytes(t);
}

void AccountingCore::OpenConnection(TDateTime now) {
  lastSave_ = now;  // nothing of this connection to lose yet
  services_.dialUp.GetActiveConnections();
  connection = {};
  connection.entry = CutToShortString(activeEntry.activeEntryName, 20);
  connection.start = now;
  recordHandle_ = activeEntry.handle;
  nextChargeSecond = 0;
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

std::string AccountingCore::RememberedConnectionPath() const {
  return JoinPath(services_.userFiles.ProgramDir(), kRememberedConnectionFile);
}

RememberedConnection AccountingCore::RememberOpenConnection() const {
  RememberedConnection c;
  c.network = services_.network;
  c.bootId = services_.clock.BootId();
  c.handle = recordHandle_;
  c.entryName = activeEntry.activeEntryName;
  c.device = activeEntry.deviceName;
  c.user = currentUser;
  c.record = connection;
  c.record.end = RecordEnd();
  c.nextChargeSecond = nextChargeSecond;
  c.bytesBefore = bytesBefore_;
  c.volumeUnitsCharged = volumeUnitsCharged_;
  c.lastCountedSecond = lastCountedSecond_.value_or(connection.start);
  c.lastCountedMonotonicMs = lastCountedMonotonicMs_;
  // The device's counters up to what was counted.
  c.deviceReceived = services_.dialUp.BaselineRecv() + lastRecv_.value_or(0);
  c.deviceSent = services_.dialUp.BaselineXmit() + lastSent_.value_or(0);
  return c;
}

void AccountingCore::WriteRememberedConnection(const RememberedConnection& c) {
  if (!CanBeRemembered(c)) return;
  WriteFileAtomically(RememberedConnectionPath(), FormatRememberedConnection(c), 0600);
  checkpointOnDisk_ = !c.logged;
}

void AccountingCore::ForgetRememberedConnection() {
  // A file left behind is harmless: its record is found in the log. What
  // is no file of ours (a FIFO, a link) stays.
  if (FileExists(RememberedConnectionPath()) && !IsSymbolicLink(RememberedConnectionPath()))
    RemoveFile(RememberedConnectionPath());
  checkpointOnDisk_ = false;
}

bool AccountingCore::ResolveRememberedConnection(bool online, TDateTime now, int64_t monotonicMs) {
  const RememberedConnection c = *remembered_;
  remembered_.reset();
  const std::string boot = services_.clock.BootId();
  // The same boot, network, handle, entry and device: the same connection.
  // Anywhere else the handle may name another one.
  const bool same = online && !connection.IsOpen() && !boot.empty() && c.bootId == boot &&
                    c.network == services_.network && c.handle == activeEntry.handle &&
                    c.entryName == activeEntry.activeEntryName && c.device == activeEntry.deviceName &&
                    c.user == currentUser;
  if (same) {
    ResumeConnection(c, now, monotonicMs);
    checkpointOnDisk_ = !c.logged;
    return true;
  }
  if (!c.logged) {
    // Counted up to a checkpoint and then lost with the program: the user
    // file holds these figures, so the log gets the record, once.
    bool inLog = false;
    try {
      for (const ConnectionRecord& r : services_.log.ReadTail(kHistoryLines))
        inLog = inLog || (r.entry == c.record.entry && r.start == c.record.start);
      if (!inLog) services_.log.Append(c.record);
      historyLineCount = LoadLog(
          services_.log, display_.LogList(), [this](const std::string& s) { return display_.TextWidth(s); },
          services_.regional);
    } catch (const FileError& e) {
      display_.ShowError(e.what());
      return false;  // the file stays for the next start
    }
  }
  ForgetRememberedConnection();
  return false;
}

void AccountingCore::ResumeConnection(const RememberedConnection& c, TDateTime now, int64_t monotonicMs) {
  lastSave_ = now;
  nextChargeSecond = c.nextChargeSecond;
  volumeUnitsCharged_ = c.volumeUnitsCharged;
  recordHandle_ = c.handle;
  if (c.logged) {
    // The record up to the end is in the log: this one goes on from there,
    // where the connection stood in its minute, without a dial-in fee.
    const int64_t missed =
        TickScheduler::SecondsMissed(c.lastCountedSecond, c.lastCountedMonotonicMs, now, monotonicMs);
    connection = {};
    connection.entry = c.record.entry;
    connection.start = now - static_cast<double>(missed) / 86400.0;
    nextChargeSecond = c.nextChargeSecond - c.record.seconds;
    bytesBefore_ = c.bytesBefore + c.record.received + c.record.sent;
    bytesInPeriod_ = 0;
  } else {
    // The record of the last checkpoint, which the user file matches.
    connection = c.record;
    bytesBefore_ = c.bytesBefore;
    bytesInPeriod_ = c.record.received + c.record.sent;
  }
  lastCountedSecond_ = c.lastCountedSecond;
  lastCountedMonotonicMs_ = c.lastCountedMonotonicMs;
  // The traffic of the time the program was not running is counted too.
  lastRecv_.reset();
  lastSent_.reset();
  if (services_.dialUp.ResumeStatistics(c.deviceReceived, c.deviceSent)) {
    lastRecv_ = 0;
    lastSent_ = 0;
  }
}

bool AccountingCore::UpdateActiveTariff(TDateTime now, bool openedNow) {
  TariffRecord& t = tariffs[static_cast<size_t>(activeTariff)];
  const TDateTime today = DateOf(now);
  const TDateTime periodEnd = RollOverPeriod(t, totals, today);
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
    totals.AllowanceSum += t.DailyAllowance;
    totals.RemainingSum += t.TodayAllowance - t.SecondsToday / 60.0;
  }
  t.PeriodSeconds += 1;
  t.SecondsToday += 1;
  if (openedNow) {
    t.PeriodCosts += t.DialInFee;
    connection.cost += t.DialInFee;
  }
  ChargeVolume(t);
  return outsideWindow || (t.HangUpWhenVolumeUsed && IsVolumeUsedUp(t));
}

void AccountingCore::WarnWhenDue(const TariffRecord& t, TDateTime now) {
  if (!warningsOn) return;
  std::vector<BudgetWarning> due;
  try {
    warnings_.Check(currentUser, t, DateOf(now), services_.regional, allowancesCurrent_, due);
    warningsError_.clear();
  } catch (const FileError& e) {
    // Said now, but may be said again after a restart: tell once.
    TellOnce(warningsError_, e.what());
  }
  for (const BudgetWarning& w : due) display_.ShowWarning(w.title, w.text);
}

void AccountingCore::ShowVolumeStatus() {
  std::string status;
  if (activeTariff != -1) {
    const TariffRecord& t = tariffs[static_cast<size_t>(activeTariff)];
    if (HasVolumeLimit(t))
      status = "heute frei: " + FormatVolume(VolumeLeftToday(t), services_.regional) +
               "\nim Monat frei: " + FormatVolume(VolumeLeftInPeriod(t), services_.regional);
  }
  display_.SetVolumeStatus(status);
}

void AccountingCore::ChargeVolume(TariffRecord& t) {
  // Units run over the whole connection, also across a restart.
  const int64_t units = UnitsBegun(bytesBefore_ + connection.received + connection.sent, t.VolumeUnit);
  if (units <= volumeUnitsCharged_) return;
  const double cost = static_cast<double>(units - volumeUnitsCharged_) * t.VolumeUnitPrice;
  volumeUnitsCharged_ = units;
  t.PeriodCosts += cost;
  if (t.EntryName == connection.entry) connection.cost += cost;
}

void AccountingCore::ChargeMinute() {
  if (!IsChargeSecond(connection.seconds, nextChargeSecond)) return;
  nextChargeSecond += kSecondsPerCharge;
  if (activeTariff == -1) return;
  TariffRecord& t = tariffs[static_cast<size_t>(activeTariff)];
  t.PeriodCosts += PriceOfMinute(t);
  if (t.EntryName == connection.entry) connection.cost += PriceOfMinute(t);
}

void AccountingCore::CloseDown() {
  // The record is closed only when both the save and the log append have
  // worked; otherwise the program keeps counting it as one connection, and
  // a later close or tick carries on with it.
  SaveUser();
  if (!connection.IsOpen()) return;
  RememberedConnection open = RememberOpenConnection();
  connection.end = RecordEnd();
  services_.log.Append(connection);
  logError_.clear();
  ForgetConnection();
  // A restart while the connection stays up goes on with it.
  open.logged = true;
  WriteRememberedConnection(open);
}

std::vector<std::string> AccountingCore::CloseDownOnce() {
  std::vector<std::string> failed;
  bool saved = false;
  try {
    SaveUser();
    saved = true;
  } catch (const std::exception& e) {
    failed.push_back(e.what());
  }
  if (connection.IsOpen()) {
    RememberedConnection open = RememberOpenConnection();
    connection.end = RecordEnd();
    try {
      services_.log.Append(connection);
      ForgetConnection();
      open.logged = true;
    } catch (const std::exception& e) {
      failed.push_back(e.what());
    }
    // Without the save the user file lacks what the record says: then the
    // next start must not go on from it.
    try {
      if (saved) WriteRememberedConnection(open);
    } catch (const std::exception& e) {
      failed.push_back(e.what());
    }
  }
  return failed;
}

std::string AccountingCore::CutToWidth(const std::string& text, int pixels, size_t keep) const {
  return display_.TextWidth(text) > pixels ? FirstCharacters(text, keep) : text;
}

std::string AccountingCore::OverviewRow(size_t i) const {
  const TariffRecord& t = tariffs[i];
  std::string row = CutToWidth(OneLine(t.Name), 90, 15) + "\t";
  row += CutToWidth(FormatDuration(t.PeriodSeconds), 48, 8) + "\t";
  row += CutToWidth(FormatDuration(t.DailyAllowance * 60), 48, 8) + "\t";
  row += (HasBudget(t) ? CutToWidth(FormatDuration(SecondsLeftToday(t)), 48, 8) : "00:00:00") + "\t";
  const bool active = static_cast<int>(i) == activeTariff;
  if (HasVolumeLimit(t)) {
    // What is left of the period's volume.
    TariffRecord shown = t;
    if (!active) shown.ConnectionBytes = 0;
    row += FormatVolume(VolumeLeftInPeriod(shown), services_.regional) + "\t";
  } else {
    std::string bytes = FormatBytes(t.PeriodBytes + (active ? t.ConnectionBytes : 0));
    if (display_.TextWidth(FormatBytes(t.PeriodBytes)) >= 66) bytes = FirstCharacters(bytes, 11);
    row += bytes + "\t";
  }
  row += " " + FormatMoney(t.PeriodCosts, services_.regional);
  return row;
}

void AccountingCore::RefreshOverview() {
  std::vector<std::string> rows;
  rows.reserve(tariffs.size());
  for (size_t i = 0; i < tariffs.size(); ++i) rows.push_back(OverviewRow(i));
  display_.SetOverviewRows(rows);
}

}  // namespace tarifuhr
