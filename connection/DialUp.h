// SPDX-License-Identifier: MIT
#pragma once
// DialUp: the dial-up networking component. Lists phone-book entries and
// open connections, dials (synchronously or with notifications from the
// platform's thread), hangs up, stores user name and password in an entry's
// dial parameters, reads the addresses of a connection and measures the
// traffic of the current connection. Every platform call goes through the
// RAS binder; results are the platform's codes (0 = success), binding
// failures are RasBindError exceptions.
//
// Strings above the RAS seam are UTF-8; the records below it carry the ANSI
// code page (Windows-1252).

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ras/RasApi.h"
#include "platform/ras/RasBinder.h"
#include "platform/ras/StatisticsSources.h"

namespace tarifuhr {

enum class DialMode { Async = 0, Sync = 1 };
enum class StatusLanguage { English = 0, Czech = 1, Portuguese = 2, German = 3 };

// A RASCONNSTATUSA record (160 bytes) with readers for its fields.
struct TRasConnStatus {
  std::array<uint8_t, RasConnStatusLayout::kSize> bytes{};
  uint32_t State() const { return GetU32(bytes.data() + RasConnStatusLayout::kState); }
  uint32_t Error() const { return GetU32(bytes.data() + RasConnStatusLayout::kError); }
  std::string DeviceType() const;
  std::string DeviceName() const;
};

// What the component talks to; the program picks the backends. A null
// binder is the system's; without a source of its family the statistics
// can't be read.
struct DialUpServices {
  RasBinder* binder = nullptr;
  StatisticsFamily family = StatisticsFamily::Device;
  StatsRegistry* registry = nullptr;       // Win9x
  PerformanceData* performance = nullptr;  // WinNT
  InterfaceCounters* counters = nullptr;   // Device
};

class DialUp {
 public:
  using EntryHandler = std::function<void(DialUp& sender, const std::string& entryName)>;
  using NotifyHandler = std::function<void(DialUp& sender)>;
  using NotConnectedHandler =
      std::function<void(DialUp& sender, uint32_t errorCode, const std::string& errorMessage)>;
  using AsyncEventHandler =
      std::function<void(DialUp& sender, uint32_t state, uint32_t error, const std::string& messageText)>;
  using ErrorHandler =
      std::function<void(DialUp& sender, uint32_t errorCode, const std::string& errorMessage)>;
  using ActiveConnectionHandler = std::function<void(
      DialUp& sender, uint32_t handle, const TRasConnStatus& status, const std::string& statusString,
      const std::string& entryName, const std::string& deviceType, const std::string& deviceName)>;

  explicit DialUp(DialUpServices services = {});
  virtual ~DialUp();
  DialUp(const DialUp&) = delete;
  DialUp& operator=(const DialUp&) = delete;

  // Properties.
  DialMode Mode() const { return dialMode_; }
  void SetDialMode(DialMode m) { dialMode_ = m; }
  const std::vector<std::string>& Entries() const { return entries_; }
  const std::string& Entry() const { return entry_; }
  void SetEntry(const std::string& e);  // at most 256 characters are kept
  StatusLanguage Language() const { return language_; }
  void SetLanguage(StatusLanguage l) { language_ = l; }
  const std::string& ServerIP() const { return serverIp_; }
  const std::string& ClientIP() const { return clientIp_; }
  const std::vector<std::string>& DUNA() const { return duna_; }
  const std::string& DUNA_Key() const { return dunaKey_; }
  void SetDUNA_Key(const std::string& k) { dunaKey_ = k; }
  // 64-bit, so a long connection's device counters do not wrap at 4 GiB.
  uint64_t BytesXmit() const { return bytesXmit_; }
  uint64_t BytesRecv() const { return bytesRecv_; }
  uint32_t ConnectionSpeed() const { return connectionSpeed_; }
  StatisticsFamily Family() const { return services_.family; }
  // Handle of the connection this component dialled (0 before any dial;
  // kept after a hang-up).
  uint32_t DialHandle() const { return dialHandle_; }

  // Events.
  EntryHandler OnEntryGet;
  NotifyHandler OnDialing;
  NotifyHandler OnConnect;
  NotConnectedHandler OnNotConnected;
  AsyncEventHandler OnAsyncEvent;
  ErrorHandler OnError;
  ActiveConnectionHandler OnActiveConnection;

  uint32_t GetEntries();
  uint32_t GetActiveConnections();
  uint32_t Dial();
  uint32_t HangUp();
  // Hangs up and waits, handling window messages, until the handle is gone
  // (0) or the hang-up timeout has passed (638, the request timed out).
  uint32_t HangUpConnection(uint32_t handle);
  uint32_t SetUserName(const std::string& userName);
  uint32_t SetPassword(const std::string& password);
  uint32_t GetAddresses(uint32_t handle);
  std::string StatusText(uint32_t state, uint32_t error);

  bool FindAdapters();
  bool StartStatistics(bool start, bool findAdapter);
  // Starts the statistics of the connection listed last, counting from
  // the device's own counters `received` and `sent` as an earlier run read
  // them: what the device counted since belongs to this connection. A
  // device whose counters lie below them was made anew and counts from
  // now. Device counters only; else as StartStatistics(true, true).
  bool ResumeStatistics(uint64_t received, uint64_t sent);
  // The device's own counters that BytesRecv and BytesXmit count from.
  uint64_t BaselineRecv() const { return baseRecv_; }
  uint64_t BaselineXmit() const { return baseXmit_; }
  bool GetStatistics();
  void ResetStatistics();

  // The asynchronous dial's hand-over to the user-interface thread. The
  // platform's thread "enables the timer" by calling the timer hook (the
  // window maps it to a queued call or a 1 ms timer) and the user-interface
  // thread then runs TimerHandler.
  void SetTimerHook(std::function<void()> hook);
  bool TimerEnabled() const;
  virtual void TimerHandler();

  void SetHangUpTimeout(std::chrono::milliseconds t) { hangUpTimeout_ = t; }

 private:
  template <class Proc>
  const Proc& Bind(const char* name) {
    return binder_->Bind<Proc>(name);
  }
  uint32_t ChangeDialParams(size_t field, size_t len, const std::string& value);
  bool GetStatisticsWin9x();
  bool GetStatisticsNT();
  bool GetStatisticsDevice();
  bool ReadDeviceCounters();

  DialUpServices services_;
  RasBinder* binder_;
  DialMode dialMode_ = DialMode::Async;
  std::vector<std::string> entries_;
  std::string entry_;
  StatusLanguage language_ = StatusLanguage::English;
  std::string serverIp_, clientIp_;
  std::vector<std::string> duna_;
  std::string dunaKey_;
  uint64_t bytesXmit_ = 0, bytesRecv_ = 0;
  uint32_t connectionSpeed_ = 0;
  uint32_t dialHandle_ = 0;
  std::chrono::milliseconds hangUpTimeout_{10000};

  // Raw counters last read and the baseline at the connection's start.
  uint64_t rawXmit_ = 0, rawRecv_ = 0;
  uint64_t baseXmit_ = 0, baseRecv_ = 0;

  // Async event record, shared with the dial callback so that a callback
  // still running on the platform's thread never touches a destroyed
  // component.
  struct AsyncChannel;
  std::shared_ptr<AsyncChannel> async_;
};

// Status texts of a language (UTF-8); "" for a state not in the table.
std::string ConnectionStateText(StatusLanguage language, uint32_t state);
// The component's own text of a platform error code, in German only (the
// platform's texts are English); "" for another language or code.
std::string ConnectionErrorText(StatusLanguage language, uint32_t code);

}  // namespace tarifuhr
