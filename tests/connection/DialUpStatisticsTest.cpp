// SPDX-License-Identifier: MIT
// Traffic statistics of the dial-up component: the Windows 95/98/ME
// registry data, the NT performance data block (built byte by byte) and
// the device counters.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "connection/DialUp.h"
#include "platform/MessagePump.h"
#include "tests/connection/FakeRas.h"

namespace tarifuhr {
namespace {

using ::testing::ElementsAre;

void ExpectCounts(DialUp& d, uint64_t xmit, uint64_t recv) {
  EXPECT_EQ(d.BytesXmit(), xmit);
  EXPECT_EQ(d.BytesRecv(), recv);
}

// ---- Windows 95/98/ME

class FakeStatsRegistry : public StatsRegistry {
 public:
  // Keys by "root:path": subkey names and values (4-byte data).
  struct KeyData {
    std::vector<std::string> subKeys;
    std::map<std::string, std::vector<uint8_t>> values;
  };
  std::map<std::string, KeyData> keys;
  std::vector<std::string> reads;
  std::set<Key> open;

  static std::string Name(StatsRoot r, const std::string& path) {
    return (r == StatsRoot::DynData ? "DYN:" : "HKLM:") + path;
  }
  Key Open(StatsRoot root, const std::string& path, bool) override {
    auto it = keys.find(Name(root, path));
    if (it == keys.end()) return -1;
    const Key k = Key(std::distance(keys.begin(), it)) + 100 * nextOpen_++;
    handles_[k] = it->first;
    open.insert(k);
    return k;
  }
  void Close(Key key) override { EXPECT_EQ(open.erase(key), 1u); }
  std::optional<std::string> SubKey(Key key, uint32_t index) override {
    const auto& d = keys.at(handles_.at(key));
    if (index >= d.subKeys.size()) return std::nullopt;
    return d.subKeys[index];
  }
  std::optional<std::vector<uint8_t>> Value(Key key, const std::string& name) override {
    reads.push_back(handles_.at(key) + "\\" + name);
    const auto& d = keys.at(handles_.at(key));
    auto it = d.values.find(name);
    if (it == d.values.end()) return std::nullopt;
    return it->second;
  }

 private:
  std::map<Key, std::string> handles_;
  int nextOpen_ = 0;
};

struct Win9xFixture : ::testing::Test {
  FakeStatsRegistry reg;
  RasLibraries libs;
  RasBinder binder{libs};
  DialUpServices Services() { return {&binder, StatisticsFamily::Win9x, &reg}; }
  std::vector<std::string>& Enum() {
    return reg
        .keys[FakeStatsRegistry::Name(StatsRoot::LocalMachine,
                                      "System\\CurrentControlSet\\Control\\PerfStats\\Enum")]
        .subKeys;
  }
  // Start values are zero; `Data` sets the current ones.
  void Adapter(const std::string& name, uint32_t xmit, uint32_t recv, uint32_t speed) {
    for (const char* v : {"\\TotalBytesXmit", "\\TotalBytesRecvd", "\\ConnectSpeed"})
      Set("StartStat", name + v, 0);
    Data(name, xmit, recv, speed);
  }
  void Data(const std::string& name, uint32_t xmit, uint32_t recv, uint32_t speed) {
    Set("StatData", name + "\\TotalBytesXmit", xmit);
    Set("StatData", name + "\\TotalBytesRecvd", recv);
    Set("StatData", name + "\\ConnectSpeed", speed);
  }
  void Set(const std::string& key, const std::string& value, uint32_t v) {
    auto& d = reg.keys[FakeStatsRegistry::Name(StatsRoot::DynData, "PerfStats\\" + key)].values[value];
    d.resize(4);
    PutU32(d.data(), v);
  }
};

TEST_F(Win9xFixture, TwoAdaptersSortWithoutRegardToCaseAndTheFirstIsCounted) {
  Enum() = {"Dial-Up Adapter #2", "NoStats", "dial-up adapter"};
  Adapter("Dial-Up Adapter #2", 900, 900, 28800);
  Adapter("dial-up adapter", 1000, 5000, 56000);
  DialUp d(Services());  // construction finds the adapters
  EXPECT_THAT(d.DUNA(), ElementsAre("dial-up adapter", "Dial-Up Adapter #2"));

  ASSERT_TRUE(d.StartStatistics(true, true));
  EXPECT_EQ(d.DUNA_Key(), "dial-up adapter");
  // Reading the start values starts counting: in this order.
  EXPECT_THAT(std::vector<std::string>(reg.reads.end() - 6, reg.reads.end() - 3),
              ElementsAre("DYN:PerfStats\\StartStat\\dial-up adapter\\TotalBytesXmit",
                          "DYN:PerfStats\\StartStat\\dial-up adapter\\TotalBytesRecvd",
                          "DYN:PerfStats\\StartStat\\dial-up adapter\\ConnectSpeed"));
  ExpectCounts(d, 0, 0);
  EXPECT_EQ(d.ConnectionSpeed(), 56000u);

  // Sent counter restarts by the platform: count from the new value.
  const struct {
    uint32_t xmit, recv;
    uint64_t wantXmit, wantRecv;
  } steps[] = {{1500, 9000, 500, 4000}, {200, 9500, 0, 0}, {260, 9600, 60, 100}};
  for (const auto& s : steps) {
    Data("dial-up adapter", s.xmit, s.recv, 56000);
    ASSERT_TRUE(d.GetStatistics());
    ExpectCounts(d, s.wantXmit, s.wantRecv);
  }
  EXPECT_TRUE(reg.open.empty());
}

TEST_F(Win9xFixture, MissingKeysOrValuesLeaveTheCountsAlone) {
  DialUp d(Services());
  EXPECT_FALSE(d.FindAdapters());
  EXPECT_FALSE(d.StartStatistics(true, true));

  Enum() = {"A"};
  Adapter("A", 10, 20, 9600);
  ASSERT_TRUE(d.StartStatistics(true, true));
  Data("A", 15, 30, 9600);
  ASSERT_TRUE(d.GetStatistics());
  // Speed missing: false, nothing changes.
  Data("A", 99, 99, 0);
  reg.keys[FakeStatsRegistry::Name(StatsRoot::DynData, "PerfStats\\StatData")].values.erase(
      "A\\ConnectSpeed");
  EXPECT_FALSE(d.GetStatistics());
  ExpectCounts(d, 5, 10);
  EXPECT_EQ(d.ConnectionSpeed(), 9600u);
  // Stopping reads the stop key, which is missing here.
  EXPECT_FALSE(d.StartStatistics(false, false));
  EXPECT_TRUE(reg.open.empty());
}

// ---- Windows NT: the performance data block, byte by byte

struct Port {
  uint32_t sent, received;
};

// One object 906 with counters 872 (sent) and 874 (received) and one
// instance per port; no instances when `instances` is false.
std::vector<uint8_t> PerfBlock(const std::vector<Port>& ports, bool instances = true) {
  std::vector<uint8_t> b = {'P', 0, 'E', 0, 'R', 0, 'F', 0};
  auto u32 = [&](std::initializer_list<uint32_t> values) {
    for (uint32_t v : values) {
      b.resize(b.size() + 4);
      PutU32(b.data() + b.size() - 4, v);
    }
  };
  auto zero = [&](size_t n) { b.resize(b.size() + n, 0); };
  // PERF_DATA_BLOCK of 88 bytes: LittleEndian, Version, Revision,
  // TotalByteLength (set below), HeaderLength, NumObjectTypes, DefaultObject.
  u32({1, 1, 1, 0, 88, 1, 0});
  zero(88 - b.size());
  const size_t object = b.size();
  // PERF_OBJECT_TYPE of 64 bytes: lengths (set below), header length, name
  // and help, DetailLevel, NumCounters, DefaultCounter, NumInstances, CodePage.
  u32({0, 0, 64, 906, 0, 907, 0, 100, 3, 0, instances ? uint32_t(ports.size()) : uint32_t(-1), 0});
  zero(16);
  // Three PERF_COUNTER_DEFINITIONs of 40 bytes: an unrelated counter, 874
  // at offset 12 and 872 at offset 8.
  for (auto [index, offset] : {std::pair{870u, 4u}, {874u, 12u}, {872u, 8u}}) {
    u32({40, index});
    zero(20);
    u32({0x10000, 4, offset});  // CounterType, CounterSize, CounterOffset
  }
  PutU32(b.data() + object + 4, uint32_t(b.size() - object));
  char n = '1';
  for (const Port& p : ports) {
    if (instances) {
      // PERF_INSTANCE_DEFINITION with the name "COMn" in UTF-16.
      u32({24 + 12, 0, 0, uint32_t(-1), 24, 10});
      const char name[] = {'C', 0, 'O', 0, 'M', 0, n++, 0, 0, 0, 0, 0};
      b.insert(b.end(), name, name + 12);
    }
    u32({16, 77, p.sent, p.received});  // PERF_COUNTER_BLOCK
  }
  PutU32(b.data() + object, uint32_t(b.size() - object));
  PutU32(b.data() + 20, uint32_t(b.size()));
  return b;
}

class FakePerformanceData : public PerformanceData {
 public:
  std::vector<uint8_t> block;
  std::vector<uint32_t> sizesAsked;
  uint32_t Query(const std::string& value, uint8_t* buffer, uint32_t& size) override {
    EXPECT_EQ(value, "906");
    sizesAsked.push_back(size);
    if (block.size() > size) return ras::kErrorMoreData;
    std::copy(block.begin(), block.end(), buffer);
    size = uint32_t(block.size());
    return 0;
  }
};

struct NtFixture : ::testing::Test {
  FakePerformanceData perf;
  RasLibraries libs;
  RasBinder binder{libs};
  DialUpServices Services() { return {&binder, StatisticsFamily::WinNT, nullptr, &perf}; }
};

TEST_F(NtFixture, TwoPortsGiveTheLargerCounts) {
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  perf.block = PerfBlock({{300, 1000}, {700, 5000}});
  DialUp d(Services());
  EXPECT_FALSE(d.FindAdapters());
  ASSERT_TRUE(d.StartStatistics(true, true));
  EXPECT_EQ(d.BytesRecv(), 0u);  // reset after the first read
  ASSERT_TRUE(d.GetStatistics());
  ExpectCounts(d, 700, 5000);
  EXPECT_EQ(d.ConnectionSpeed(), 0u);
  EXPECT_EQ(pumped, 2 * (1 + 3));  // per object and per counter, two reads
  // Never decreases between resets.
  perf.block = PerfBlock({{10, 20}});
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 5000u);
  d.ResetStatistics();
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 20u);
  SetMessagePump({});

  // An object without instances has a single counter block.
  perf.block = PerfBlock({{1234, 4321}}, false);
  DialUp single(Services());
  ASSERT_TRUE(single.GetStatistics());
  ExpectCounts(single, 1234, 4321);
}

TEST_F(NtFixture, BufferGrowsByKilobytesAndKeepsItsSize) {
  std::vector<Port> ports(200, Port{1, 2});  // a block larger than 8192 bytes
  ports[150] = {11, 22};
  perf.block = PerfBlock(ports);
  ASSERT_GT(perf.block.size(), 8192u);
  DialUp d(Services());
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 22u);
  ASSERT_GE(perf.sizesAsked.size(), 2u);
  EXPECT_EQ(perf.sizesAsked[1] - perf.sizesAsked[0], 1024u);
  const uint32_t grown = perf.sizesAsked.back();
  EXPECT_GE(grown, perf.block.size());
  perf.sizesAsked.clear();
  DialUp second(Services());
  ASSERT_TRUE(second.GetStatistics());
  EXPECT_THAT(perf.sizesAsked, ElementsAre(grown));
}

TEST_F(NtFixture, ShortOrBrokenBlocksAreRefused) {
  DialUp d(Services());
  perf.block.assign(99, 0);
  EXPECT_FALSE(d.GetStatistics());
  // Offsets pointing outside the data are not followed.
  const struct {
    size_t at;
    uint32_t value;
    const char* what;
  } breaks[] = {{28, 0, "no objects"},
                {88 + 32, 51, "more than 50 counters"},
                {88 + 64 + 40 + 36, 0x7fffffff, "874's offset outside"},
                {88 + 64, 0, "a counter definition of length 0"},
                {88 + 40, 1000, "more instances than data"}};
  for (const auto& br : breaks) {
    perf.block = PerfBlock({{5, 6}});
    PutU32(perf.block.data() + br.at, br.value);
    EXPECT_FALSE(d.GetStatistics()) << br.what;
  }
  EXPECT_EQ(d.BytesRecv(), 0u);
}

// ---- device counters

struct FakeCounters : InterfaceCounters {
  std::map<std::string, std::pair<uint64_t, uint64_t>> devices;  // rx, tx
  std::optional<uint64_t> ReceivedBytes(const std::string& d) override {
    return devices.count(d) ? std::optional(devices[d].first) : std::nullopt;
  }
  std::optional<uint64_t> SentBytes(const std::string& d) override {
    return devices.count(d) ? std::optional(devices[d].second) : std::nullopt;
  }
};

TEST(DeviceStatistics, CountFromTheConnectionsStartOnTheLastConnectionsDevice) {
  test::FakeRas fake;
  fake.connections = {{1, "LAN-Tarif", "ethernet", "eth0"}, {2, "Arcor", "modem", "ppp0"}};
  RasLibraries libs;
  libs.Register(kRasLibrary, fake.Library());
  RasBinder binder(libs);
  FakeCounters counters;
  // Counters since boot: these must not count.
  counters.devices["ppp0"] = {6'000'000'000ull, 1'000'000};
  counters.devices["eth0"] = {1, 1};
  DialUp d(DialUpServices{&binder, StatisticsFamily::Device, nullptr, nullptr, &counters});
  EXPECT_TRUE(d.DUNA().empty());
  ASSERT_TRUE(d.StartStatistics(true, true));
  EXPECT_THAT(d.DUNA(), ElementsAre("eth0", "ppp0"));
  EXPECT_EQ(d.DUNA_Key(), "ppp0");
  EXPECT_EQ(d.BytesRecv(), 0u);

  // Past 4 GiB without wrapping; then a new device of the same name
  // starts at zero.
  const struct {
    uint64_t rx, tx, wantRx, wantTx;
  } steps[] = {{11'000'000'000ull, 1'000'500, 5'000'000'000ull, 500}, {40, 30, 0, 0}, {140, 31, 100, 1}};
  for (const auto& s : steps) {
    counters.devices["ppp0"] = {s.rx, s.tx};
    ASSERT_TRUE(d.GetStatistics());
    ExpectCounts(d, s.wantTx, s.wantRx);
  }
  // The device went away: false, the counts stay.
  counters.devices.erase("ppp0");
  EXPECT_FALSE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 100u);
  fake.connections.clear();
  EXPECT_FALSE(d.StartStatistics(true, true));
}

TEST(DeviceStatistics, KernelCountersOfThisMachine) {
  SysfsInterfaceCounters sysfs;
  const auto rx = sysfs.ReceivedBytes("lo");
  if (!rx || !sysfs.SentBytes("lo")) GTEST_SKIP() << "no /sys/class/net/lo/statistics on this machine";
  EXPECT_GE(*sysfs.ReceivedBytes("lo"), *rx);
  EXPECT_FALSE(sysfs.ReceivedBytes("no-such-device"));
  EXPECT_FALSE(sysfs.ReceivedBytes("../lo"));
  EXPECT_FALSE(sysfs.SentBytes(""));
}

}  // namespace
}  // namespace tarifuhr
