#include "platform/ClientSocket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/MessagePump.h"
#include "tests/support/ScriptedPeer.h"

namespace tarifuhr {
namespace {

using test::ScriptedPeer;

struct Events {
  std::vector<std::string> seen;
  std::vector<std::pair<TErrorEvent, int>> errors;
  void Bind(TClientSocket& s) {
    s.OnLookup = [this](TClientSocket*) { seen.push_back("lookup"); };
    s.OnConnecting = [this](TClientSocket*) { seen.push_back("connecting"); };
    s.OnConnect = [this](TClientSocket*) { seen.push_back("connect"); };
    s.OnDisconnect = [this](TClientSocket*) { seen.push_back("disconnect"); };
    s.OnError = [this](TClientSocket*, TErrorEvent e, int code) { errors.emplace_back(e, code); };
  }
};

TEST(ClientSocket, OpenFiresEventsInsideAndReceiveSeesTheClose) {
  ScriptedPeer peer;
  peer.ReadLine().Send("pong").Close();
  peer.Start();
  TClientSocket s;
  Events ev;
  ev.Bind(s);
  s.Host = "localhost";
  s.Port = peer.Port();
  s.Open();
  EXPECT_TRUE(s.Active());
  EXPECT_EQ(ev.seen, (std::vector<std::string>{"lookup", "connecting", "connect"}));
  EXPECT_FALSE(s.LocalHost().empty());
  EXPECT_EQ(s.SendText("ping\r\n"), 6);
  char buf[16];
  EXPECT_EQ(s.ReceiveBuf(buf, sizeof buf), 4);
  EXPECT_EQ(std::string(buf, 4), "pong");
  EXPECT_EQ(s.ReceiveBuf(buf, sizeof buf), 0);  // closed by the peer
  s.Close();
  EXPECT_EQ(ev.seen.back(), "disconnect");
  EXPECT_TRUE(ev.errors.empty());
  EXPECT_EQ(peer.Received(), std::vector<std::string>{"ping"});
  EXPECT_EQ(s.LocalHost(), "");
}

TEST(ClientSocket, FailedOpenRaisesWithoutTheErrorEvent) {
  TClientSocket s;
  Events ev;
  ev.Bind(s);
  s.Address = "127.0.0.1";
  s.Port = 1;
  try {
    s.Open();
    FAIL() << "connect to port 1 succeeded";
  } catch (const ESocketError& e) {
    EXPECT_EQ(e.Code(), ECONNREFUSED);
    EXPECT_EQ(std::string(e.what()),
              "Windows-Socket-Fehler: Verbindung abgelehnt (" + std::to_string(ECONNREFUSED) +
                  "), auf API 'connect'");
  }
  EXPECT_FALSE(s.Active());
  EXPECT_TRUE(ev.errors.empty());
  s.Port = 70000;
  EXPECT_THROW(s.Open(), ESocketError);
  s.Port = 25;
  s.Address = "1.2.3";
  EXPECT_THROW(s.Open(), ESocketError);
}

TEST(ClientSocket, ReceiveTimeOutFiresErrorClosesAndRaises) {
  ScriptedPeer peer;
  peer.Pause(600);
  peer.Start();
  TClientSocket s;
  Events ev;
  ev.Bind(s);
  s.Address = "127.0.0.1";
  s.Port = peer.Port();
  s.TimeOut = 200;
  s.Open();
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  EXPECT_EQ(s.WaitForData(100), TClientSocket::WaitResult::TimedOut);
  char c;
  EXPECT_THROW(s.ReceiveBuf(&c, 1), ESocketError);
  SetMessagePump({});
  EXPECT_FALSE(s.Active());
  ASSERT_EQ(ev.errors.size(), 1u);
  EXPECT_EQ(ev.errors[0], std::make_pair(TErrorEvent::eeReceive, ETIMEDOUT));
  EXPECT_GE(pumped, 4);
  EXPECT_EQ(s.WaitForData(10), TClientSocket::WaitResult::NotOpen);
}

TEST(ClientSocket, HandlerClosingDuringAWaitEndsIt) {
  ScriptedPeer peer;
  peer.Pause(300);
  peer.Start();
  TClientSocket s;
  s.Address = "127.0.0.1";
  s.Port = peer.Port();
  s.Open();
  SetMessagePump([&] { s.Close(); });
  EXPECT_EQ(s.WaitForData(5000), TClientSocket::WaitResult::NotOpen);
  SetMessagePump({});
}

TEST(ClientSocket, SendOnAClosedSocketFiresTheErrorEvent) {
  TClientSocket s;
  Events ev;
  ev.Bind(s);
  EXPECT_THROW(s.SendText("x"), ESocketError);
  ASSERT_EQ(ev.errors.size(), 1u);
  EXPECT_EQ(ev.errors[0].first, TErrorEvent::eeSend);
}

TEST(ClientSocket, ExceptionFromOnConnectClosesTheSocket) {
  ScriptedPeer peer;
  peer.Start();
  TClientSocket s;
  bool disconnected = false;
  s.Address = "127.0.0.1";
  s.Port = peer.Port();
  s.OnConnect = [](TClientSocket*) { throw std::runtime_error("no"); };
  s.OnDisconnect = [&](TClientSocket*) { disconnected = true; };
  EXPECT_THROW(s.Open(), std::runtime_error);
  EXPECT_FALSE(s.Active());
  EXPECT_TRUE(disconnected);
}

}  // namespace
}  // namespace tarifuhr
