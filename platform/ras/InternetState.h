// SPDX-License-Identifier: MIT
#pragma once
// The internet connection state query: success and flag bits as the
// platform's InternetGetConnectedState gives them.

#include <cstdint>

namespace tarifuhr {

inline constexpr uint32_t kInternetConnectionModem = 0x01;
inline constexpr uint32_t kInternetConnectionLan = 0x02;
inline constexpr uint32_t kInternetConnectionProxy = 0x04;
inline constexpr uint32_t kInternetConnectionModemBusy = 0x08;
inline constexpr uint32_t kInternetRasInstalled = 0x10;
inline constexpr uint32_t kInternetConnectionOffline = 0x20;
inline constexpr uint32_t kInternetConnectionConfigured = 0x40;

class InternetStateQuery {
 public:
  virtual ~InternetStateQuery() = default;
  // False when the query fails or the PC is not connected; `flags` is set
  // either way.
  virtual bool GetConnectedState(uint32_t& flags) = 0;
};

}  // namespace tarifuhr
