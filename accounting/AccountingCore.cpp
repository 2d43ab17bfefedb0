// SPDX-License-Identifier: MIT
#include "accounting/AccountingCore.h"

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
  try {
    reg.CreateKey(kTarifuhrKey);
    if (reg.ValueExists(kTarifuhrKey, "first")) {
      s.firstStart = false;
    } else {
      s.firstStart = true;
      reg.WriteInteger(kTarifuhrKey, "first", 1);
    }
    s.currentUser = reg.ReadString(kTarifuhrKey, "currentuser");
    s.left = reg.ReadInteger(kTarifuhrKey, "left");
    s.top = reg.ReadInteger(kTarifuhrKey, "top");
    reg.WriteString(kTarifuhrKey, "path", programDir);
  } catch (const RegistryError&) {
    try {
      reg.WriteInteger(kTarifuhrKey, "left", 0);
      reg.WriteInteger(kTarifuhrKey, "top", 0);
      s.left = reg.ReadInteger(kTarifuhrKey, "left");
      s.top = reg.ReadInteger(kTarifuhrKey, "top");
    } catch (const RegistryError&) {
      // Nothing can be stored: start anyway, at 0, 0, with no user.
      s.left = s.top = 0;
      s.currentUser.clear();
      s.writable = false;
    }
  }
  return s;
}

AccountingCore::AccountingCore(AccountingServices services, AccountingDisplay& display)
    : services_(services),
      display_(display),
      warnings_(JoinPath(services.userFiles.ProgramDir(), "warnungen.txt")) {}

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
  try {
    warningsOn = !services_.registry.ValueExists(kTarifuhrKey, kWarningsValue) ||
                 services_.registry.ReadInteger(kTarifuhrKey, kWarningsValue) != 0;
  } catch (const RegistryError&) {
    warningsOn = true;
  }
  warnings_.Load();
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

void AccountingCore::SaveUser() const {
  // An open connection's bytes are stored with the period, as they will be
  // once it ends; the file never holds bytes that are not counted yet.
  std::vector<TariffRecord> stored = tariffs;
  for (TariffRecord& t : stored) FoldConnectionBytes(t);
  services_.userFiles.SaveUserData(currentUser, stored, totals);
}

int AccountingCore::FindActiveTariff() {
  const int index = tarifuhr::FindActiveTariff(tariffs, services_.dialUp, activeEntry);
  display_.SetTariffCaption(activeEntry.tariffCaption);
  return index;
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

  newBytes_ = 0;
  if (online && statisticsOk) CountTraffic();
  if (!online || !statisticsOk)
    for (Figure f : kFigures) display_.SetFigure(f, kNoFigure);
  ShowFigures(online, statisticsOk);

  if (!online) {
    if (connection.IsOpen()) CloseConnection(now);
    activeTariff = -1;
    display_.SetTariffCaption("Offline");
  }

  bool openedNow = false;
  if (online) {
    if (!connection.IsOpen()) {
      OpenConnection(now);
      openedNow = true;
      // Starting the statistics may let window messages run, too.
      activeTariff = FindActiveTariff();
    }
    connection.end = now;
    ShowLogLine(
        connection, historyLineCount, display_.LogList(),
        [this](const std::string& s) { return display_.TextWidth(s); }, services_.regional);
  }

  totals.AllowanceSum = 0;
  totals.RemainingSum = 0;
  bool hangUp = false;
  if (activeTariff != -1) {
    hangUp = UpdateActiveTariff(now, openedNow);
    WarnWhenDue(tariffs[static_cast<size_t>(activeTariff)], now);
  }
  ShowVolumeStatus();

  if (online) {
    if (activeTariff != -1) {
      totals.LastOnlineDay = DateOf(now);
      totals.OnlineSeconds += 1;
    }
    ChargeMinute();
    connection.seconds += 1;
  }
  SaveWhenDue(now);
  // Last: hanging up waits and lets window messages run, so nothing after
  // it may touch the tariff list.
  if (hangUp) services_.dialUp.HangUp();
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
  t.ConnectionBytes = connection.received + connection.sent;
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

void AccountingCore::CloseConnection(TDateTime now) {
  connection.end = now;
  try {
    services_.log.Append(connection);
    logError_.clear();
  } catch (const FileError& e) {
    // Keep the record open and try again next second; say it once.
    if (logError_ != e.what()) {
      logError_ = e.what();
      display_.ShowError(logError_);
    }
    return;
  }
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
    if (saveError_ != e.what()) {
      saveError_ = e.what();
      display_.ShowError(saveError_);
    }
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
  // The connection's bytes reach the period once, when it ends.
  for (TariffRecord& t : tariffs) FoldConnectionBytes(t);
}

void AccountingCore::OpenConnection(TDateTime now) {
  lastSave_ = now;  // nothing of this connection to lose yet
  services_.dialUp.GetActiveConnections();
  connection = {};
  connection.entry = CutToShortString(activeEntry.activeEntryName, 20);
  connection.start = now;
  nextChargeSecond = 0;
  volumeUnitsCharged_ = 0;
  lastRecv_.reset();
  lastSent_.reset();
  if (services_.dialUp.StartStatistics(true, true)) {
    // The counts start from this connection: nothing before them belongs to it.
    lastRecv_ = services_.dialUp.BytesRecv();
    lastSent_ = services_.dialUp.BytesXmit();
  }
}

bool AccountingCore::UpdateActiveTariff(TDateTime now, bool openedNow) {
  TariffRecord& t = tariffs[static_cast<size_t>(activeTariff)];
  const TDateTime today = DateOf(now);
  const TDateTime periodEnd = RollOverPeriod(t, totals, today);
  CatchUpPeriod(t, today);
  const int days = DaysToEnd(periodEnd, today);
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
    warnings_.Check(currentUser, t, DateOf(now), services_.regional, due);
    warningsError_.clear();
  } catch (const FileError& e) {
    // Said now, but may be said again after a restart: tell once.
    if (warningsError_ != e.what()) {
      warningsError_ = e.what();
      display_.ShowError(warningsError_);
    }
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
  const int64_t units = UnitsBegun(connection.received + connection.sent, t.VolumeUnit);
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
  connection.end = services_.clock.Now();
  services_.log.Append(connection);
  logError_.clear();
  ForgetConnection();
}

std::vector<std::string> AccountingCore::CloseDownOnce() {
  std::vector<std::string> failed;
  try {
    SaveUser();
  } catch (const std::exception& e) {
    failed.push_back(e.what());
  }
  if (connection.IsOpen()) {
    connection.end = services_.clock.Now();
    try {
      services_.log.Append(connection);
      ForgetConnection();
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
  std::string row = CutToWidth(t.Name, 90, 15) + "\t";
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
