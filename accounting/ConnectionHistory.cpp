// SPDX-License-Identifier: MIT
#include "accounting/ConnectionHistory.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <map>
#include <utility>

#include "platform/Files.h"

namespace tarifuhr {

std::vector<ConnectionRecord> ReadWholeLog(const std::string& path) {
  BinaryFile f;
  if (!f.Open(path, BinaryFile::Mode::Read)) {
    if (f.Errno() == ENOENT) return {};
    throw FileError("gelesen", path, f.Errno());
  }
  const int64_t size = f.Size() / static_cast<int64_t>(kConnectionRecordSize) * kConnectionRecordSize;
  std::vector<ConnectionRecord> out;
  out.reserve(static_cast<size_t>(size) / kConnectionRecordSize);
  // In pieces: a log of years stays out of memory as a whole.
  std::vector<uint8_t> piece(4096 * kConnectionRecordSize);
  for (int64_t offset = 0; offset < size;) {
    const size_t want =
        static_cast<size_t>(std::min<int64_t>(size - offset, static_cast<int64_t>(piece.size())));
    errno = 0;
    const size_t got = f.ReadAt(offset, piece.data(), want);
    // Less than the size said: a folder, or a read error; not a log to trust.
    if (got < want) throw FileError("gelesen", path, errno != 0 ? errno : EIO);
    for (size_t off = 0; off < got; off += kConnectionRecordSize)
      out.push_back(DecodeConnection(piece.data() + off));
    offset += static_cast<int64_t>(got);
  }
  return out;
}

namespace {

// Whole bytes in proportion to `share`; the last day takes what is left.
int64_t BytesOf(int64_t total, double share, int64_t& given, bool last) {
  const int64_t part =
      last ? total - given : static_cast<int64_t>(std::floor(static_cast<double>(total) * share));
  given += part;
  return part;
}

}  // namespace

std::vector<DayUse> UseByDay(const std::vector<ConnectionRecord>& records, TDateTime firstDay,
                             TDateTime lastDay) {
  const auto firstIndex = static_cast<int64_t>(std::floor(firstDay));
  const auto lastIndex = static_cast<int64_t>(std::floor(lastDay));
  std::map<std::pair<int64_t, std::string>, DayUse> days;
  for (const ConnectionRecord& r : records) {
    if (!std::isfinite(r.start) || !std::isfinite(r.end)) continue;
    const auto startDay = static_cast<int64_t>(std::floor(r.start));
    // A record whose end lies before its start, or that spans more days than
    // a connection can, belongs to its first day only.
    const double length = r.end - r.start;
    const bool split = length > 0 && length < 400;
    const auto endDay = split ? static_cast<int64_t>(std::floor(r.end)) : startDay;
    if (endDay < firstIndex || startDay > lastIndex) continue;
    int64_t givenReceived = 0;
    int64_t givenSent = 0;
    for (int64_t day = startDay; day <= endDay; ++day) {
      const double from = std::max(r.start, static_cast<double>(day));
      const double to = std::min(r.end, static_cast<double>(day + 1));
      const double share = split ? (to - from) / length : 1.0;
      const bool last = day == endDay;
      const int64_t received = BytesOf(r.received, share, givenReceived, last);
      const int64_t sent = BytesOf(r.sent, share, givenSent, last);
      if (day < firstIndex || day > lastIndex) continue;
      DayUse& use = days[{day, r.entry}];
      use.day = static_cast<TDateTime>(day);
      use.entry = r.entry;
      use.seconds += r.seconds * share;
      use.received += received;
      use.sent += sent;
      use.cost += r.cost * share;
    }
  }
  std::vector<DayUse> out;
  out.reserve(days.size());
  for (auto& [key, use] : days) out.push_back(std::move(use));
  return out;
}

}  // namespace tarifuhr
