// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "accounting/ConnectionHistory.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

ConnectionRecord Record(const std::string& entry, TDateTime start, TDateTime end, int32_t seconds, int64_t rx,
                        int64_t tx, double cost) {
  ConnectionRecord r;
  r.entry = entry;
  r.start = start;
  r.end = end;
  r.seconds = seconds;
  r.received = rx;
  r.sent = tx;
  r.cost = cost;
  return r;
}

const TDateTime kDay = EncodeDate(2026, 12, 7);

TEST(ConnectionHistory, AConnectionOverMidnightIsSharedByItsSeconds) {
  const std::vector<ConnectionRecord> log = {
      Record("A", kDay + EncodeTime(23, 30, 0), kDay + 1 + EncodeTime(0, 30, 0), 3600, 1001, 3, 10),
      Record("B", kDay + EncodeTime(9, 0, 0), kDay + EncodeTime(9, 1, 0), 60, 5, 6, 2),
      Record("A", kDay + EncodeTime(8, 0, 0), kDay + EncodeTime(8, 0, 30), 30, 7, 8, 1),
      Record("A", kDay - 3, kDay - 3 + 0.01, 864, 1, 1, 1),  // outside the days asked for
  };
  const std::vector<DayUse> use = UseByDay(log, kDay, kDay + 1);
  ASSERT_EQ(use.size(), 3u);
  EXPECT_EQ(use[0], (DayUse{kDay, "A", 30 + 1800, 7 + 500, 8 + 1, 1 + 5}));
  EXPECT_EQ(use[1], (DayUse{kDay, "B", 60, 5, 6, 2}));
  EXPECT_EQ(use[2].day, kDay + 1);
  EXPECT_NEAR(use[2].seconds, 1800, 1e-6);
  EXPECT_EQ(use[2].received + use[0].received - 7, 1001) << "no byte lost in the split";
  EXPECT_EQ(use[2].sent, 2);
  EXPECT_NEAR(use[2].cost, 5, 1e-9);
  EXPECT_TRUE(UseByDay({}, kDay, kDay + 30).empty());
}

TEST(ConnectionHistory, TheWholeLogIsReadWithoutChangingIt) {
  testing::TempDir dir;
  const std::string path = dir.File("dialup.otl");
  EXPECT_TRUE(ReadWholeLog(path).empty());
  EXPECT_FALSE(std::filesystem::exists(path)) << "a missing log is not created";

  const ConnectionLog log(path);
  for (int i = 0; i < 3; ++i) log.Append(Record("E" + std::to_string(i), kDay, kDay + 0.001, 86, i, i, i));
  std::filesystem::resize_file(path, 3 * kConnectionRecordSize + 10);  // a torn tail
  const std::vector<ConnectionRecord> all = ReadWholeLog(path);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[2].entry, "E2");
  EXPECT_EQ(std::filesystem::file_size(path), 3 * kConnectionRecordSize + 10);

  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_THROW(ReadWholeLog(path), FileError);
}

}  // namespace
}  // namespace tarifuhr
