// SPDX-License-Identifier: MIT
// The dial-up component over the simulated network, as the program runs
// it: entries, a dial in both modes, the open connection, its addresses
// and its traffic counted from the connection's start.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "connection/DialUp.h"
#include "platform/sim/SimBackend.h"
#include "tests/support/TempDir.h"

// Entries name only the fields that differ from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarifuhr {
namespace {

using ::testing::ElementsAre;

struct OverSim : ::testing::Test {
  testing::TempDir dir;
  std::atomic<int64_t> nowMs{1'800'000'000'000};
  std::shared_ptr<SimNetwork> net = std::make_shared<SimNetwork>(dir.Path(), [this] { return nowMs.load(); });
  SimDialUpBackend backend{net};
  RasLibraries libs;
  RasBinder binder{libs};
  DialUp d{DialUpServices{&binder, StatisticsFamily::Device, nullptr, nullptr, &backend}};
  void SetUp() override {
    backend.Register(libs);
    net->AddEntry({.Name = "Arcor",
                   .CheckCredentials = true,
                   .ExpectedUser = "arcor",
                   .ExpectedPassword = "internet",
                   .RateRx = 4000,
                   .RateTx = 1000});
    net->AddEntry({.Name = "Besetzt", .FailCode = ras::kErrorLineBusy});
    d.SetEntry("Arcor");
  }
  void SaveCredentials() {
    ASSERT_EQ(d.SetUserName("arcor"), 0u);
    ASSERT_EQ(d.SetPassword("internet"), 0u);
  }
};

TEST_F(OverSim, SyncDialConnectsCountsAndHangsUp) {
  ASSERT_EQ(d.GetEntries(), 0u);
  EXPECT_THAT(d.Entries(), ElementsAre("Arcor", "Besetzt"));
  d.SetDialMode(DialMode::Sync);
  std::vector<std::string> events;
  d.OnNotConnected = [&](DialUp&, uint32_t code, const std::string&) {
    events.push_back(std::to_string(code));
  };
  d.OnConnect = [&](DialUp&) { events.push_back("connect"); };
  EXPECT_EQ(d.Dial(), ras::kErrorAuthenticationFailure);  // nothing saved yet
  SaveCredentials();
  ASSERT_EQ(d.Dial(), 0u);
  EXPECT_THAT(events, ElementsAre("691", "connect"));

  std::vector<std::string> open;
  d.OnActiveConnection = [&](DialUp&, uint32_t, const TRasConnStatus&, const std::string& text,
                             const std::string& entry, const std::string&,
                             const std::string& dev) { open.push_back(entry + "|" + text + "|" + dev); };
  ASSERT_EQ(d.GetActiveConnections(), 0u);
  EXPECT_THAT(open, ElementsAre("Arcor|Connected|sim" + std::to_string(d.DialHandle())));
  ASSERT_EQ(d.GetAddresses(d.DialHandle()), 0u);
  EXPECT_EQ(d.ClientIP(), "10.64.1.2");

  // Traffic before the statistics start does not count.
  nowMs += 10'000;
  ASSERT_TRUE(d.StartStatistics(true, true));
  EXPECT_EQ(d.BytesRecv(), 0u);
  nowMs += 3'000;
  ASSERT_EQ(net->AddTraffic("Arcor", 5, 0), 1u);
  ASSERT_TRUE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 12'005u);
  EXPECT_EQ(d.BytesXmit(), 3'000u);

  EXPECT_EQ(d.HangUp(), 0u);
  EXPECT_TRUE(net->Snapshot().Connections.empty());
  EXPECT_FALSE(d.GetStatistics());
  EXPECT_EQ(d.BytesRecv(), 12'005u);
  EXPECT_EQ(d.HangUp(), ras::kErrorInvalidHandle);  // the old handle again

  d.SetEntry("Besetzt");
  events.clear();
  EXPECT_EQ(d.Dial(), ras::kErrorLineBusy);
  EXPECT_THAT(events, ElementsAre("676"));
}

TEST_F(OverSim, AsyncDialNotifiesUntilConnected) {
  SaveCredentials();
  std::vector<uint32_t> states;
  d.OnAsyncEvent = [&](DialUp&, uint32_t state, uint32_t error, const std::string&) {
    EXPECT_EQ(error, 0u);
    states.push_back(state);
  };
  ASSERT_EQ(d.Dial(), 0u);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((states.empty() || states.back() != ras::kConnected) &&
         std::chrono::steady_clock::now() < deadline) {
    if (d.TimerEnabled())
      d.TimerHandler();
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_THAT(states, ElementsAre(ras::kOpenPort, ras::kPortOpened, ras::kConnectDevice,
                                  ras::kDeviceConnected, ras::kAllDevicesConnected, ras::kAuthenticate,
                                  ras::kAuthenticated, ras::kConnected));
  uint32_t flags = 0;
  EXPECT_TRUE(backend.GetConnectedState(flags));
}

}  // namespace
}  // namespace tarifuhr
