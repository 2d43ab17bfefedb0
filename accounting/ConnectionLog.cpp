// SPDX-License-Identifier: MIT
#include "accounting/ConnectionLog.h"

#include "accounting/ByteLayout.h"
#include "accounting/Formats.h"
#include "platform/Codepage.h"
#include "platform/Files.h"

namespace tarifuhr {
namespace {

std::string CutTimeColumn(std::string column, size_t timeLength) {
  if (timeLength > 8) column.resize(column.size() >= 4 ? column.size() - 4 : 0);
  return column;
}

}  // namespace

std::array<uint8_t, kConnectionRecordSize> EncodeConnection(const ConnectionRecord& r) {
  std::array<uint8_t, kConnectionRecordSize> b{};
  uint8_t* p = b.data();
  PutShortString(p, 20, r.entry);
  PutF64(p + 24, r.start);
  PutF64(p + 32, r.end);
  PutI32(p + 40, r.seconds);
  PutU16(p + 44, static_cast<uint16_t>(static_cast<uint64_t>(r.received) >> 32));
  PutU16(p + 46, static_cast<uint16_t>(static_cast<uint64_t>(r.sent) >> 32));
  PutF64(p + 48, r.cost);
  PutU32(p + 56, static_cast<uint32_t>(r.received));
  PutU32(p + 60, static_cast<uint32_t>(r.sent));
  return b;
}

ConnectionRecord DecodeConnection(const uint8_t* p) {
  ConnectionRecord r;
  r.entry = GetShortString(p, 20);
  r.start = GetF64(p + 24);
  r.end = GetF64(p + 32);
  r.seconds = GetI32(p + 40);
  r.cost = GetF64(p + 48);
  r.received = JoinCount(GetU32(p + 56), GetU16(p + 44));
  r.sent = JoinCount(GetU32(p + 60), GetU16(p + 46));
  return r;
}

void ConnectionLog::Append(const ConnectionRecord& record) const {
  BinaryFile f;
  if (!f.Open(path_, BinaryFile::Mode::ReadWriteCreate)) throw FileError("geöffnet", path_, f.Errno());
  const int64_t size = f.Size();
  const int64_t whole = size - size % static_cast<int64_t>(kConnectionRecordSize);
  if (whole != size) f.Truncate(whole);  // a torn record from a crash
  const auto bytes = EncodeConnection(record);
  f.WriteAt(whole, bytes.data(), bytes.size());
  f.Sync();
}

std::vector<ConnectionRecord> ConnectionLog::ReadTail(size_t count) const {
  BinaryFile f;
  if (!f.Open(path_, BinaryFile::Mode::Read)) {
    BinaryFile create;
    create.Open(path_, BinaryFile::Mode::ReadWriteCreate);
    return {};
  }
  const int64_t records = f.Size() / static_cast<int64_t>(kConnectionRecordSize);
  const int64_t first = records > static_cast<int64_t>(count) ? records - count : 0;
  std::vector<uint8_t> buf(static_cast<size_t>(records - first) * kConnectionRecordSize);
  const size_t got = f.ReadAt(first * kConnectionRecordSize, buf.data(), buf.size());
  std::vector<ConnectionRecord> out;
  for (size_t off = 0; off + kConnectionRecordSize <= got; off += kConnectionRecordSize)
    out.push_back(DecodeConnection(buf.data() + off));
  return out;
}

std::string FormatLogLine(const ConnectionRecord& r, const TextWidthFn& width, const RegionalSettings& rs) {
  std::string entry = OneLine(r.entry);
  while (!entry.empty() && width(entry) > kEntryColumnPixels) DropLastCharacter(entry);

  const std::string startTime = FormatTime(rs, r.start);
  const std::string start = CutTimeColumn(FormatShortDate(rs, r.start) + " " + startTime, startTime.size());
  const std::string endTime = FormatTime(rs, r.end);
  const std::string end = CutTimeColumn(endTime, endTime.size());

  std::string traffic = FormatBytes(r.received + r.sent);
  if (traffic.size() >= 14)
    traffic.resize(12);
  else if (traffic.size() < 5)
    traffic += "   ";

  return entry + "\t" + start + "\t" + end + "\t" + FormatDuration(r.seconds) + "\t" + traffic + "\t" +
         FormatMoney(r.cost, rs);
}

namespace {

void ShowNewest(LogListView& view) {
  // A line the user picked in the list stays picked.
  if (view.HasFocus())
    view.ScrollToLast();
  else
    view.SelectLast();
}

}  // namespace

void ShowLogLine(const ConnectionRecord& r, int index, LogListView& view, const TextWidthFn& width,
                 const RegionalSettings& rs) {
  const std::string line = FormatLogLine(r, width, rs);
  view.BeginUpdate();
  const bool follow = view.ShowsLastLine();
  if (index < 0 || index >= view.Count())
    view.Add(line);
  else
    view.Set(index, line);
  if (follow) ShowNewest(view);
  view.EndUpdate();
}

int ShowLogRecords(const std::vector<ConnectionRecord>& records, LogListView& view, const TextWidthFn& width,
                   const RegionalSettings& rs) {
  view.BeginUpdate();
  const bool follow = view.ShowsLastLine();
  view.Clear();
  for (const ConnectionRecord& r : records) view.Add(FormatLogLine(r, width, rs));
  if (follow && view.Count() > 0) ShowNewest(view);
  view.EndUpdate();
  return view.Count();
}

int LoadLog(const ConnectionLog& log, LogListView& view, const TextWidthFn& width,
            const RegionalSettings& rs) {
  return ShowLogRecords(log.ReadTail(kHistoryLines), view, width, rs);
}

}  // namespace tarifuhr
