// SPDX-License-Identifier: MIT
// The core's users and tariffs: switching, removing, storing, loading.
#include "accounting/AccountingCore.h"

#include "accounting/ChargingRules.h"
#include "accounting/TariffStore.h"

namespace tarifuhr {

void AccountingCore::SetWarningsOn(bool on) {
  services_.registry.WriteInteger(kTarifuhrKey, kWarningsValue, on ? 1 : 0);
  warningsOn_ = on;
}

void AccountingCore::SwitchUser(const std::string& section) {
  if (section == currentUser_) return;
  SaveUser();  // the old user's latest figures; a failure switches nothing
  currentUser_ = section;
  LoadUserData(section);
  TariffsChanged();
  RememberCurrentUser();
}

std::string AccountingCore::RemoveUser(const std::string& section) {
  if (section != currentUser_) return services_.userFiles.RemoveUser(section);
  // Counting on into a user whose section is gone would be lost with every
  // save: save what was counted, then go on with no user.
  SaveUser();
  const std::string notice = services_.userFiles.RemoveUser(section);
  currentUser_.clear();
  LoadUserData("");
  totals_ = {};
  TariffsChanged();
  RememberCurrentUser();
  return notice;
}

void AccountingCore::RememberCurrentUser() {
  try {
    services_.registry.WriteString(kTarifuhrKey, "currentuser", currentUser_);
  } catch (const RegistryError&) {
    // The switch has happened; only the next start will not know it.
  }
}

void AccountingCore::RemoveTariffAt(int index) {
  RemoveTariff(tariffs_, index);
  // The dial items carry tariff indices: none may dial a removed tariff.
  TariffsChanged();
  SaveUser();
}

int AccountingCore::StoreTariff(int index, const TariffValues& values) {
  const bool first = tariffs_.empty();
  const int stored = tarifuhr::StoreTariff(tariffs_, index, values);
  // Shown at once, not only from the tariff's next connection on.
  ComputeAllowances(tariffs_[static_cast<size_t>(stored)], Today(services_.clock));
  if (first) totals_.OnlineSeconds = -1.0;
  TariffsChanged();
  SaveUser();
  return stored;
}

void AccountingCore::TariffsChanged() {
  activeTariff_ = FindActiveTariff();
  TakeOverview();
  RetakeFigures();
  Publish(AccountingSnapshot::kCaption | AccountingSnapshot::kFigures | AccountingSnapshot::kOverview |
          AccountingSnapshot::kTariffList);
}

void AccountingCore::TellAboutTheUser(int loaded) {
  // Counting without a user logs connections but charges them to nobody:
  // the user must know.
  const std::string consequence =
      " Bis ein Benutzer gewählt ist, werden Verbindungen protokolliert, aber keinem Tarif berechnet.";
  if (currentUser_.empty()) return;
  const UserFiles& files = services_.userFiles;
  switch (files.StateOf(currentUser_)) {
    case UserFiles::UserState::ListUnreadable:
      display_.ShowError("Die Benutzerliste „" + files.UserListPath() + "“ kann nicht gelesen werden." +
                         consequence);
      return;
    case UserFiles::UserState::NotListed:
      display_.ShowError("Der Benutzer „" + currentUser_ + "“ steht nicht in der Benutzerliste." +
                         consequence);
      return;
    case UserFiles::UserState::UnusableFileName:
      display_.ShowError("Der Benutzer „" + currentUser_ +
                         "“ hat in der Benutzerliste keinen brauchbaren Dateinamen (file=" +
                         files.FileKeyOf(currentUser_) + ") und wird nicht geladen." + consequence);
      return;
    case UserFiles::UserState::Listed:
      if (loaded == kLoadCannotOpen)
        display_.ShowError("Die Benutzerdatei „" + files.DataFileOf(currentUser_) +
                           "“ kann nicht geöffnet werden." + consequence);
      return;
  }
}

int AccountingCore::LoadUserData(const std::string& section) {
  std::string notice;
  const int code = services_.userFiles.LoadUserData(section, tariffs_, totals_, &notice);
  if (!notice.empty()) display_.ShowError(notice);
  // Bytes a file holds for a connection are in its period already: the old
  // program left the last connection's bytes there.
  for (TariffRecord& t : tariffs_) t.ConnectionBytes = 0;
  return code;
}

}  // namespace tarifuhr
