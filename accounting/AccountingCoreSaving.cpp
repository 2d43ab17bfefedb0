// SPDX-License-Identifier: MIT
// Saving the core's figures, closing down, and a connection that goes on
// across a restart of the program.
#include "accounting/AccountingCore.h"

#include <cerrno>

#include "accounting/ChargingRules.h"
#include "accounting/TickScheduler.h"
#include "platform/Files.h"

namespace tarifuhr {

void AccountingCore::SaveUser() {
  // An open connection's bytes are stored with the period, as they will be
  // once it ends; the file never holds bytes that are not counted yet.
  std::vector<TariffRecord> stored = tariffs_;
  for (TariffRecord& t : stored) FoldConnectionBytes(t);
  // A remembered record and the user file must tell the same: the old one
  // goes first, the new one follows a save that worked.
  if (connection_.IsOpen() || checkpointOnDisk_) ForgetRememberedConnection();
  services_.userFiles.SaveUserData(currentUser_, stored, totals_);
  if (!connection_.IsOpen()) return;
  try {
    WriteRememberedConnection(RememberOpenConnection());
    rememberError_.clear();
  } catch (const FileError& e) {
    // Costs only the going on after a restart, never a figure: said once.
    TellOnce(rememberError_, e.what());
  }
}

void AccountingCore::SaveWhenDue(TDateTime now) {
  // While a connection is open, its counts reach the file at least every
  // few minutes: a crash or power loss then loses no more than that.
  const TDateTime since = now - lastSave_ + kHalfSecond;  // whole seconds apart, give or take rounding
  if (connection_.IsOpen() && (since >= kCheckpointInterval || now < lastSave_)) saveDue_ = true;
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

void AccountingCore::CloseDown() {
  // The record is closed only when both the save and the log append have
  // worked; otherwise the program keeps counting it as one connection, and
  // a later close or tick carries on with it.
  SaveUser();
  if (!connection_.IsOpen()) return;
  RememberedConnection open = RememberOpenConnection();
  connection_.end = RecordEnd();
  services_.log.Append(connection_);
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
  if (connection_.IsOpen()) {
    RememberedConnection open = RememberOpenConnection();
    connection_.end = RecordEnd();
    try {
      services_.log.Append(connection_);
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

std::string AccountingCore::RememberedConnectionPath() const {
  return JoinPath(services_.userFiles.ProgramDir(), kRememberedConnectionFile);
}

RememberedConnection AccountingCore::RememberOpenConnection() const {
  RememberedConnection c;
  c.network = services_.network;
  c.bootId = services_.clock.BootId();
  c.handle = recordHandle_;
  c.entryName = activeEntry_.activeEntryName;
  c.device = activeEntry_.deviceName;
  c.user = currentUser_;
  c.record = connection_;
  c.record.end = RecordEnd();
  c.nextChargeSecond = nextChargeSecond_;
  c.bytesBefore = bytesBefore_;
  c.volumeUnitsCharged = volumeUnitsCharged_;
  c.lastCountedSecond = lastCountedSecond_.value_or(connection_.start);
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
  const bool same = online && !connection_.IsOpen() && !boot.empty() && c.bootId == boot &&
                    c.network == services_.network && c.handle == activeEntry_.handle &&
                    c.entryName == activeEntry_.activeEntryName && c.device == activeEntry_.deviceName &&
                    c.user == currentUser_;
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
      TakeLog();
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
  usedUpAccepted_ = false;
  usedUpMessage_.clear();
  usedUpHungUp_ = false;
  nextChargeSecond_ = c.nextChargeSecond;
  volumeUnitsCharged_ = c.volumeUnitsCharged;
  recordHandle_ = c.handle;
  recordEntry_ = c.entryName;
  if (c.logged) {
    // The record up to the end is in the log: this one goes on from there,
    // where the connection stood in its minute, without a dial-in fee.
    const int64_t missed =
        TickScheduler::SecondsMissed(c.lastCountedSecond, c.lastCountedMonotonicMs, now, monotonicMs);
    connection_ = {};
    connection_.entry = c.record.entry;
    connection_.start = now - static_cast<double>(missed) / 86400.0;
    nextChargeSecond_ = c.nextChargeSecond - c.record.seconds;
    bytesBefore_ = c.bytesBefore + c.record.received + c.record.sent;
    bytesInPeriod_ = 0;
  } else {
    // The record of the last checkpoint, which the user file matches.
    connection_ = c.record;
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

}  // namespace tarifuhr
