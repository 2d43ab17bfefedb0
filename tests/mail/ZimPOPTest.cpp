#include "mail/ZimPOP.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/MessagePump.h"
#include "tests/support/ScriptedPeer.h"

namespace tarifuhr {
namespace {

using test::ScriptedPeer;

class PopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pop.Host = "127.0.0.1";
    pop.UserId = "tester";
    pop.UserPasswd = "secret";
    pop.TimeOut = 3000;
    pop.OnError = [this](TZimPOP* sender, int error, const std::string& msg) {
      EXPECT_EQ(sender, &pop);
      errors.emplace_back(error, msg);
    };
  }
  void TearDown() override { SetMessagePump({}); }
  void ConnectTo(ScriptedPeer& peer) {
    pop.Port = std::to_string(peer.Port());
    peer.Start();
    pop.Connect();
  }

  TZimPOP pop;
  std::vector<std::pair<int, std::string>> errors;
};

TEST_F(PopTest, LoginAfterConnectAndQuitWithoutWaiting) {
  ScriptedPeer peer;
  peer.Send("+OK ready\r\n").ReadLine().Send("+OK\r\n").ReadLine().Send("+OK Logged in.\r\n")
      .ReadUntilClosed();
  ConnectTo(peer);
  ASSERT_TRUE(pop.Connected());
  EXPECT_EQ(pop.LastStatus(), "+OK");
  EXPECT_EQ(pop.LastReplyText(), "ready");
  EXPECT_TRUE(pop.Login());
  EXPECT_TRUE(pop.LoggedIn());
  EXPECT_EQ(pop.LastReplyText(), "Logged in.");
  pop.Quit();
  EXPECT_FALSE(pop.Connected());
  EXPECT_EQ(peer.Received(), (std::vector<std::string>{"USER tester", "PASS secret", "QUIT"}));
  EXPECT_TRUE(errors.empty());
}

TEST_F(PopTest, LoginFromOnConnectKeepsAnswersWithTheirCommands) {
  // The greeting is still unread when the connect event logs in; a wrong
  // password must still be noticed.
  ScriptedPeer peer;
  peer.Send("+OK ready\r\n").ReadLine().Send("+OK\r\n").ReadLine()
      .Send("-ERR [AUTH] Authentication failed.\r\n").ReadUntilClosed();
  bool result = true;
  pop.OnConnect = [&](TZimPOP* sender) {
    EXPECT_EQ(sender, &pop);
    result = pop.Login();
  };
  ConnectTo(peer);
  EXPECT_FALSE(result);
  EXPECT_FALSE(pop.Connected());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].first, kMailErrorLoginFailed);
  EXPECT_EQ(errors[0].second, "[AUTH] Authentication failed.");
  pop.Quit();  // nothing left to do
  EXPECT_EQ(peer.Received(), (std::vector<std::string>{"USER tester", "PASS secret"}));
}

TEST_F(PopTest, RefusedUserMeansNoPassword) {
  ScriptedPeer peer;
  peer.Send("+OK ready\r\n").ReadLine().Send("-ERR no such user\r\n").ReadUntilClosed();
  ConnectTo(peer);
  EXPECT_FALSE(pop.Login());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], std::make_pair(kMailErrorLoginFailed, std::string("no such user")));
  EXPECT_EQ(peer.Received(), std::vector<std::string>{"USER tester"});
}

TEST_F(PopTest, ReplyWithoutLineEndHasNoText) {
  ScriptedPeer peer;
  peer.Send("+OK ready").ReadLine().Send("+OK\r\n").ReadLine().Send("+OK\r\n").ReadUntilClosed();
  ConnectTo(peer);
  EXPECT_EQ(pop.LastStatus(), "+OK");
  EXPECT_EQ(pop.LastReplyText(), "");
  EXPECT_TRUE(pop.Login());
  pop.Quit();
}

TEST_F(PopTest, ClosedConnectionDuringLoginIsAFailure) {
  ScriptedPeer peer;
  peer.Send("+OK ready\r\n").ReadLine().Close();
  ConnectTo(peer);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(pop.Login());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_FALSE(pop.LoggedIn());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].first, kMailErrorConnectionClosed);
}

TEST_F(PopTest, SilentServerTimesOut) {
  ScriptedPeer peer;
  peer.Pause(700);
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  pop.TimeOut = 250;
  ConnectTo(peer);
  EXPECT_FALSE(pop.Connected());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].first, kMailErrorTimeOut);
  EXPECT_GE(pumped, 5);
  EXPECT_THROW(pop.Login(), EMailError);
}

TEST_F(PopTest, MisuseAndFailedOpen) {
  try {
    pop.Login();
    FAIL();
  } catch (const EMailError& e) {
    EXPECT_STREQ(e.what(), "Invalid Op. Not connected.");
  }
  pop.Port = "1";
  int connects = 0;
  pop.OnConnect = [&](TZimPOP*) { ++connects; };
  pop.Connect();
  EXPECT_TRUE(pop.ErrorFlag());
  EXPECT_EQ(connects, 0);
  EXPECT_TRUE(errors.empty());
  pop.Quit();
}

TEST_F(PopTest, ErrorInOnConnectClosesAndIsAbsorbed) {
  ScriptedPeer peer;
  peer.Send("+OK ready\r\n").ReadUntilClosed();
  int disconnects = 0;
  pop.OnConnect = [](TZimPOP*) { throw std::runtime_error("handler failed"); };
  pop.OnDisconnect = [&](TZimPOP*) { ++disconnects; };
  EXPECT_NO_THROW(ConnectTo(peer));
  EXPECT_TRUE(pop.ErrorFlag());
  EXPECT_FALSE(pop.Connected());
  EXPECT_EQ(disconnects, 1);
}

}  // namespace
}  // namespace tarifuhr
