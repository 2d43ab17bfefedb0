// SPDX-License-Identifier: MIT
#pragma once
// NetworkManager as the dial-up network. Its connection profiles of the
// dial-up kinds (pppoe, gsm, cdma, bluetooth) and those marked metered are
// the phone book; their active connections, and those on a device that
// NetworkManager finds metered, are the open connections. A thin layer over
// libnm's client, whose object cache NetworkManager's signals keep up to
// date: the questions asked once a second read memory. The client lives on
// a main context of its own, taken in only when this class is asked, so
// nothing of it runs in the middle of the program's own event handling.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tarifuhr {

// Handles of activations, shared by every client of one backend: the
// number NetworkManager gives an active connection's object path
// (".../ActiveConnection/7" is 7), so that a program started again while
// the connection stays up knows it by the same handle. NetworkManager
// numbers its objects anew when it restarts; a connection it takes on
// again then keeps the handle it had (Carry).
class NmHandles {
 public:
  uint32_t Of(const std::string& activePath);
  std::optional<std::string> PathOf(uint32_t handle) const;
  bool Knows(const std::string& activePath) const;
  // `activePath` is the connection that had `handle` under another path.
  void Carry(const std::string& activePath, uint32_t handle);

  // Handles for paths without a number of their own start here.
  static constexpr uint32_t kFirstSpare = 0x40000000;

 private:
  bool Taken(uint32_t handle) const;

  mutable std::mutex mutex_;
  uint32_t nextSpare_ = kFirstSpare;
  std::map<std::string, uint32_t> byPath_;
};

struct NmProfile {
  std::string name;
  std::string type;  // NetworkManager's connection type ("pppoe", "gsm", ...)
};

struct NmConnection {
  uint32_t handle = 0;
  std::string entry;       // the profile's name
  std::string deviceType;  // "modem", "PPPoE", "lan", ...
  std::string interface;   // the IP interface, once there ("ppp0", "wwan0")
  bool connected = false;  // activated; else still on its way
  std::string clientAddress, serverAddress;
};

class NmNetwork {
 public:
  // A client on the system bus; nullptr, with the reason, when the bus
  // can't be reached. NetworkManager itself may still be away (Running).
  static std::unique_ptr<NmNetwork> Connect(std::shared_ptr<NmHandles> handles, std::string& why);
  ~NmNetwork();
  NmNetwork(const NmNetwork&) = delete;
  NmNetwork& operator=(const NmNetwork&) = delete;

  // Takes in what NetworkManager has said since the last look.
  void Refresh();
  // Whether NetworkManager answers on the bus and has started up.
  bool Running();
  std::vector<NmProfile> Profiles();
  std::vector<NmConnection> Connections();
  // Another connection (not dial-up, not metered) is activated: a LAN.
  bool OtherConnectionActivated();
  std::optional<NmConnection> Find(uint32_t handle);

  // The profile's stored user name and whether a password is stored; false
  // when there is no such entry.
  bool SavedCredentials(const std::string& entry, std::string& user, bool& hasPassword);
  // Stores user name and password in the profile; an empty one keeps what
  // is stored. A RAS code.
  uint32_t SaveCredentials(const std::string& entry, const std::string& user, const std::string& password);

  // Hears a dial's states: a connection state and an error code (0 on the
  // way; the failure's code at its end).
  using Progress = std::function<void(uint32_t state, uint32_t error)>;
  // Activates the profile `entry` and returns once it is connected (0) or
  // has failed (the error code). `started` hears the handle as soon as
  // NetworkManager has taken the activation on; `between` runs between two
  // looks.
  uint32_t Dial(const std::string& entry, const std::function<void(uint32_t handle)>& started,
                const Progress& progress, const std::function<void()>& between);
  // Deactivates the active connection of `handle`; a RAS code.
  uint32_t HangUp(uint32_t handle);

 private:
  struct Impl;
  explicit NmNetwork(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace tarifuhr
