// SPDX-License-Identifier: MIT
#pragma once
// NetworkManager's words for what happens to an activation, in the dial-up
// networking's terms: device states as connection states of a dial, and
// the reasons a dial failed as the platform's error codes.

#include <cstdint>
#include <string>

namespace tarifuhr {

// The connection state a dial's notification reports for a device state
// of NetworkManager (preparing, configuring, asking for secrets, ...).
uint32_t DialStateOfDevice(uint32_t deviceState);

// The error code for an activation that ended without connecting: the
// device's reason when it has one that says more, else the active
// connection's reason.
uint32_t DialErrorOf(uint32_t deviceReason, uint32_t activeReason);

// The error code for an activation NetworkManager refused to start, from
// its error message ("No suitable device found ...").
uint32_t DialErrorOfRefusal(const std::string& message);

// The device type shown for a profile type ("pppoe", "gsm", ...).
std::string DeviceTypeOfProfile(const std::string& profileType);

// Profile types that dial: DSL over PPPoE, mobile broadband, Bluetooth.
bool IsDialUpProfileType(const std::string& profileType);

}  // namespace tarifuhr
