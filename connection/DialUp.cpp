// SPDX-License-Identifier: MIT
#include "connection/DialUp.h"

#include <algorithm>
#include <thread>

#include "platform/Codepage.h"
#include "platform/MessagePump.h"

namespace tarifuhr {
namespace {

constexpr uint32_t kMaxRecords = 100;
constexpr size_t kErrorStringLen = 100;

// Performance data buffer size, kept for the whole run so that after the
// first growth the query succeeds at once.
uint32_t g_perfBufferSize = 0;
// Beyond this the source is taken to be broken rather than large.
constexpr uint32_t kMaxPerfBufferSize = 16u << 20;

std::string FromAnsi(const std::string& bytes) { return Cp1252ToUtf8(bytes); }
std::string ToAnsi(const std::string& utf8) { return Utf8ToCp1252(utf8); }

bool LessIgnoreCase(const std::string& a, const std::string& b) {
  return FoldCaseCp1252(a) < FoldCaseCp1252(b);
}

std::optional<uint32_t> Dword(const std::optional<std::vector<uint8_t>>& v) {
  if (!v || v->size() < 4) return std::nullopt;
  return GetU32(v->data());
}

}  // namespace

// The platform's thread writes msg/state/error only while `pending` is
// clear and then sets it (release); the user-interface thread reads them
// after seeing it set (acquire) and clears it.
struct DialUp::AsyncChannel {
  std::atomic<bool> pending{false};
  std::atomic<bool> timerEnabled{false};
  std::atomic<bool> closed{false};
  uint32_t msg = 0, state = 0, error = 0;
  std::mutex producer;  // one notification written at a time
  std::mutex hookMutex;
  std::function<void()> hook;

  void Publish(uint32_t m, uint32_t st, uint32_t err) {
    std::lock_guard lock(producer);
    // Wait, asleep rather than spinning, until the previous notification
    // has been taken.
    while (pending.load(std::memory_order_acquire)) {
      if (closed.load(std::memory_order_acquire)) return;
      pending.wait(true, std::memory_order_acquire);
    }
    if (closed.load(std::memory_order_acquire)) return;
    msg = m;
    state = st;
    error = err;
    pending.store(true, std::memory_order_release);
    timerEnabled.store(true, std::memory_order_release);
    std::lock_guard hookLock(hookMutex);
    if (hook) hook();
  }

  void Close() {
    {
      std::lock_guard hookLock(hookMutex);
      hook = nullptr;
    }
    closed.store(true, std::memory_order_release);
    pending.store(false, std::memory_order_release);
    pending.notify_all();
  }
};

std::string TRasConnStatus::DeviceType() const {
  return GetChars(bytes.data() + RasConnStatusLayout::kDeviceType, ras::kDeviceTypeLen);
}
std::string TRasConnStatus::DeviceName() const {
  return GetChars(bytes.data() + RasConnStatusLayout::kDeviceName, ras::kDeviceNameLen);
}

DialUp::DialUp(DialUpServices services) : services_(services), async_(std::make_shared<AsyncChannel>()) {
  binder_ = services_.binder ? services_.binder : &SystemRasBinder();
  // The device family learns its device from the open connections when the
  // statistics start; only the registry family knows its adapters now.
  if (services_.family == StatisticsFamily::Win9x) FindAdapters();
}

DialUp::~DialUp() { async_->Close(); }

void DialUp::SetEntry(const std::string& e) {
  entry_ = FirstCharacters(e, ras::kEntryNameLen - 1);  // at most 256 characters
}

uint32_t DialUp::GetEntries() {
  entries_.clear();
  std::vector<uint8_t> buf(kMaxRecords * RasEntryNameLayout::kSize, 0);
  PutU32(buf.data(), RasEntryNameLayout::kSize);
  uint32_t size = uint32_t(buf.size());
  uint32_t count = 0;
  const uint32_t code =
      Bind<RasEnumEntriesProc>("RasEnumEntries").fn(nullptr, nullptr, buf.data(), &size, &count);
  if (code != 0) return code;
  count = std::min(count, kMaxRecords);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* rec = buf.data() + i * RasEntryNameLayout::kSize;
    std::string name = FromAnsi(GetChars(rec + RasEntryNameLayout::kEntryName, ras::kEntryNameLen));
    entries_.push_back(name);
    if (OnEntryGet) OnEntryGet(*this, name);
  }
  return 0;
}

uint32_t DialUp::GetActiveConnections() {
  std::vector<uint8_t> buf(kMaxRecords * RasConnLayout::kSize, 0);
  PutU32(buf.data(), RasConnLayout::kSize);
  TRasConnStatus status;
  PutU32(status.bytes.data(), RasConnStatusLayout::kSize);
  uint32_t size = uint32_t(buf.size());
  uint32_t count = 0;
  const uint32_t code = Bind<RasEnumConnectionsProc>("RasEnumConnections").fn(buf.data(), &size, &count);
  if (code != 0) return code;
  count = std::min(count, kMaxRecords);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* rec = buf.data() + i * RasConnLayout::kSize;
    const uint32_t handle = GetU32(rec + RasConnLayout::kHandle);
    // The status record is reused from one connection to the next and the
    // result is not looked at: a connection that just went away keeps the
    // previous one's status.
    Bind<RasGetConnectStatusProc>("RasGetConnectStatus").fn(handle, status.bytes.data());
    const std::string text = StatusText(status.State(), status.Error());
    if (OnActiveConnection) {
      OnActiveConnection(*this, handle, status, text,
                         FromAnsi(GetChars(rec + RasConnLayout::kEntryName, ras::kEntryNameLen)),
                         FromAnsi(GetChars(rec + RasConnLayout::kDeviceType, ras::kDeviceTypeLen)),
                         FromAnsi(GetChars(rec + RasConnLayout::kDeviceName, ras::kDeviceNameLen)));
    }
  }
  return 0;
}

uint32_t DialUp::Dial() {
  HangUp();
  std::array<uint8_t, RasDialParamsLayout::kSize> params{};
  PutU32(params.data(), RasDialParamsLayout::kSize);
  PutChars(params.data() + RasDialParamsLayout::kEntryName, ras::kEntryNameLen, ToAnsi(entry_));
  bool hasPassword = false;
  uint32_t code =
      Bind<RasGetEntryDialParamsProc>("RasGetEntryDialParams").fn(nullptr, params.data(), &hasPassword);
  if (code != 0) {
    if (OnError) OnError(*this, code, "GetEntryDialParams failed");
    return code;
  }
  dialHandle_ = 0;
  const auto& rasDial = Bind<RasDialProc>("RasDial");
  if (dialMode_ == DialMode::Sync) {
    if (OnDialing) OnDialing(*this);
    code = rasDial.fn(nullptr, nullptr, params.data(), 0, nullptr, &dialHandle_);
    if (code != 0) {
      if (dialHandle_ != 0) HangUpConnection(dialHandle_);
      const std::string text = StatusText(0, code);
      if (OnNotConnected) OnNotConnected(*this, code, text);
    } else if (OnConnect) {
      OnConnect(*this);
    }
  } else {
    if (OnDialing) OnDialing(*this);
    code = rasDial.fn(
        nullptr, nullptr, params.data(), 0,
        [ch = async_](uint32_t msg, uint32_t state, uint32_t error) { ch->Publish(msg, state, error); },
        &dialHandle_);
    if (code != 0) {
      const std::string text = StatusText(0, code);
      if (OnError) OnError(*this, code, text);
    }
  }
  return code;
}

void DialUp::SetTimerHook(std::function<void()> hook) {
  std::lock_guard lock(async_->hookMutex);
  async_->hook = std::move(hook);
}

bool DialUp::TimerEnabled() const { return async_->timerEnabled.load(std::memory_order_acquire); }

void DialUp::TimerHandler() {
  AsyncChannel& ch = *async_;
  ch.timerEnabled.store(false, std::memory_order_release);
  if (!ch.pending.load(std::memory_order_acquire)) return;
  if (OnAsyncEvent) {
    const uint32_t state = ch.state, error = ch.error;
    OnAsyncEvent(*this, state, error, StatusText(state, error));
  }
  ch.pending.store(false, std::memory_order_release);
  ch.pending.notify_all();
}

uint32_t DialUp::HangUp() { return HangUpConnection(dialHandle_); }

uint32_t DialUp::HangUpConnection(uint32_t handle) {
  uint32_t code = Bind<RasHangUpProc>("RasHangUp").fn(handle);
  if (code != 0) return code;
  TRasConnStatus status;
  PutU32(status.bytes.data(), RasConnStatusLayout::kSize);
  // Bounded, so a connection that never goes away cannot freeze the window.
  const auto deadline = std::chrono::steady_clock::now() + hangUpTimeout_;
  for (;;) {
    code = Bind<RasGetConnectStatusProc>("RasGetConnectStatus").fn(handle, status.bytes.data());
    if (code == ras::kErrorInvalidHandle) return 0;
    // Still there when the wait ends: the hang-up did not work.
    if (std::chrono::steady_clock::now() >= deadline) return ras::kErrorRequestTimeout;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ProcessMessages();
  }
}

uint32_t DialUp::ChangeDialParams(size_t field, size_t len, const std::string& value) {
  std::array<uint8_t, RasDialParamsLayout::kSize> params{};
  PutU32(params.data(), RasDialParamsLayout::kSize);
  PutChars(params.data() + RasDialParamsLayout::kEntryName, ras::kEntryNameLen, ToAnsi(entry_));
  bool hasPassword = false;
  uint32_t code =
      Bind<RasGetEntryDialParamsProc>("RasGetEntryDialParams").fn(nullptr, params.data(), &hasPassword);
  if (code != 0) return code;
  PutChars(params.data() + field, len, ToAnsi(value));
  return Bind<RasSetEntryDialParamsProc>("RasSetEntryDialParams").fn(nullptr, params.data(), false);
}

uint32_t DialUp::SetUserName(const std::string& userName) {
  return ChangeDialParams(RasDialParamsLayout::kUserName, ras::kUserNameLen, userName);
}

uint32_t DialUp::SetPassword(const std::string& password) {
  return ChangeDialParams(RasDialParamsLayout::kPassword, ras::kPasswordLen, password);
}

uint32_t DialUp::GetAddresses(uint32_t handle) {
  clientIp_.clear();
  serverIp_.clear();
  if (handle == 0) return 0;
  std::array<uint8_t, RasPppIpLayout::kSize> rec{};
  PutU32(rec.data(), RasPppIpLayout::kSize);
  uint32_t size = RasPppIpLayout::kSize;
  const uint32_t code = Bind<RasGetProjectionInfoProc>("RasGetProjectionInfo")
                            .fn(handle, ras::kProjectionPppIp, rec.data(), &size);
  if (code == 0) {
    clientIp_ = GetChars(rec.data() + RasPppIpLayout::kIpAddress, ras::kIpAddressLen);
    serverIp_ = GetChars(rec.data() + RasPppIpLayout::kServerIpAddress, ras::kIpAddressLen);
  }
  return code;
}

std::string DialUp::StatusText(uint32_t state, uint32_t error) {
  if (error != 0) {
    if (std::string own = ConnectionErrorText(language_, error); !own.empty()) return own;
    std::array<char, kErrorStringLen> buf{};
    Bind<RasGetErrorStringProc>("RasGetErrorString").fn(error, buf.data(), uint32_t(buf.size()));
    buf.back() = '\0';
    return FromAnsi(std::string(buf.data()));
  }
  return ConnectionStateText(language_, state);
}

// ---- statistics

bool DialUp::FindAdapters() {
  duna_.clear();
  switch (services_.family) {
    case StatisticsFamily::WinNT: return false;
    case StatisticsFamily::Device: {
      // The devices of the open connections, in the platform's order.
      std::vector<uint8_t> buf(kMaxRecords * RasConnLayout::kSize, 0);
      PutU32(buf.data(), RasConnLayout::kSize);
      uint32_t size = uint32_t(buf.size()), count = 0;
      if (Bind<RasEnumConnectionsProc>("RasEnumConnections").fn(buf.data(), &size, &count) != 0) return false;
      count = std::min(count, kMaxRecords);
      for (uint32_t i = 0; i < count; ++i) {
        std::string dev =
            GetChars(buf.data() + i * RasConnLayout::kSize + RasConnLayout::kDeviceName, ras::kDeviceNameLen);
        if (!dev.empty()) duna_.push_back(FromAnsi(dev));
      }
      return true;
    }
    case StatisticsFamily::Win9x: break;
  }
  StatsRegistry* reg = services_.registry;
  if (!reg) return false;
  const auto enumKey =
      reg->Open(StatsRoot::LocalMachine, "System\\CurrentControlSet\\Control\\PerfStats\\Enum", false);
  const auto startKey = reg->Open(StatsRoot::DynData, "PerfStats\\StartStat", false);
  const bool opened = enumKey >= 0 && startKey >= 0;
  if (opened) {
    for (uint32_t i = 0;; ++i) {
      auto name = reg->SubKey(enumKey, i);
      if (!name) break;
      if (name->size() > 32) name->resize(32);
      if (reg->Value(startKey, *name + "\\ConnectSpeed")) duna_.push_back(*name);
    }
  }
  if (enumKey >= 0) reg->Close(enumKey);
  if (startKey >= 0) reg->Close(startKey);
  std::stable_sort(duna_.begin(), duna_.end(), LessIgnoreCase);
  return opened;
}

bool DialUp::StartStatistics(bool start, bool findAdapter) {
  switch (services_.family) {
    case StatisticsFamily::WinNT:
      if (start) GetStatistics();
      ResetStatistics();
      return true;
    case StatisticsFamily::Device:
      if (findAdapter) {
        FindAdapters();
        if (duna_.empty()) return false;
        // The connection listed last is the one the program counts.
        dunaKey_ = duna_.back();
      }
      if (!ReadDeviceCounters()) return false;
      ResetStatistics();
      return true;
    case StatisticsFamily::Win9x: break;
  }
  if (findAdapter) {
    FindAdapters();
    if (duna_.empty()) return false;
    dunaKey_ = duna_.front();
  }
  StatsRegistry* reg = services_.registry;
  if (!reg) return false;
  const auto key =
      reg->Open(StatsRoot::DynData, start ? "PerfStats\\StartStat" : "PerfStats\\StopStat", true);
  bool ok = key >= 0 && reg->Value(key, dunaKey_ + "\\TotalBytesXmit") &&
            reg->Value(key, dunaKey_ + "\\TotalBytesRecvd") && reg->Value(key, dunaKey_ + "\\ConnectSpeed");
  if (key >= 0) reg->Close(key);
  if (ok) {
    if (start) ok = GetStatistics();
    ResetStatistics();
  }
  return ok;
}

bool DialUp::ResumeStatistics(uint64_t received, uint64_t sent) {
  if (!StartStatistics(true, true)) return false;
  if (services_.family != StatisticsFamily::Device || rawRecv_ < received || rawXmit_ < sent) return true;
  baseRecv_ = received;
  baseXmit_ = sent;
  bytesRecv_ = rawRecv_ - baseRecv_;
  bytesXmit_ = rawXmit_ - baseXmit_;
  return true;
}

bool DialUp::GetStatistics() {
  switch (services_.family) {
    case StatisticsFamily::Win9x: return GetStatisticsWin9x();
    case StatisticsFamily::WinNT: return GetStatisticsNT();
    case StatisticsFamily::Device: return GetStatisticsDevice();
  }
  return false;
}

void DialUp::ResetStatistics() {
  baseXmit_ = rawXmit_;
  baseRecv_ = rawRecv_;
  bytesXmit_ = 0;
  bytesRecv_ = 0;
}

bool DialUp::GetStatisticsWin9x() {
  StatsRegistry* reg = services_.registry;
  if (!reg) return false;
  const auto key = reg->Open(StatsRoot::DynData, "PerfStats\\StatData", false);
  if (key < 0) return false;
  std::optional<uint32_t> xmit, recv, speed;
  xmit = Dword(reg->Value(key, dunaKey_ + "\\TotalBytesXmit"));
  if (xmit) recv = Dword(reg->Value(key, dunaKey_ + "\\TotalBytesRecvd"));
  if (recv) speed = Dword(reg->Value(key, dunaKey_ + "\\ConnectSpeed"));
  reg->Close(key);
  if (!speed) return false;
  rawXmit_ = *xmit;
  rawRecv_ = *recv;
  // The platform restarted its counter: count from here.
  if (rawXmit_ < baseXmit_) ResetStatistics();
  if (rawRecv_ < baseRecv_) ResetStatistics();
  connectionSpeed_ = *speed;
  bytesXmit_ = uint32_t(uint32_t(rawXmit_) - uint32_t(baseXmit_));
  bytesRecv_ = uint32_t(uint32_t(rawRecv_) - uint32_t(baseRecv_));
  return true;
}

bool DialUp::ReadDeviceCounters() {
  InterfaceCounters* c = services_.counters;
  if (!c || dunaKey_.empty()) return false;
  const auto tx = c->SentBytes(dunaKey_);
  const auto rx = c->ReceivedBytes(dunaKey_);
  if (!tx || !rx) return false;
  rawXmit_ = *tx;
  rawRecv_ = *rx;
  return true;
}

bool DialUp::GetStatisticsDevice() {
  if (!ReadDeviceCounters()) return false;
  // A device created anew (redial) starts again from zero.
  if (rawXmit_ < baseXmit_) ResetStatistics();
  if (rawRecv_ < baseRecv_) ResetStatistics();
  bytesXmit_ = rawXmit_ - baseXmit_;
  bytesRecv_ = rawRecv_ - baseRecv_;
  return true;
}

// Walks the performance data block of object 906. Every offset and length
// comes from the data, so each is checked against the bytes received; a
// block that points outside them is not read.
bool DialUp::GetStatisticsNT() {
  PerformanceData* perf = services_.performance;
  if (!perf) return false;
  if (g_perfBufferSize == 0) g_perfBufferSize = 8192;
  std::vector<uint8_t> buf(g_perfBufferSize, 0);
  uint32_t size = g_perfBufferSize;
  uint32_t code = perf->Query("906", buf.data(), size);
  while (code == ras::kErrorMoreData) {
    if (g_perfBufferSize >= kMaxPerfBufferSize) return false;
    g_perfBufferSize += 1024;
    buf.assign(g_perfBufferSize, 0);
    size = g_perfBufferSize;
    code = perf->Query("906", buf.data(), size);
  }
  if (code != 0) return false;
  size = std::min<uint32_t>(size, uint32_t(buf.size()));
  if (size < 100) return false;
  const uint8_t* data = buf.data();
  auto fits = [size](uint64_t off, uint64_t len) { return off + len <= size; };

  // PERF_DATA_BLOCK: HeaderLength at 24, NumObjectTypes at 28.
  const uint32_t numObjects = GetU32(data + 28);
  if (numObjects == 0) return false;
  uint64_t object = GetU32(data + 24);

  // Stored only when the whole block reads well.
  uint64_t xmit = bytesXmit_, recv = bytesRecv_;
  struct Counter {
    uint32_t index;
    uint32_t offset;
  };
  auto readBlock = [&](uint64_t block, const std::vector<Counter>& counters) {
    for (const Counter& c : counters) {
      if (c.index != 872 && c.index != 874) continue;
      if (!fits(block + c.offset, 4)) return false;
      const int64_t value = GetU32(data + block + c.offset);
      uint64_t& target = c.index == 872 ? xmit : recv;
      if (value > int64_t(target)) target = uint64_t(value);
    }
    return true;
  };

  for (uint32_t o = 0; o < numObjects; ++o) {
    ProcessMessages();
    // PERF_OBJECT_TYPE (64 bytes): TotalByteLength 0, HeaderLength 8,
    // NumCounters 32, NumInstances 40.
    if (!fits(object, 64)) return false;
    const uint32_t totalLength = GetU32(data + object);
    const uint32_t headerLength = GetU32(data + object + 8);
    const uint32_t numCounters = GetU32(data + object + 32);
    const int32_t numInstances = int32_t(GetU32(data + object + 40));
    if (numCounters > 50) return false;
    std::vector<Counter> counters;
    uint64_t def = object + headerLength;
    for (uint32_t c = 0; c < numCounters; ++c) {
      ProcessMessages();
      // PERF_COUNTER_DEFINITION (40 bytes): ByteLength 0,
      // CounterNameTitleIndex 4, CounterOffset 36.
      if (!fits(def, 40)) return false;
      const uint32_t byteLength = GetU32(data + def);
      if (byteLength < 40) return false;
      counters.push_back({GetU32(data + def + 4), GetU32(data + def + 36)});
      def += byteLength;
    }
    uint64_t pos = def;
    if (numInstances >= 1) {
      for (int32_t i = 0; i < numInstances; ++i) {
        // PERF_INSTANCE_DEFINITION: ByteLength 0 (24 bytes and the name).
        if (!fits(pos, 24)) return false;
        const uint32_t instanceLength = GetU32(data + pos);
        if (instanceLength < 24) return false;
        const uint64_t block = pos + instanceLength;
        // PERF_COUNTER_BLOCK: ByteLength 0.
        if (!fits(block, 4)) return false;
        const uint32_t blockLength = GetU32(data + block);
        if (blockLength < 4) return false;
        if (!readBlock(block, counters)) return false;
        pos = block + blockLength;
      }
    } else {
      if (!fits(pos, 4)) return false;
      if (!readBlock(pos, counters)) return false;
    }
    if (totalLength == 0) return false;
    object += totalLength;
  }
  bytesXmit_ = xmit;
  bytesRecv_ = recv;
  return true;
}

}  // namespace tarifuhr
