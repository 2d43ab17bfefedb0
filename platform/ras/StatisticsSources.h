// SPDX-License-Identifier: MIT
#pragma once
// Where the dial-up traffic counters come from. Three families:
// - the registry's dynamic data of Windows 95/98/ME (PerfStats keys),
// - the performance data block of Windows NT (object 906),
// - the kernel's counters of the connection's network device.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarifuhr {

enum class StatisticsFamily { Win9x, WinNT, Device };

// The part of the registry the Windows 95/98/ME statistics read.
enum class StatsRoot { LocalMachine, DynData };

class StatsRegistry {
 public:
  using Key = int;  // >= 0 when open
  virtual ~StatsRegistry() = default;
  // -1 when the key cannot be opened. `fullAccess` asks for write access.
  virtual Key Open(StatsRoot root, const std::string& path, bool fullAccess) = 0;
  virtual void Close(Key key) = 0;
  // Name of the index-th subkey; nullopt past the last.
  virtual std::optional<std::string> SubKey(Key key, uint32_t index) = 0;
  // Data of a value; nullopt when it is missing. Reading a StartStat or
  // StopStat value starts or stops the platform's counting.
  virtual std::optional<std::vector<uint8_t>> Value(Key key, const std::string& name) = 0;
};

// HKEY_PERFORMANCE_DATA: the query of one value ("906") into a buffer of
// `size` bytes. Returns 0 and sets `size` to the bytes written, 234 when
// the buffer is too small, or another platform code.
class PerformanceData {
 public:
  virtual ~PerformanceData() = default;
  virtual uint32_t Query(const std::string& value, uint8_t* buffer, uint32_t& size) = 0;
};

// Byte counters of a network device ("ppp0"); nullopt when the device or
// the counter is missing.
class InterfaceCounters {
 public:
  virtual ~InterfaceCounters() = default;
  virtual std::optional<uint64_t> ReceivedBytes(const std::string& device) = 0;
  virtual std::optional<uint64_t> SentBytes(const std::string& device) = 0;
};

// The kernel's counters: <root>/<device>/statistics/{rx,tx}_bytes, root
// /sys/class/net. They count from the device's creation, so users take a
// baseline at the connection's start.
class SysfsInterfaceCounters final : public InterfaceCounters {
 public:
  explicit SysfsInterfaceCounters(std::string root = "/sys/class/net") : root_(std::move(root)) {}
  std::optional<uint64_t> ReceivedBytes(const std::string& device) override;
  std::optional<uint64_t> SentBytes(const std::string& device) override;

 private:
  std::optional<uint64_t> Read(const std::string& device, const char* counter) const;
  std::string root_;
};

}  // namespace tarifuhr
