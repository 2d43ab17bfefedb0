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
  void SetDword(StatsRoot r, const std::string& path, const std::string& value, uint32_t v) {
    auto& d = keys[Name(r, path)].values[value];
    d.resize(4);
    PutU32(d.data(), v);
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

const std::string kEnum = "System\\CurrentControlSet\\Control\\PerfStats\\Enum";

struct Win9xFixture : ::testing::Test {
  FakeStatsRegistry reg;
  RasLibraries libs;
  RasBinder binder{libs};
  DialUpServices Services() {
    DialUpServices s;
    s.binder = &binder;
    s.family = StatisticsFamily::Win9x;
    s.registry = &reg;
    return s;
  }
  void Adapter(const std::string& name, uint32_t xmit, uint32_t recv, uint32_t speed) {
    reg.SetDword(StatsRoot::DynData, "PerfStats\\StartStat", name + "\\ConnectSpeed", 0);
    reg.SetDword(StatsRoot::DynData, "PerfStats\\StartStat", name + "\\TotalBytesXmit", 0);
    reg.SetDword(StatsRoot::DynData, "PerfStats\\StartStat", name + "\\TotalBytesRecvd", 0);
    Data(name, xmit, recv, speed);
  }
  void Data(const std::string& name, uint32_t xmit, uint32_t recv, uint32_t speed) {
    reg.SetDword(StatsRoot::DynData, "PerfStats\\StatData", name + "\\TotalBytesXmit", xmit);
    reg.SetDword(StatsRoot::DynData, "PerfStats\\StatData", name + "\\TotalBytesRecvd", recv);
    reg.SetDword(StatsRoot::DynData, "PerfStats\\StatData", name + "\\ConnectSpeed", speed);
  }
};

TEST_F(Win9xFixture, TwoAdaptersSortWithoutRegardToCaseAndTheFirstIsCounted) {
  reg.keys[FakeStatsRegistry::Name(StatsRoot::LocalMachine, kEnum)].subKeys = {"Dial-Up Adapter #2", "NoStats",
                                                                              "dial-up adapter"};
  Adapter("Dial-Up Adapter #2", 900, 900, 28800);
  Adapter("dial-up adapter", 1000, 5000, 56000);
  TDialUp d(Services());  // construction finds the adapters
  EXPECT_THAT(d.DUNA(), ElementsAre("dial-up adapter", "Dial-Up Adapter #2"));
  EXPECT_TRUE(reg.open.empty());

  ASSERT_TRUE(d.StartStatistics(true, true));
  EXPECT_EQ(d.DUNA_Key(), "dial-up adapter");
  // Reading the start values starts counting: in this order.
  EXPECT_THAT(std::vector<std::string>(reg.reads.end() - 6, reg.reads.end() - 3),
              ElementsAre("DYN:PerfStats\\StartStat\\dial-up adapter\\TotalBytesXmit",
                          "DYN:PerfStats\\StartStat\\dial-up adapter\\TotalBytesRecvd",
                          "DYN:PerfStats\\StartStat\\dial-up adapter\\ConnectSpeed"));
  EXPECT_EQ(d.BytesXmit(), 0u);
  EXPECT_EQ(d.BytesRecv(), 0u);
  EXPECT_EQ(d.ConnectionSpeed(), 56000u);

  Data("dial-up adapter", 1500, 9000, 56000);
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesXmit(), 500u);
  EXPECT_EQ(d.BytesRecv(), 4000u);

  // The platform restarted its sent counter: count from the new value.
  Data("dial-up adapter", 200, 9500, 56000);
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesXmit(), 0u);
  EXPECT_EQ(d.BytesRecv(), 0u);
  Data("dial-up adapter", 260, 9600, 56000);
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesXmit(), 60u);
  EXPECT_EQ(d.BytesRecv(), 100u);
  EXPECT_TRUE(reg.open.empty());
}

TEST_F(Win9xFixture, MissingKeysOrValuesLeaveTheCountsAlone) {
  TDialUp d(Services());
  EXPECT_FALSE(d.FindAdapters());
  EXPECT_FALSE(d.StartStatistics(true, true));

  reg.keys[FakeStatsRegistry::Name(StatsRoot::LocalMachine, kEnum)].subKeys = {"A"};
  Adapter("A", 10, 20, 9600);
  ASSERT_TRUE(d.StartStatistics(true, true));
  Data("A", 15, 30, 9600);
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 10u);
  // Speed missing: false, nothing changes.
  reg.keys[FakeStatsRegistry::Name(StatsRoot::DynData, "PerfStats\\StatData")].values.erase("A\\ConnectSpeed");
  Data("A", 99, 99, 0);
  reg.keys[FakeStatsRegistry::Name(StatsRoot::DynData, "PerfStats\\StatData")].values.erase("A\\ConnectSpeed");
  EXPECT_FALSE(d.GetStatistics());
  EXPECT_EQ(d.BytesXmit(), 5u);
  EXPECT_EQ(d.BytesRecv(), 10u);
  EXPECT_EQ(d.ConnectionSpeed(), 9600u);
  // Stopping reads the stop key, which is missing here.
  EXPECT_FALSE(d.StartStatistics(false, false));
  EXPECT_TRUE(reg.open.empty());
}

// ---- Windows NT: the performance data block, byte by byte

class BlockBuilder {
 public:
  void U32(uint32_t v) {
    bytes.resize(bytes.size() + 4);
    PutU32(bytes.data() + bytes.size() - 4, v);
  }
  void Zero(size_t n) { bytes.resize(bytes.size() + n, 0); }
  void At(size_t pos, uint32_t v) { PutU32(bytes.data() + pos, v); }
  std::vector<uint8_t> bytes;
};

struct Port {
  uint32_t sent, received;
};

// One object 906 with counters 872 (sent) and 874 (received) and one
// instance per port; no instances when `ports` has one entry and
// `instances` is false.
std::vector<uint8_t> PerfBlock(const std::vector<Port>& ports, bool instances = true) {
  BlockBuilder b;
  // PERF_DATA_BLOCK, 88 bytes.
  b.bytes = {'P', 0, 'E', 0, 'R', 0, 'F', 0};
  b.U32(1);   // LittleEndian
  b.U32(1);   // Version
  b.U32(1);   // Revision
  b.U32(0);   // TotalByteLength, set below
  b.U32(88);  // HeaderLength
  b.U32(1);   // NumObjectTypes
  b.U32(0);   // DefaultObject
  b.Zero(88 - b.bytes.size());
  const size_t object = b.bytes.size();
  // PERF_OBJECT_TYPE, 64 bytes.
  b.U32(0);    // TotalByteLength, set below
  b.U32(0);    // DefinitionLength, set below
  b.U32(64);   // HeaderLength
  b.U32(906);  // ObjectNameTitleIndex
  b.U32(0);
  b.U32(907);
  b.U32(0);
  b.U32(100);  // DetailLevel
  b.U32(3);    // NumCounters
  b.U32(0);    // DefaultCounter
  b.U32(instances ? uint32_t(ports.size()) : uint32_t(-1));  // NumInstances
  b.U32(0);                                                  // CodePage
  b.Zero(16);
  // Three PERF_COUNTER_DEFINITIONs of 40 bytes: an unrelated counter, 874
  // at offset 12 and 872 at offset 8.
  for (auto [index, offset] : {std::pair{870u, 4u}, {874u, 12u}, {872u, 8u}}) {
    b.U32(40);
    b.U32(index);
    b.Zero(20);
    b.U32(0x10000);  // CounterType
    b.U32(4);        // CounterSize
    b.U32(offset);   // CounterOffset
  }
  b.At(object + 4, uint32_t(b.bytes.size() - object));
  int n = 0;
  for (const Port& p : ports) {
    if (instances) {
      // PERF_INSTANCE_DEFINITION with the name "COMn" in UTF-16.
      b.U32(24 + 12);
      b.U32(0);
      b.U32(0);
      b.U32(uint32_t(-1));
      b.U32(24);
      b.U32(10);
      const char name[] = {'C', 0, 'O', 0, 'M', 0, char('1' + n++), 0, 0, 0, 0, 0};
      b.bytes.insert(b.bytes.end(), name, name + 12);
    }
    // PERF_COUNTER_BLOCK of 16 bytes.
    b.U32(16);
    b.U32(77);
    b.U32(p.sent);
    b.U32(p.received);
  }
  b.At(object, uint32_t(b.bytes.size() - object));
  b.At(20, uint32_t(b.bytes.size()));
  return b.bytes;
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
  DialUpServices Services() {
    DialUpServices s;
    s.binder = &binder;
    s.family = StatisticsFamily::WinNT;
    s.performance = &perf;
    return s;
  }
};

TEST_F(NtFixture, TwoPortsGiveTheLargerCounts) {
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  perf.block = PerfBlock({{300, 1000}, {700, 5000}});
  TDialUp d(Services());
  EXPECT_FALSE(d.FindAdapters());
  ASSERT_TRUE(d.StartStatistics(true, true));
  EXPECT_EQ(d.BytesRecv(), 0u);  // reset after the first read
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 5000u);
  EXPECT_EQ(d.BytesXmit(), 700u);
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
}

TEST_F(NtFixture, ObjectWithoutInstancesHasOneCounterBlock) {
  perf.block = PerfBlock({{1234, 4321}}, false);
  TDialUp d(Services());
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesXmit(), 1234u);
  EXPECT_EQ(d.BytesRecv(), 4321u);
}

TEST_F(NtFixture, BufferGrowsByKilobytesAndKeepsItsSize) {
  // Many ports: the block is larger than 8192 bytes.
  std::vector<Port> ports(200, Port{1, 2});
  ports[150] = {11, 22};
  perf.block = PerfBlock(ports);
  ASSERT_GT(perf.block.size(), 8192u);
  TDialUp d(Services());
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 22u);
  ASSERT_GE(perf.sizesAsked.size(), 2u);
  EXPECT_EQ(perf.sizesAsked[1] - perf.sizesAsked[0], 1024u);
  const uint32_t grown = perf.sizesAsked.back();
  EXPECT_GE(grown, perf.block.size());
  perf.sizesAsked.clear();
  TDialUp second(Services());
  ASSERT_TRUE(second.GetStatistics());
  EXPECT_THAT(perf.sizesAsked, ElementsAre(grown));
}

TEST_F(NtFixture, ShortOrBrokenBlocksAreRefused) {
  TDialUp d(Services());
  perf.block.assign(99, 0);
  EXPECT_FALSE(d.GetStatistics());

  perf.block = PerfBlock({{5, 6}});
  PutU32(perf.block.data() + 28, 0);  // no objects
  EXPECT_FALSE(d.GetStatistics());

  perf.block = PerfBlock({{5, 6}});
  PutU32(perf.block.data() + 88 + 32, 51);  // more than 50 counters
  EXPECT_FALSE(d.GetStatistics());

  // Offsets pointing outside the data are not followed.
  perf.block = PerfBlock({{5, 6}});
  PutU32(perf.block.data() + 88 + 64 + 40 + 36, 0x7fffffff);  // 874's offset
  EXPECT_FALSE(d.GetStatistics());
  perf.block = PerfBlock({{5, 6}});
  PutU32(perf.block.data() + 88 + 64, 0);  // a counter definition of length 0
  EXPECT_FALSE(d.GetStatistics());
  perf.block = PerfBlock({{5, 6}});
  PutU32(perf.block.data() + 88 + 40, 1000);  // more instances than data
  EXPECT_FALSE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 0u);
}

// ---- device counters

class FakeCounters : public InterfaceCounters {
 public:
  std::map<std::string, std::pair<uint64_t, uint64_t>> devices;  // rx, tx
  std::optional<uint64_t> ReceivedBytes(const std::string& d) override {
    auto it = devices.find(d);
    return it == devices.end() ? std::nullopt : std::optional<uint64_t>(it->second.first);
  }
  std::optional<uint64_t> SentBytes(const std::string& d) override {
    auto it = devices.find(d);
    return it == devices.end() ? std::nullopt : std::optional<uint64_t>(it->second.second);
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
  DialUpServices s{&binder, StatisticsFamily::Device, nullptr, nullptr, &counters};
  TDialUp d(s);
  EXPECT_TRUE(d.DUNA().empty());
  ASSERT_TRUE(d.StartStatistics(true, true));
  EXPECT_THAT(d.DUNA(), ElementsAre("eth0", "ppp0"));
  EXPECT_EQ(d.DUNA_Key(), "ppp0");
  EXPECT_EQ(d.BytesRecv(), 0u);

  counters.devices["ppp0"] = {6'000'000'000ull + 5'000'000'000ull, 1'000'500};
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 5'000'000'000ull);  // past 4 GiB without wrapping
  EXPECT_EQ(d.BytesXmit(), 500u);

  // A new device of the same name starts at zero.
  counters.devices["ppp0"] = {40, 30};
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 0u);
  counters.devices["ppp0"] = {140, 31};
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 100u);
  EXPECT_EQ(d.BytesXmit(), 1u);

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
  const auto tx = sysfs.SentBytes("lo");
  if (!rx || !tx) GTEST_SKIP() << "no /sys/class/net/lo/statistics on this machine";
  EXPECT_GE(*sysfs.ReceivedBytes("lo"), *rx);
  EXPECT_FALSE(sysfs.ReceivedBytes("no-such-device"));
  EXPECT_FALSE(sysfs.ReceivedBytes("../lo"));
  EXPECT_FALSE(sysfs.SentBytes(""));
}

}  // namespace
}  // namespace tarifuhr
