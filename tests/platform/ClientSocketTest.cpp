// SPDX-License-Identifier: MIT
#include "platform/ClientSocket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/MessagePump.h"
#include "tests/support/ScriptedPeer.h"

namespace tarifuhr {
namespace {

using test::ScriptedPeer;

// A socket aimed at the peer, recording its events.
struct SocketTest : ::testing::Test {
  ScriptedPeer peer;
  ClientSocket s;
  std::vector<std::string> seen;
  std::vector<std::pair<SocketErrorEvent, int>> errors;
  void SetUp() override {
    s.OnLookup = [this](ClientSocket*) { seen.push_back("lookup"); };
    s.OnConnecting = [this](ClientSocket*) { seen.push_back("connecting"); };
    s.OnConnect = [this](ClientSocket*) { seen.push_back("connect"); };
    s.OnDisconnect = [this](ClientSocket*) { seen.push_back("disconnect"); };
    s.OnError = [this](ClientSocket*, SocketErrorEvent e, int code) { errors.emplace_back(e, code); };
    s.Address = "127.0.0.1";
    s.Port = peer.Port();
  }
  void TearDown() override { SetMessagePump({}); }
  void Open() {
    peer.Start();
    s.Open();
  }
};

TEST_F(SocketTest, OpenFiresEventsInsideAndReceiveSeesTheClose) {
  peer.ReadLine().Send("pong").Close();
  s.Address.clear();
  s.Host = "localhost";
  Open();
  EXPECT_TRUE(s.Active());
  EXPECT_EQ(seen, (std::vector<std::string>{"lookup", "connecting", "connect"}));
  EXPECT_FALSE(s.LocalHost().empty());
  EXPECT_EQ(s.SendText("ping\r\n"), 6);
  char buf[16];
  EXPECT_EQ(s.ReceiveBuf(buf, sizeof buf), 4);
  EXPECT_EQ(std::string(buf, 4), "pong");
  EXPECT_EQ(s.ReceiveBuf(buf, sizeof buf), 0);  // closed by the peer
  s.Close();
  EXPECT_EQ(seen.back(), "disconnect");
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(peer.Received(), std::vector<std::string>{"ping"});
  EXPECT_EQ(s.LocalHost(), "");
}

TEST_F(SocketTest, FailedOpenRaisesWithoutTheErrorEvent) {
  s.Port = 1;
  try {
    s.Open();
    FAIL() << "connect to port 1 succeeded";
  } catch (const ESocketError& e) {
    EXPECT_EQ(e.Code(), ECONNREFUSED);
    EXPECT_EQ(std::string(e.what()), "Windows-Socket-Fehler: Verbindung abgelehnt (" +
                                         std::to_string(ECONNREFUSED) + "), auf API 'connect'");
  }
  EXPECT_FALSE(s.Active());
  s.Port = 70000;
  EXPECT_THROW(s.Open(), ESocketError);
  s.Port = 25;
  s.Address = "1.2.3";
  EXPECT_THROW(s.Open(), ESocketError);
  EXPECT_TRUE(errors.empty());
}

TEST_F(SocketTest, ReceiveTimeOutFiresErrorClosesAndRaises) {
  peer.Pause(600);
  s.TimeOut = 200;
  Open();
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  EXPECT_EQ(s.WaitForData(100), ClientSocket::WaitResult::TimedOut);
  char c;
  EXPECT_THROW(s.ReceiveBuf(&c, 1), ESocketError);
  EXPECT_FALSE(s.Active());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], std::make_pair(SocketErrorEvent::Receive, ETIMEDOUT));
  EXPECT_GE(pumped, 4);
  EXPECT_EQ(s.WaitForData(10), ClientSocket::WaitResult::NotOpen);
}

TEST_F(SocketTest, HandlerClosingDuringAWaitEndsIt) {
  peer.Pause(300);
  Open();
  SetMessagePump([&] { s.Close(); });
  EXPECT_EQ(s.WaitForData(5000), ClientSocket::WaitResult::NotOpen);
}

TEST_F(SocketTest, SendOnAClosedSocketFiresTheErrorEvent) {
  EXPECT_THROW(s.SendText("x"), ESocketError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].first, SocketErrorEvent::Send);
}

TEST_F(SocketTest, ExceptionFromOnConnectClosesTheSocket) {
  s.OnConnect = [](ClientSocket*) { throw std::runtime_error("no"); };
  EXPECT_THROW(Open(), std::runtime_error);
  EXPECT_FALSE(s.Active());
  EXPECT_EQ(seen.back(), "disconnect");
}

}  // namespace
}  // namespace tarifuhr
