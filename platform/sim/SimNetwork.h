// SPDX-License-Identifier: MIT
#pragma once
// The simulated dial-up network: a phone book of entries with their
// behaviour and the connections that are open. Its state is a small text
// file in the program directory that the program and the control tool
// both change; every change reads, modifies and atomically replaces it
// under an exclusive lock, so no process loses another's change.
//
// A dial is decided when it starts (busy, no answer, refused credentials or
// success) and completes after the entry's delay; whoever reads the state
// next sees the outcome, so a dial survives the process that started it.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/DateTime.h"

namespace tarifuhr {

// Bad state file, unknown entry, bad argument. German message.
class SimError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class SimUnknownEntry : public SimError {
 public:
  explicit SimUnknownEntry(const std::string& name) : SimError("Unbekannter Eintrag: " + name) {}
};

struct SimEntry {
  std::string Name;         // UTF-8, 1..256 bytes
  double DelaySeconds = 0;  // until the dial completes
  uint32_t FailCode = 0;    // 0, or the RAS error every dial ends with
  bool CheckCredentials = false;
  std::string ExpectedUser, ExpectedPassword;
  std::string SavedUser, SavedPassword;  // the entry's dial parameters
  uint64_t RateRx = 0, RateTx = 0;       // bytes per second while connected
  std::string ClientIp, ServerIp;
};

struct SimConnection {
  uint32_t Handle = 0;
  std::string Entry;
  int64_t DialledMs = 0;              // when the dial started
  int64_t ConnectedMs = 0;            // when it completed (0 while dialling)
  uint32_t Outcome = 0;               // RAS code the dial ends with
  uint64_t ExtraRx = 0, ExtraTx = 0;  // bytes added by hand
  bool Connected() const { return ConnectedMs != 0; }
  std::string Device() const { return "sim" + std::to_string(Handle); }
};

struct SimState {
  uint32_t NextHandle = 1;
  // Online through a LAN as well, beside any dial-up connection.
  bool Lan = false;
  std::vector<SimEntry> Entries;
  std::vector<SimConnection> Connections;
  const SimEntry* FindEntry(const std::string& name) const;
  SimEntry* FindEntry(const std::string& name);
  SimConnection* FindConnection(uint32_t handle);
};

// Text form of the state file; Parse throws SimError naming the line.
std::string FormatSimState(const SimState& state);
SimState ParseSimState(const std::string& text);

class SimNetwork {
 public:
  using NowMs = std::function<int64_t()>;  // ms since the epoch
  static constexpr const char* kStateFile = "dialup-sim.txt";
  static constexpr const char* kLockFile = "dialup-sim.lock";
  // A phone book of some thousand entries; a larger file is not a state.
  static constexpr size_t kMaxStateBytes = size_t{4} << 20;
  // The word that names every entry in the control tool; no entry's name.
  static constexpr const char* kAllEntries = "all";

  explicit SimNetwork(std::string directory, NowMs now = {});
  // The network's time taken from a date-time clock (tests move it by hand).
  static NowMs FromClock(const Clock& clock);

  const std::string& Directory() const { return directory_; }
  int64_t Now() const { return now_(); }

  // A consistent copy of the state with finished dials resolved.
  SimState Snapshot() const;
  // Runs `change` on the current state under the lock and writes the result
  // back; what `change` throws leaves the file as it was.
  void Modify(const std::function<void(SimState&)>& change) const;

  void AddEntry(SimEntry entry) const;              // throws when it exists
  void RemoveEntry(const std::string& name) const;  // throws when unknown

  // Starts a dial of `entry` with the given credentials: returns the
  // handle; `outcome` is the code the dial will end with. Throws SimError
  // for an unknown entry.
  uint32_t StartDial(const std::string& entry, const std::string& user, const std::string& password,
                     uint32_t& outcome, double& delaySeconds) const;
  // Waits for a dial started with StartDial: 0 when connected, else its
  // code (631 when it was hung up meanwhile).
  uint32_t FinishDial(uint32_t handle, uint32_t outcome, double delaySeconds) const;

  // False when no such connection is open.
  bool HangUp(uint32_t handle) const;
  // Hangs up every connection of `entry` ("" = all); returns the count.
  size_t HangUpEntry(const std::string& entry) const;
  size_t HangUpAll() const;
  // Switches the LAN beside the dial-up network on or off.
  void SetLan(bool on) const;
  // Adds bytes to the open connections of `entry`; returns their count.
  size_t AddTraffic(const std::string& entry, uint64_t rx, uint64_t tx) const;

  // Bytes of a connection at `nowMs`.
  static uint64_t ReceivedBytes(const SimState& s, const SimConnection& c, int64_t nowMs);
  static uint64_t SentBytes(const SimState& s, const SimConnection& c, int64_t nowMs);

 private:
  SimState LoadLocked() const;
  void Resolve(SimState& state) const;

  std::string directory_;
  NowMs now_;
};

}  // namespace tarifuhr
