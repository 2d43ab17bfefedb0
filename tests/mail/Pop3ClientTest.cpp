// SPDX-License-Identifier: MIT
#include "mail/Pop3Client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "platform/MessagePump.h"
#include "tests/support/ScriptedPeer.h"

namespace tarifuhr {
namespace {

using test::ScriptedPeer;
using Lines = std::vector<std::string>;

class PopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pop.Host = "127.0.0.1";
    pop.Security = MailSecurity::None;
    pop.UserId = "tester";
    pop.UserPasswd = "secret";
    pop.TimeOut = 3000;
    pop.OnError = [this](Pop3Client* sender, int error, const std::string& msg) {
      EXPECT_EQ(sender, &pop);
      errors.emplace_back(error, msg);
    };
  }
  void TearDown() override { SetMessagePump({}); }
  // The greeting, the replies to USER, PASS, ..., then reads to the end.
  void ConnectTo(const std::string& greeting, std::initializer_list<std::string> replies) {
    peer.Send(greeting).Replies(replies).ReadUntilClosed();
    ConnectTo();
  }
  void ConnectTo() {
    pop.Port = std::to_string(peer.Port());
    peer.Start();
    pop.Connect();
  }
  void ExpectOneError(int error, const std::string& msg) {
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], std::make_pair(error, msg));
  }

  ScriptedPeer peer;
  Pop3Client pop;
  std::vector<std::pair<int, std::string>> errors;
};

TEST_F(PopTest, LoginAfterConnectAndQuitWithoutWaiting) {
  ConnectTo("+OK ready\r\n", {"+OK\r\n", "+OK Logged in.\r\n"});
  ASSERT_TRUE(pop.Connected());
  EXPECT_EQ(pop.LastReplyText(), "ready");
  EXPECT_TRUE(pop.Login());
  EXPECT_TRUE(pop.LoggedIn());
  EXPECT_EQ(pop.LastReplyText(), "Logged in.");
  pop.Quit();
  EXPECT_FALSE(pop.Connected());
  EXPECT_EQ(peer.Received(), (Lines{"USER tester", "PASS secret", "QUIT"}));
  EXPECT_TRUE(errors.empty());
}

TEST_F(PopTest, LoginFromOnConnectKeepsAnswersWithTheirCommands) {
  // The greeting is still unread when the connect event logs in; a wrong
  // password must still be noticed.
  bool result = true;
  pop.OnConnect = [&](Pop3Client*) { result = pop.Login(); };
  ConnectTo("+OK ready\r\n", {"+OK\r\n", "-ERR [AUTH] Authentication failed.\r\n"});
  EXPECT_FALSE(result);
  EXPECT_FALSE(pop.Connected());
  ExpectOneError(kMailErrorLoginFailed, "[AUTH] Authentication failed.");
  pop.Quit();  // nothing left to do
  EXPECT_EQ(peer.Received(), (Lines{"USER tester", "PASS secret"}));
}

TEST_F(PopTest, RefusedUserMeansNoPassword) {
  ConnectTo("+OK ready\r\n", {"-ERR no such user\r\n"});
  EXPECT_FALSE(pop.Login());
  ExpectOneError(kMailErrorLoginFailed, "no such user");
  EXPECT_EQ(peer.Received(), Lines{"USER tester"});
}

TEST_F(PopTest, OnlyPlusOkIsPositive) {
  ConnectTo("+OK ready\r\n", {"* BAD not a POP3 server\r\n"});
  EXPECT_FALSE(pop.Login());
  EXPECT_FALSE(pop.LoggedIn());
  EXPECT_EQ(peer.Received(), Lines{"USER tester"});
}

TEST_F(PopTest, ReplyWithoutLineEndHasNoText) {
  ConnectTo("+OK ready", {"+OK\r\n", "+OK\r\n"});
  EXPECT_EQ(pop.LastStatus(), "+OK");
  EXPECT_EQ(pop.LastReplyText(), "");
  EXPECT_TRUE(pop.Login());
  pop.Quit();
}

TEST_F(PopTest, ClosedConnectionDuringLoginIsAFailure) {
  peer.Send("+OK ready\r\n").ReadLine().Close();
  ConnectTo();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(pop.Login());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_FALSE(pop.LoggedIn());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].first, kMailErrorConnectionClosed);
}

TEST_F(PopTest, SilentServerTimesOut) {
  peer.Pause(700);
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  pop.TimeOut = 250;
  ConnectTo();
  EXPECT_FALSE(pop.Connected());
  ExpectOneError(kMailErrorTimeOut, "Timeout waiting for reply.");
  EXPECT_GE(pumped, 5);
  EXPECT_THROW(pop.Login(), EMailError);
}

TEST_F(PopTest, MisuseAndFailedOpen) {
  EXPECT_THAT([&] { pop.Login(); },
              ::testing::ThrowsMessage<EMailError>(::testing::StrEq("Invalid Op. Not connected.")));
  pop.Port = "1";
  int connects = 0;
  pop.OnConnect = [&](Pop3Client*) { ++connects; };
  pop.Connect();
  EXPECT_TRUE(pop.ErrorFlag());
  EXPECT_EQ(connects, 0);
  EXPECT_TRUE(errors.empty());
  pop.Quit();
}

TEST_F(PopTest, RefusedStlsIsReportedBeforeAnyLogIn) {
  pop.Security = MailSecurity::StartTls;
  int connects = 0;
  pop.OnConnect = [&](Pop3Client* p) {
    ++connects;
    p->Login();
  };
  ConnectTo("+OK ready\r\n", {"-ERR not here\r\n"});
  EXPECT_EQ(connects, 0);
  EXPECT_FALSE(pop.Connected());
  ExpectOneError(kMailErrorTls,
                 "Die verschlüsselte Verbindung zu 127.0.0.1 kam nicht zustande: der Server bietet keine "
                 "Verschlüsselung (STARTTLS) an. Es wurde nichts gesendet.");
  EXPECT_EQ(peer.Received(), std::vector<std::string>{"STLS"});
}

TEST_F(PopTest, ErrorInOnConnectClosesAndIsAbsorbed) {
  int disconnects = 0;
  pop.OnConnect = [](Pop3Client*) { throw std::runtime_error("handler failed"); };
  pop.OnDisconnect = [&](Pop3Client*) { ++disconnects; };
  EXPECT_NO_THROW(ConnectTo("+OK ready\r\n", {}));
  EXPECT_TRUE(pop.ErrorFlag());
  EXPECT_FALSE(pop.Connected());
  EXPECT_EQ(disconnects, 1);
}

}  // namespace
}  // namespace tarifuhr
