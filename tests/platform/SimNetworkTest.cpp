// SPDX-License-Identifier: MIT
// The simulated dial-up network: its state file, its dials and counters,
// its RAS functions, and two processes changing it at once.

#include "platform/sim/SimNetwork.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Files.h"
#include "platform/sim/SimBackend.h"
#include "tests/support/TempDir.h"

// Entries name only the fields that differ from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarifuhr {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct SimFixture : ::testing::Test {
  testing::TempDir dir;
  int64_t nowMs = 1'800'000'000'000;
  std::shared_ptr<SimNetwork> net = std::make_shared<SimNetwork>(dir.Path(), [this] { return nowMs; });
  SimDialUpBackend backend{net};
  RasLibrary lib = backend.Library();

  template <class Proc>
  const Proc& Fn(const std::string& name) {
    return std::get<Proc>(lib.at(name));
  }
  uint32_t Dial(const std::string& entry, const std::string& user, const std::string& password,
                uint32_t& handle) {
    std::array<uint8_t, RasDialParamsLayout::kSize> p{};
    PutU32(p.data(), RasDialParamsLayout::kSize);
    PutChars(p.data() + RasDialParamsLayout::kEntryName, ras::kEntryNameLen, entry);
    PutChars(p.data() + RasDialParamsLayout::kUserName, ras::kUserNameLen, user);
    PutChars(p.data() + RasDialParamsLayout::kPassword, ras::kPasswordLen, password);
    return Fn<RasDialProc>("RasDialA").fn(nullptr, nullptr, p.data(), 0, nullptr, &handle);
  }
  uint32_t Status(uint32_t handle, uint32_t& state) {
    std::array<uint8_t, RasConnStatusLayout::kSize> st{};
    PutU32(st.data(), RasConnStatusLayout::kSize);
    const uint32_t code = Fn<RasGetConnectStatusProc>("RasGetConnectStatusA").fn(handle, st.data());
    state = GetU32(st.data() + RasConnStatusLayout::kState);
    return code;
  }
};

TEST_F(SimFixture, StateFileRoundTripsAndBadFilesAreNamed) {
  SimState s;
  s.NextHandle = 7;
  const SimEntry e{.Name = "Tab\there %41 Münster",
                   .DelaySeconds = 1.5,
                   .FailCode = 678,
                   .CheckCredentials = true,
                   .ExpectedUser = "user=1",
                   .RateRx = 2000,
                   .RateTx = 500,
                   .ClientIp = "10.0.0.2"};
  s.Entries.push_back(e);
  s.Connections.push_back({6, e.Name, 100, 200, 0, 5, 6});
  const SimState back = ParseSimState(FormatSimState(s));
  EXPECT_EQ(FormatSimState(back), FormatSimState(s));
  ASSERT_EQ(back.Entries.size(), 1u);
  EXPECT_EQ(back.Entries[0].Name, e.Name);
  EXPECT_EQ(back.Entries[0].DelaySeconds, 1.5);

  EXPECT_THAT([] { ParseSimState("next-handle\t1\nentry\tname=x\tdelay=abc\n"); },
              ::testing::ThrowsMessage<SimError>(HasSubstr("Zeile 2")));
  EXPECT_THROW(ParseSimState("entry\tname=%4"), SimError);
  EXPECT_THROW(ParseSimState("what\tever"), SimError);

  // A broken file: the RAS functions say the phone book cannot be opened,
  // and the file stays as it was.
  WriteFileAtomically(JoinPath(dir.Path(), SimNetwork::kStateFile), "kaputt\n");
  uint32_t handle = 0;
  EXPECT_EQ(Dial("x", "", "", handle), ras::kErrorCannotOpenPhonebook);
  EXPECT_THROW(net->AddEntry({.Name = "y"}), SimError);
  EXPECT_EQ(*ReadWholeFile(JoinPath(dir.Path(), SimNetwork::kStateFile), size_t{1} << 24), "kaputt\n");
}

TEST_F(SimFixture, DialOutcomesAndConnectionStates) {
  net->AddEntry({.Name = "Busy", .FailCode = ras::kErrorLineBusy});
  net->AddEntry({.Name = "Still", .FailCode = ras::kErrorNoAnswer});
  net->AddEntry(
      {.Name = "Auth", .CheckCredentials = true, .ExpectedUser = "anna", .ExpectedPassword = "geheim"});
  net->AddEntry({.Name = "Free"});
  EXPECT_THROW(net->AddEntry({.Name = "Free"}), SimError);
  EXPECT_THROW(net->AddEntry({}), SimError);

  uint32_t h = 0;
  const struct {
    const char *entry, *password;
    uint32_t code;
  } refused[] = {{"Busy", "", ras::kErrorLineBusy},
                 {"Still", "", ras::kErrorNoAnswer},
                 {"Auth", "falsch", ras::kErrorAuthenticationFailure},
                 {"Nope", "", ras::kErrorCannotFindPhonebookEntry}};
  for (const auto& r : refused) EXPECT_EQ(Dial(r.entry, "anna", r.password, h), r.code) << r.entry;
  EXPECT_TRUE(net->Snapshot().Connections.empty());
  EXPECT_EQ(Dial("Auth", "anna", "geheim", h), 0u);
  uint32_t state = 0;
  EXPECT_EQ(Status(h, state), 0u);
  EXPECT_EQ(state, ras::kConnected);
  uint32_t flags = 0;
  EXPECT_TRUE(backend.GetConnectedState(flags));
  EXPECT_EQ(flags & kInternetConnectionModem, kInternetConnectionModem);

  EXPECT_EQ(Fn<RasHangUpProc>("RasHangUpA").fn(h), 0u);
  EXPECT_EQ(Status(h, state), ras::kErrorInvalidHandle);
  EXPECT_EQ(Fn<RasHangUpProc>("RasHangUpA").fn(h), ras::kErrorInvalidHandle);
  EXPECT_FALSE(backend.GetConnectedState(flags));
  EXPECT_EQ(flags & kInternetConnectionModem, 0u);
}

TEST_F(SimFixture, ADialWithDelayIsDiallingUntilTheDelayHasPassed) {
  net->AddEntry({.Name = "Slow", .DelaySeconds = 30, .RateRx = 1000, .RateTx = 100});
  uint32_t outcome = 1;
  double delay = 0;
  const uint32_t handle = net->StartDial("Slow", "", "", outcome, delay);
  EXPECT_EQ(outcome, 0u);
  EXPECT_EQ(delay, 30);
  uint32_t state = 0;
  EXPECT_EQ(Status(handle, state), 0u);
  EXPECT_EQ(state, ras::kConnectDevice);
  uint32_t flags = 0;
  EXPECT_FALSE(backend.GetConnectedState(flags));
  const std::string dev = "sim" + std::to_string(handle);
  EXPECT_FALSE(backend.ReceivedBytes(dev));

  nowMs += 30'000;
  EXPECT_EQ(Status(handle, state), 0u);
  EXPECT_EQ(state, ras::kConnected);
  // Counters grow with the time connected, plus what was added by hand.
  nowMs += 2'500;
  EXPECT_EQ(backend.ReceivedBytes(dev), 2500u);
  EXPECT_EQ(backend.SentBytes(dev), 250u);
  EXPECT_EQ(net->AddTraffic("Slow", 7, 3), 1u);
  EXPECT_EQ(backend.ReceivedBytes(dev), 2507u);
  EXPECT_EQ(backend.SentBytes(dev), 253u);
  EXPECT_THROW(net->AddTraffic("Unknown", 1, 1), SimError);
  EXPECT_FALSE(backend.ReceivedBytes("eth0"));
  EXPECT_FALSE(backend.ReceivedBytes("sim99"));
}

TEST_F(SimFixture, EnumerationsKeepTheRecordLayoutsAndBufferRules) {
  net->AddEntry({.Name = "Arcor"});
  net->AddEntry({.Name = "Köln"});
  std::vector<uint8_t> buf(RasEntryNameLayout::kSize, 0);
  PutU32(buf.data(), RasEntryNameLayout::kSize);
  uint32_t size = uint32_t(buf.size()), count = 0;
  EXPECT_EQ(Fn<RasEnumEntriesProc>("RasEnumEntriesA").fn(nullptr, nullptr, buf.data(), &size, &count),
            ras::kErrorBufferTooSmall);
  EXPECT_EQ(size, 2 * 264u);
  buf.assign(size, 0);
  PutU32(buf.data(), 264);
  EXPECT_EQ(Fn<RasEnumEntriesProc>("RasEnumEntriesA").fn(nullptr, nullptr, buf.data(), &size, &count), 0u);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(GetChars(buf.data() + 264 + 4, 257), "K\xF6ln");  // Windows-1252

  uint32_t h1 = 0, h2 = 0;
  ASSERT_EQ(Dial("Arcor", "", "", h1), 0u);
  ASSERT_EQ(Dial("K\xF6ln", "", "", h2), 0u);
  std::vector<uint8_t> conns(2 * RasConnLayout::kSize, 0);
  PutU32(conns.data(), RasConnLayout::kSize);
  size = uint32_t(conns.size());
  ASSERT_EQ(Fn<RasEnumConnectionsProc>("RasEnumConnectionsA").fn(conns.data(), &size, &count), 0u);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(GetU32(conns.data() + 412 + 4), h2);
  EXPECT_EQ(GetChars(conns.data() + 412 + 282, 129), "sim" + std::to_string(h2));
  PutU32(conns.data(), 999);
  EXPECT_EQ(Fn<RasEnumConnectionsProc>("RasEnumConnectionsA").fn(conns.data(), &size, &count),
            ras::kErrorInvalidSize);

  EXPECT_EQ(net->HangUpEntry(""), 2u);
  EXPECT_TRUE(net->Snapshot().Connections.empty());
}

// Two processes change the state at once; every change must survive.
TEST_F(SimFixture, TwoProcessesChangingAtOnceLoseNothing) {
  net->AddEntry({.Name = "Shared"});
  uint32_t h = 0;
  ASSERT_EQ(Dial("Shared", "", "", h), 0u);
  constexpr int kRounds = 40;
  std::vector<pid_t> children;
  for (int child = 0; child < 2; ++child) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int rc = 0;
      try {
        SimNetwork own(dir.Path());
        for (int i = 0; i < kRounds; ++i) {
          own.AddTraffic("Shared", 1, child == 0 ? 1 : 0);
          own.AddEntry({.Name = "p" + std::to_string(child) + "-" + std::to_string(i)});
        }
      } catch (...) {
        rc = 1;
      }
      _exit(rc);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const SimState s = net->Snapshot();
  EXPECT_EQ(s.Entries.size(), 1u + 2 * kRounds);
  ASSERT_EQ(s.Connections.size(), 1u);
  EXPECT_EQ(s.Connections[0].ExtraRx, 2u * kRounds);
  EXPECT_EQ(s.Connections[0].ExtraTx, 1u * kRounds);
}

}  // namespace
}  // namespace tarifuhr
