// SPDX-License-Identifier: MIT
#include <charconv>

#include "platform/Files.h"
#include "platform/ras/StatisticsSources.h"

namespace tarifuhr {

std::optional<uint64_t> SysfsInterfaceCounters::Read(const std::string& device, const char* counter) const {
  // A device name is one path component; anything else is not a device.
  if (device.empty() || device == "." || device == ".." || device.find('/') != std::string::npos)
    return std::nullopt;
  constexpr size_t kMaxCounterBytes = 4096;  // one number
  auto text =
      ReadWholeFile(JoinPath(JoinPath(JoinPath(root_, device), "statistics"), counter), kMaxCounterBytes);
  if (!text) return std::nullopt;
  uint64_t value = 0;
  const char* end = text->data() + text->size();
  auto [p, ec] = std::from_chars(text->data(), end, value);
  if (ec != std::errc() || p == text->data()) return std::nullopt;
  while (p != end && (*p == '\n' || *p == ' ')) ++p;
  if (p != end) return std::nullopt;
  return value;
}

std::optional<uint64_t> SysfsInterfaceCounters::ReceivedBytes(const std::string& device) {
  return Read(device, "rx_bytes");
}

std::optional<uint64_t> SysfsInterfaceCounters::SentBytes(const std::string& device) {
  return Read(device, "tx_bytes");
}

}  // namespace tarifuhr
