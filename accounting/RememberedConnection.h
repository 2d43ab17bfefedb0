// SPDX-License-Identifier: MIT
#pragma once
// What the program keeps of an open connection across its own restart
// ("verbindung.txt" in the program directory): which connection it was,
// what was counted of it and where in its minute it stood. A program that
// starts while the same connection is still up goes on counting it without
// a second dial-in fee; the seconds and bytes of the time it was not
// running are counted then.

#include <cstdint>
#include <optional>
#include <string>

#include "accounting/ConnectionLog.h"
#include "platform/DateTime.h"

namespace tarifuhr {

inline constexpr const char* kRememberedConnectionFile = "verbindung.txt";
// Some twenty short lines.
inline constexpr size_t kMaxRememberedConnectionBytes = size_t{64} << 10;

struct RememberedConnection {
  // Which connection: the dial-up network that listed it, the boot it was
  // seen in, the backend's handle, the entry's full name and the device.
  std::string network;
  std::string bootId;
  uint32_t handle = 0;
  std::string entryName;
  std::string device;
  // The user whose tariff counted it.
  std::string user;
  // The record as counted; `logged` when the log holds it already (the
  // program ended cleanly), else it was kept at a checkpoint.
  ConnectionRecord record;
  bool logged = false;
  // The record's counted second at which the next minute is charged.
  int32_t nextChargeSecond = 0;
  // Bytes of the connection before this record (an earlier record of the
  // same connection), and the billing units charged for all of them.
  int64_t bytesBefore = 0;
  int64_t volumeUnitsCharged = 0;
  // The last counted second, on the wall clock and the monotonic clock.
  TDateTime lastCountedSecond = 0;
  int64_t lastCountedMonotonicMs = 0;
  // The device's own counters at the last counted traffic.
  uint64_t deviceReceived = 0;
  uint64_t deviceSent = 0;

  bool operator==(const RememberedConnection&) const = default;
};

// The file's text, and back. Parse returns nothing for a text that is not
// one complete, sound description (a damaged file is not trusted).
std::string FormatRememberedConnection(const RememberedConnection& c);
std::optional<RememberedConnection> ParseRememberedConnection(const std::string& text);

// Whether the texts of `c` can be kept in the file's lines.
bool CanBeRemembered(const RememberedConnection& c);

}  // namespace tarifuhr
