// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "accounting/ConnectionLog.h"
#include "tests/accounting/FakeLogList.h"
#include "tests/support/Bytes.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

using testing::Bytes;
using testing::FakeLogList;
using testing::ReadFileBytes;
using testing::SevenPixelsPerByte;
using testing::TempDir;
using testing::WriteFileBytes;

const TDateTime kStart = EncodeDate(2026, 12, 7) + EncodeTime(8, 5, 3);

// Record `n` of a log as the old program wrote it.
std::string OldRecord(int n) {
  return Bytes(64)
      .Str(0, "Entry " + std::to_string(n))
      .F64(24, kStart)
      .F64(32, kStart + EncodeTime(0, 1, 0))
      .I32(40, 60 + n)
      .F64(48, 11)
      .I32(56, 1000 * n)
      .I32(60, 200)
      .str();
}

class ConnectionLogTest : public ::testing::Test {
 protected:
  int Load() { return LoadLog(log, list, SevenPixelsPerByte, RegionalSettings::German()); }
  TempDir dir;
  ConnectionLog log{dir.File("dialup.otl")};
  FakeLogList list;
};

TEST_F(ConnectionLogTest, RecordLayoutMatchesTheOldProgramsFiles) {
  const std::string old = Bytes(64)
                              .Str(0, "M\xFCnchen")
                              .F64(24, kStart)
                              .F64(32, kStart + 0.01)
                              .I32(40, 864)
                              .F64(48, 59.5)
                              .I32(56, 123456)
                              .I32(60, -2)  // 0xFFFFFFFE: an old count past 2 GiB
                              .str();
  const ConnectionRecord r = DecodeConnection(reinterpret_cast<const uint8_t*>(old.data()));
  EXPECT_EQ(r.entry, "München");
  EXPECT_EQ(r.start, kStart);
  EXPECT_EQ(r.end, kStart + 0.01);
  EXPECT_EQ(r.seconds, 864);
  EXPECT_EQ(r.cost, 59.5);
  EXPECT_EQ(r.received, 123456);
  EXPECT_EQ(r.sent, 4294967294);
  const auto again = EncodeConnection(r);
  EXPECT_EQ(std::string(again.begin(), again.end()), old);

  ConnectionRecord big = r;
  big.received = 0x0000'1234'5678'9ABCLL;
  const auto bytes = EncodeConnection(big);
  const std::string s(bytes.begin(), bytes.end());
  EXPECT_EQ(static_cast<uint32_t>(testing::ReadI32(s, 56)), 0x56789ABCu);
  EXPECT_EQ(s.substr(44, 2), "\x34\x12");
  EXPECT_EQ(DecodeConnection(bytes.data()), big);
}

TEST_F(ConnectionLogTest, ShowsTheLastThirtyRecordsOldestFirst) {
  std::string file;
  for (int n = 1; n <= 31; ++n) file += OldRecord(n);
  WriteFileBytes(log.Path(), file);
  EXPECT_EQ(Load(), 30);
  EXPECT_EQ(list.lines.front().substr(0, 8), "Entry 2\t");
  EXPECT_EQ(list.lines.back().substr(0, 9), "Entry 31\t");
  EXPECT_EQ(list.selected, 29);

  WriteFileBytes(log.Path(), file.substr(0, 30 * 64));
  EXPECT_EQ(Load(), 30);
  EXPECT_EQ(list.lines.front().substr(0, 8), "Entry 1\t");
}

TEST_F(ConnectionLogTest, AMissingLogIsCreatedEmpty) {
  list.lines = {"stale"};
  EXPECT_EQ(Load(), 0);
  EXPECT_TRUE(list.lines.empty());
  EXPECT_TRUE(std::filesystem::exists(log.Path()));
  EXPECT_EQ(std::filesystem::file_size(log.Path()), 0u);
}

TEST_F(ConnectionLogTest, ATornLastRecordHidesNothingAndIsCutBeforeTheNextAppend) {
  std::string file;
  for (int n = 1; n <= 5; ++n) file += OldRecord(n);
  WriteFileBytes(log.Path(), file + OldRecord(6).substr(0, 10));
  EXPECT_EQ(Load(), 5) << "every complete record, the last one included";
  EXPECT_EQ(list.lines.back().substr(0, 8), "Entry 5\t");

  ConnectionRecord next;
  next.entry = "Neu";
  next.seconds = 7;
  log.Append(next);
  const std::string after = ReadFileBytes(log.Path());
  ASSERT_EQ(after.size(), 6u * 64);
  EXPECT_EQ(after.substr(0, 5 * 64), file);
  EXPECT_EQ(after.substr(5 * 64, 4), "\x03Neu");
}

TEST_F(ConnectionLogTest, EveryLengthUpTo200BytesLoads) {
  std::string file;
  for (int n = 1; n <= 4; ++n) file += OldRecord(n);
  for (size_t len = 0; len <= 200; ++len) {
    WriteFileBytes(log.Path(), file.substr(0, len));
    EXPECT_EQ(Load(), static_cast<int>(len / 64)) << len;
  }
}

TEST_F(ConnectionLogTest, AppendAddsExactlyOneRecordAtTheEnd) {
  ConnectionRecord r;
  r.entry = "T-Online";
  r.start = kStart;
  r.end = kStart + EncodeTime(0, 30, 0);
  r.seconds = 1800;
  r.cost = 95;
  r.received = 5000;
  r.sent = 700;
  log.Append(r);
  log.Append(r);
  const std::string bytes = ReadFileBytes(log.Path());
  ASSERT_EQ(bytes.size(), 128u);
  EXPECT_EQ(bytes.substr(64), bytes.substr(0, 64));
  EXPECT_EQ(testing::ReadI32(bytes, 40), 1800);
  EXPECT_EQ(testing::ReadF64(bytes, 48), 95);
  EXPECT_EQ(log.ReadTail(30), (std::vector<ConnectionRecord>{r, r}));
}

TEST_F(ConnectionLogTest, LineColumns) {
  ConnectionRecord r;
  r.entry = "Arcor";
  r.start = kStart;
  r.end = kStart + EncodeTime(0, 0, 59, 900);  // shown truncated: 08:06:02
  r.seconds = 59;
  r.cost = 0;
  const RegionalSettings de = RegionalSettings::German();
  EXPECT_EQ(FormatLogLine(r, SevenPixelsPerByte, de),
            "Arcor\t07.12.2026 08:05:03\t08:06:02\t00:00:59\t0 B   \t0,00");

  r.entry = "A very long entry";  // 17 bytes, 119 px: cut to 9 (63 px)
  r.received = 999'999'000;
  r.sent = 1'000;
  r.cost = 1234;
  EXPECT_EQ(FormatLogLine(r, SevenPixelsPerByte, de),
            "A very lo\t07.12.2026 08:05:03\t08:06:02\t00:00:59\t1.000.000.00\t12,34");

  r.entry = "Fits";
  r.received = 100'000'000;
  r.sent = 0;
  r.cost = 5;
  EXPECT_EQ(FormatLogLine(r, SevenPixelsPerByte, de),
            "Fits\t07.12.2026 08:05:03\t08:06:02\t00:00:59\t100.000.000 B\t0,05");

  // A time format longer than 8 characters loses its last four.
  RegionalSettings us{'.', "MM/dd/yyyy", "hh:mm:ss AP"};
  r.received = -5;
  EXPECT_EQ(FormatLogLine(r, SevenPixelsPerByte, us),
            "Fits\t12/07/2026 08:05:0\t08:06:0\t00:00:59\t-5 B   \t0.05");
}

TEST_F(ConnectionLogTest, TheLiveLineReplacesItsPlaceAndKeepsTheNewestInView) {
  list.lines = {"a", "b"};
  ConnectionRecord r;
  r.entry = "Live";
  ShowLogLine(r, 2, list, SevenPixelsPerByte, RegionalSettings::German());
  ASSERT_EQ(list.lines.size(), 3u);
  r.seconds = 1;
  ShowLogLine(r, 2, list, SevenPixelsPerByte, RegionalSettings::German());
  ASSERT_EQ(list.lines.size(), 3u);
  EXPECT_NE(list.lines[2].find("00:00:01"), std::string::npos);
  EXPECT_EQ(list.selected, 2);
  list.focused = true;
  list.selected = 0;
  ShowLogLine(r, -1, list, SevenPixelsPerByte, RegionalSettings::German());
  EXPECT_EQ(list.lines.size(), 4u);
  EXPECT_EQ(list.selected, 0) << "a focused list keeps the user's selection";
}

}  // namespace
}  // namespace tarifuhr
