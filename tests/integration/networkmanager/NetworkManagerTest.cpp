// SPDX-License-Identifier: MIT
// The dial-up component over a real NetworkManager that scripts/test.sh
// starts in a network namespace of its own (scripts/networkmanager-start.sh)
// and describes in TARIFUHR_TEST_NM_* variables. The test runs inside that
// namespace, so the kernel counters of its veth interface are the ones the
// component reads.

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "connection/DialUp.h"
#include "platform/Files.h"
#include "platform/nm/NmBackend.h"

namespace tarifuhr {
namespace {

using ::testing::Contains;
using ::testing::Not;

const char* const kMetered = "Tarif Metered";
const char* const kFree = "Frei Unmetered";
const char* const kDsl = "Probe DSL";
const char* const kGsm = "Probe GSM";

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[256];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

uint64_t KernelCounter(const char* name) {
  return std::stoull(
      ReadWholeFile(std::string("/sys/class/net/vethA/statistics/") + name, size_t{1} << 24).value_or("0"));
}

// UDP datagrams to the peer namespace; nobody listens there, which the
// peer answers with ICMP, so bytes flow both ways.
void SendToPeer(int datagrams, size_t bytes) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(9);
  ::inet_pton(AF_INET, "10.250.0.2", &to.sin_addr);
  const std::string payload(bytes, 'x');
  for (int i = 0; i < datagrams; ++i)
    ::sendto(fd, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  ::close(fd);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the answers arrive
}

class OverNetworkManager : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (Env("TARIFUHR_TEST_NM_BUS").empty()) return;
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", Env("TARIFUHR_TEST_NM_BUS").c_str(), 1);
    const std::string add = "nmcli connection add ifname vethA connection.autoconnect no ";
    const std::string ip = " ipv4.method manual ipv4.addresses 10.250.0.1/30 ipv6.method disabled";
    Shell("nmcli connection delete '" + std::string(kMetered) + "' '" + kFree + "' '" + kDsl + "' '" + kGsm +
          "'");
    Shell(add + "type ethernet con-name '" + kMetered + "' connection.metered yes" + ip);
    Shell(add + "type ethernet con-name '" + kFree + "'" + ip);
    Shell(add + "type pppoe con-name '" + kDsl + "' pppoe.username anna pppoe.password geheim");
    Shell("nmcli connection add type gsm ifname '*' connection.autoconnect no con-name '" +
          std::string(kGsm) + "' gsm.apn internet gsm.username vodafone");
  }

  void SetUp() override {
    if (Env("TARIFUHR_TEST_NM_BUS").empty())
      GTEST_SKIP()
          << "no NetworkManager for tests (scripts/test.sh starts one; TARIFUHR_TEST_NM_BUS is not set)";
    if (!FileExists("/sys/class/net/vethA/statistics/tx_bytes"))
      GTEST_SKIP()
          << "not inside NetworkManager's namespace (run through scripts/in-networkmanager-namespace.sh)";
    std::string why;
    backend = NmDialUpBackend::Connect(why);
    ASSERT_TRUE(backend) << why;
    backend->Register(libs);
    dialUp = std::make_unique<DialUp>(
        DialUpServices{&binder, StatisticsFamily::Device, nullptr, nullptr, backend.get()});
    dialUp->SetDialMode(DialMode::Sync);
  }
  void TearDown() override { Shell("nmcli connection down '" + std::string(kMetered) + "'"); }

  std::vector<std::string> OpenEntries() {
    std::vector<std::string> open;
    dialUp->OnActiveConnection = [&open](DialUp&, uint32_t, const TRasConnStatus&, const std::string&,
                                         const std::string& entry, const std::string&,
                                         const std::string& device) { open.push_back(entry + "|" + device); };
    EXPECT_EQ(dialUp->GetActiveConnections(), 0u);
    return open;
  }

  std::shared_ptr<NmDialUpBackend> backend;
  RasLibraries libs;
  RasBinder binder{libs};
  std::unique_ptr<DialUp> dialUp;
};

TEST_F(OverNetworkManager, EntriesAreTheDialUpAndMeteredProfiles) {
  ASSERT_EQ(dialUp->GetEntries(), 0u);
  EXPECT_THAT(dialUp->Entries(), Contains(kMetered));
  EXPECT_THAT(dialUp->Entries(), Contains(kDsl));
  EXPECT_THAT(dialUp->Entries(), Contains(kGsm));
  EXPECT_THAT(dialUp->Entries(), Not(Contains(kFree)));
  // The stored user name of a DSL profile, and that a password is stored.
  dialUp->SetEntry(kDsl);
  ASSERT_EQ(dialUp->SetUserName("berta"), 0u);
  EXPECT_EQ(Output("nmcli -s -g pppoe.username,pppoe.password connection show '" + std::string(kDsl) + "'"),
            "berta\ngeheim\n")
      << "the user name changed, the stored password stayed";
}

TEST_F(OverNetworkManager, ADialConnectsCountsToTheByteAndHangsUp) {
  dialUp->SetEntry(kMetered);
  ASSERT_EQ(dialUp->Dial(), 0u);
  EXPECT_THAT(OpenEntries(), ::testing::ElementsAre(std::string(kMetered) + "|vethA"));
  uint32_t flags = 0;
  EXPECT_TRUE(backend->GetConnectedState(flags));
  EXPECT_EQ(flags, kInternetConnectionModem);

  ASSERT_TRUE(dialUp->StartStatistics(true, true));
  const uint64_t tx0 = KernelCounter("tx_bytes"), rx0 = KernelCounter("rx_bytes");
  SendToPeer(20, 1000);
  ASSERT_TRUE(dialUp->GetStatistics());
  EXPECT_GT(dialUp->BytesXmit(), 20u * 1000);
  EXPECT_EQ(dialUp->BytesXmit(), KernelCounter("tx_bytes") - tx0);
  EXPECT_EQ(dialUp->BytesRecv(), KernelCounter("rx_bytes") - rx0);

  EXPECT_EQ(dialUp->HangUp(), 0u);
  EXPECT_TRUE(OpenEntries().empty());
  EXPECT_FALSE(backend->GetConnectedState(flags));
}

TEST_F(OverNetworkManager, ADialThatCannotWorkFailsWithACodeAndAText) {
  std::vector<std::string> failures;
  dialUp->OnNotConnected = [&failures](DialUp&, uint32_t code, const std::string& text) {
    failures.push_back(std::to_string(code) + " " + text);
  };
  for (const char* entry : {kDsl, kGsm}) {  // no PPP, no modem here
    dialUp->SetEntry(entry);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_NE(dialUp->Dial(), 0u) << entry;
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20)) << entry;
  }
  // PPP can't start without pppd, and no device suits a modem profile.
  const std::string noDevice =
      std::to_string(ras::kErrorPortNotAvailable) + " " + ras::ErrorText(ras::kErrorPortNotAvailable);
  EXPECT_THAT(failures, ::testing::ElementsAre(noDevice, noDevice));
}

TEST_F(OverNetworkManager, AnAsynchronousDialReportsItsStatesAndItsEnd) {
  dialUp->SetDialMode(DialMode::Async);
  const auto dial = [this](const char* entry) {
    std::vector<std::pair<uint32_t, uint32_t>> heard;
    dialUp->OnAsyncEvent = [&heard](DialUp&, uint32_t state, uint32_t error, const std::string&) {
      heard.emplace_back(state, error);
    };
    dialUp->SetEntry(entry);
    EXPECT_EQ(dialUp->Dial(), 0u) << entry;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    const auto ended = [&heard] {
      return !heard.empty() && (heard.back().first == ras::kConnected || heard.back().second != 0);
    };
    while (!ended() && std::chrono::steady_clock::now() < deadline) {
      if (dialUp->TimerEnabled())
        dialUp->TimerHandler();
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return heard;
  };
  const auto connected = dial(kMetered);
  ASSERT_FALSE(connected.empty());
  EXPECT_EQ(connected.back(), std::make_pair(ras::kConnected, 0u));
  const auto failed = dial(kDsl);
  ASSERT_FALSE(failed.empty());
  EXPECT_EQ(failed.back().second, ras::kErrorPortNotAvailable);
}

TEST_F(OverNetworkManager, AConnectionMadeOutsideIsListedNotHungUpAsOursButByItsHandle) {
  ASSERT_EQ(Shell("nmcli connection up '" + std::string(kMetered) + "'"), 0);
  EXPECT_THAT(OpenEntries(), ::testing::ElementsAre(std::string(kMetered) + "|vethA"));
  EXPECT_NE(dialUp->HangUp(), 0u) << "nothing dialled: nothing to hang up";
  EXPECT_EQ(OpenEntries().size(), 1u);

  uint32_t handle = 0;
  dialUp->OnActiveConnection = [&handle](DialUp&, uint32_t h, const TRasConnStatus&, const std::string&,
                                         const std::string&, const std::string&,
                                         const std::string&) { handle = h; };
  ASSERT_EQ(dialUp->GetActiveConnections(), 0u);
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(dialUp->HangUpConnection(handle), 0u);
  EXPECT_TRUE(OpenEntries().empty());
  EXPECT_THAT(Output("nmcli -g NAME connection show --active"), Not(::testing::HasSubstr(kMetered)))
      << "NetworkManager no longer has it active";
}

TEST_F(OverNetworkManager, AProgramStartedAgainKnowsTheConnectionByTheSameHandle) {
  const auto handleSeenBy = [](DialUp& d) {
    uint32_t handle = 0;
    d.OnActiveConnection = [&handle](DialUp&, uint32_t h, const TRasConnStatus&, const std::string&,
                                     const std::string&, const std::string&,
                                     const std::string&) { handle = h; };
    EXPECT_EQ(d.GetActiveConnections(), 0u);
    return handle;
  };
  const std::string up = "nmcli connection up '" + std::string(kMetered) + "'";
  ASSERT_EQ(Shell(up), 0);
  const uint32_t earlier = handleSeenBy(*dialUp);
  Shell("nmcli connection down '" + std::string(kMetered) + "'");
  ASSERT_EQ(Shell(up), 0);
  const uint32_t now = handleSeenBy(*dialUp);
  EXPECT_NE(now, earlier) << "another activation, another handle";

  // Another program: a client and handles of its own.
  std::string why;
  const auto again = NmDialUpBackend::Connect(why);
  ASSERT_TRUE(again) << why;
  RasLibraries otherLibs;
  again->Register(otherLibs);
  RasBinder otherBinder{otherLibs};
  DialUp other(DialUpServices{&otherBinder, StatisticsFamily::Device, nullptr, nullptr, again.get()});
  EXPECT_EQ(handleSeenBy(other), now);
}

TEST_F(OverNetworkManager, AnUnmeteredConnectionIsALan) {
  ASSERT_EQ(Shell("nmcli connection up '" + std::string(kFree) + "'"), 0);
  uint32_t flags = 0;
  EXPECT_TRUE(backend->GetConnectedState(flags));
  EXPECT_EQ(flags, kInternetConnectionLan);
  EXPECT_TRUE(OpenEntries().empty());
  Shell("nmcli connection down '" + std::string(kFree) + "'");
}

}  // namespace
}  // namespace tarifuhr
