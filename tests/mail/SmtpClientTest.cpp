// SPDX-License-Identifier: MIT
#include "mail/SmtpClient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "mail/Wire.h"
#include "platform/MessagePump.h"
#include "tests/support/ScriptedPeer.h"

namespace tarifuhr {
namespace {

using test::ScriptedPeer;
using ::testing::StrEq;
using ::testing::ThrowsMessage;
using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

class SmtpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    smtp.Host = "127.0.0.1";
    smtp.Security = MailSecurity::None;
    smtp.TimeOut = 3000;
    smtp.OnError = [this](SmtpClient* sender, int error, const std::string& msg) {
      EXPECT_EQ(sender, &smtp);
      errors.emplace_back(error, msg);
    };
    smtp.OnSendProgress = [this](SmtpClient*, uint16_t percent) { progress.push_back(percent); };
  }
  void TearDown() override { SetMessagePump({}); }

  void ConnectTo(ScriptedPeer& peer) {
    smtp.Port = std::to_string(peer.Port());
    peer.Start();
    smtp.Connect();
  }
  // Greeting and HELO accepted.
  static ScriptedPeer& Greet(ScriptedPeer& peer) { return peer.Send("220 hi\r\n").Replies({"250 hi\r\n"}); }
  // One accepted transaction of a three-line message.
  static void Transaction(ScriptedPeer& peer) {
    peer.Replies({"250 Ok\r\n", "250 Ok\r\n", "354 go\r\n"}).ReadLine().ReadLine().ReadLine().ReadLine();
    peer.Replies({"250 queued\r\n", "250 Ok\r\n"});
  }
  static MailMessage Message() {
    MailMessage msg;
    msg.From = "Report <report@example.test>";
    msg.SendTo = "help@example.test";
    msg.RawMail = {"Subject: x", "", "body"};
    return msg;
  }
  void ExpectOneError(int error, const std::string& msg) {
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], std::make_pair(error, msg));
  }

  SmtpClient smtp;
  std::vector<std::pair<int, std::string>> errors;
  std::vector<uint16_t> progress;
};

TEST_F(SmtpTest, WholeDialogueWithMultiLineRepliesInPieces) {
  ScriptedPeer peer;
  peer.Send("220-mail.example.test first\r\n")
      .Pause(50)
      .Send("220-second\r\n220 ready\r\n")
      .Replies({"250-mail.example.test\r\n250-PIPELINING\r\n250 8BITMIME\r\n", "250 2.1.0 Ok\r\n",
                "250 2.1.5 Ok\r\n", "354 End data with <CR><LF>.<CR><LF>\r\n"})
      .ReadLine()
      .ReadLine()
      .ReadLine()
      .ReadLine()
      .ReadLine()
      .Send("250 2.0.0 Ok: queued")
      .Pause(50)
      .Send(" as 1234\r\n")
      .Replies({"250 2.0.0 Ok\r\n", "221 2.0.0 Bye\r\n"})
      .ReadUntilClosed();
  Lines sent, replies;
  smtp.OnSendTextToSocket = [&](SmtpClient*, const std::string& s) { sent.push_back(s); };
  smtp.OnReceiveTextFromSocket = [&](SmtpClient*, const std::string& s) { replies.push_back(s); };
  int before = 0, after = 0;
  smtp.OnBeforeSend = [&](SmtpClient*) { ++before; };
  smtp.OnAfterSend = [&](SmtpClient*) { ++after; };
  ConnectTo(peer);
  ASSERT_TRUE(smtp.Connected());
  EXPECT_EQ(smtp.LastReplyCode(), "250");
  EXPECT_EQ(smtp.LastReplyText(), "8BITMIME");
  MailMessage msg = Message();
  EXPECT_TRUE(smtp.SendMsg(msg));
  EXPECT_EQ(smtp.LastReplyText(), "2.0.0 Ok");
  smtp.Quit();
  EXPECT_FALSE(smtp.Connected());
  const auto lines = peer.Received();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines, (Lines{"HELO " + SmtpClient::HeloName(lines[0].substr(5)),
                          "MAIL FROM:<report@example.test>", "RCPT TO:<help@example.test>", "DATA",
                          "Subject: x", "", "body", "", ".", "RSET", "QUIT"}));
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(progress, (std::vector<uint16_t>{33, 67, 100, 100}));
  EXPECT_EQ(before + after, 2);
  EXPECT_EQ(sent.back(), "QUIT\r\n");
  ASSERT_FALSE(replies.empty());
  EXPECT_EQ(replies.front(), "220-mail.example.test first\r\n220-second\r\n220 ready\r\n");
}

TEST_F(SmtpTest, ACharacterAfterTheLastLineStartsTheNextReply) {
  ScriptedPeer peer;
  peer.Send("220 hi\r\n2").ReadLine().Pause(50).Send("50 welcome\r\n").Replies({"221 Bye\r\n"});
  ConnectTo(peer);
  EXPECT_TRUE(smtp.Connected());
  EXPECT_EQ(smtp.LastReplyCode(), "250");
  EXPECT_EQ(smtp.LastReplyText(), "welcome");
  EXPECT_TRUE(errors.empty());
  smtp.Quit();
}

TEST_F(SmtpTest, BadOrRefusedGreetingIsReportedNotThrown) {
  for (auto [greeting, code, text] :
       {std::tuple{"abc hello\r\n", kMailErrorBadReply, "hello"}, {"554 go away\r\n", 554, "go away"}}) {
    errors.clear();
    ScriptedPeer peer;
    peer.Send(greeting).ReadUntilClosed();
    EXPECT_NO_THROW(ConnectTo(peer));
    EXPECT_FALSE(smtp.Connected());
    EXPECT_TRUE(smtp.ErrorFlag());
    ExpectOneError(code, text);
    EXPECT_TRUE(peer.Received().empty());  // no HELO after a bad greeting
  }
}

TEST_F(SmtpTest, RefusedQuitIsReportedAndStillCloses) {
  ScriptedPeer peer;
  Greet(peer).Replies({"500 what\r\n"});
  ConnectTo(peer);
  EXPECT_TRUE(smtp.Connected());
  EXPECT_FALSE(smtp.ErrorFlag());
  smtp.Quit();
  EXPECT_FALSE(smtp.Connected());
  ExpectOneError(500, "what");
}

TEST_F(SmtpTest, RefusedRecipientReportedOnceAndLaterListsSkipped) {
  ScriptedPeer peer;
  Greet(peer)
      .Replies({"250 Ok\r\n", "550 5.1.1 <nobody@example.test>: Recipient address rejected\r\n"})
      .ReadUntilClosed();
  int after = 0;
  smtp.OnAfterSend = [&](SmtpClient*) { ++after; };
  ConnectTo(peer);
  MailMessage msg = Message();
  msg.SendTo = "nobody@example.test, help@example.test";
  msg.CC = "cc@example.test";
  msg.BCC = "bcc@example.test";
  EXPECT_TRUE(smtp.SendMsg(msg));
  ExpectOneError(550, "5.1.1 <nobody@example.test>: Recipient address rejected");
  EXPECT_FALSE(smtp.Connected());
  EXPECT_EQ(after, 1);
  EXPECT_EQ(progress, std::vector<uint16_t>{100});
  const auto lines = peer.Received();
  ASSERT_EQ(lines.size(), 3u);  // HELO, MAIL, the refused RCPT; nothing more
  EXPECT_EQ(lines[2], "RCPT TO:<nobody@example.test>");
  EXPECT_THROW(smtp.SendMsg(msg), EMailError);
  smtp.Quit();  // nothing to do
}

TEST_F(SmtpTest, ForwardedRecipientIsAcceptedAndATrailingCommaAddsNone) {
  ScriptedPeer peer;
  Greet(peer)
      .Replies({"250 Ok\r\n", "250 Ok\r\n", "251 User not local; will forward\r\n", "354 go\r\n"})
      .ReadLine()
      .ReadLine()
      .ReadLine()
      .ReadLine();
  peer.Replies({"250 queued\r\n", "250 Ok\r\n", "221 Bye\r\n"});
  ConnectTo(peer);
  MailMessage msg = Message();
  msg.SendTo = "help@example.test, away@example.test,";
  EXPECT_TRUE(smtp.SendMsg(msg));
  smtp.Quit();
  EXPECT_TRUE(errors.empty());
  const auto lines = peer.Received();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[3], "RCPT TO:<away@example.test>");
  EXPECT_EQ(lines[4], "DATA");
}

TEST_F(SmtpTest, CcListIsATransactionOfItsOwnAndStepZeroReportsEveryLine) {
  ScriptedPeer peer;
  Greet(peer);
  Transaction(peer);
  Transaction(peer);
  peer.Replies({"221 Bye\r\n"});
  smtp.SendProgressStep = 0;
  ConnectTo(peer);
  MailMessage msg = Message();
  msg.CC = "\"Copy\" <CC@Example.test>";
  EXPECT_TRUE(smtp.SendMsg(msg));
  smtp.Quit();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(progress, (std::vector<uint16_t>{33, 67, 100, 100, 33, 67, 100, 100}));
  const auto lines = peer.Received();
  ASSERT_GE(lines.size(), 19u);
  EXPECT_EQ(lines[10], "MAIL FROM:<report@example.test>");
  EXPECT_EQ(lines[11], "RCPT TO:<cc@example.test>");
}

TEST_F(SmtpTest, ValidationErrorsComeBeforeAnythingIsSent) {
  MailMessage msg = Message();
  auto send = [&] { smtp.SendMsg(msg); };
  EXPECT_THAT(send, ThrowsMessage<EMailError>(StrEq("Not connected.")));
  ScriptedPeer peer;
  Greet(peer).Replies({"221 Bye\r\n"});
  ConnectTo(peer);
  msg.SendTo.clear();
  EXPECT_THAT(send, ThrowsMessage<EMailError>(StrEq("\"SendTo\" field not specified.")));
  smtp.Quit();
  EXPECT_EQ(peer.Received().size(), 2u);  // HELO and QUIT only
}

TEST_F(SmtpTest, EmptyOrMalformedSenderEndsTheSessionAndIsNamed) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "Die Absenderadresse (from) ist leer."},
      {"Report <report example.test>",
       "Die Absenderadresse (from) „Report <report example.test>“ ist ungültig."},
      {"report@", "Die Absenderadresse (from) „report@“ ist ungültig."}};
  for (const auto& [from, text] : cases) {
    ScriptedPeer peer;
    Greet(peer).Replies({"221 Bye\r\n"}).ReadUntilClosed();
    ConnectTo(peer);
    MailMessage msg = Message();
    msg.From = from;
    EXPECT_THAT([&] { smtp.SendMsg(msg); }, ThrowsMessage<EMailError>(StrEq(text)));
    EXPECT_FALSE(smtp.Connected());
    const Lines lines = peer.Received();
    ASSERT_EQ(lines.size(), 2u) << from;
    EXPECT_EQ(lines[1], "QUIT");
  }
}

TEST_F(SmtpTest, RefusedResetAfterTheDataStillCountsAsAccepted) {
  ScriptedPeer peer;
  Greet(peer).Replies({"250 Ok\r\n", "250 Ok\r\n", "354 go\r\n"}).ReadLine().ReadLine().ReadLine().ReadLine();
  peer.Replies({"250 queued\r\n", "451 no\r\n"});
  ConnectTo(peer);
  MailMessage msg = Message();
  smtp.SendMsg(msg);
  ExpectOneError(451, "no");
  EXPECT_TRUE(smtp.Accepted());
  smtp.TimeOut = 200;
  smtp.Connect();  // a new session forgets it (and times out here)
  EXPECT_FALSE(smtp.Accepted());
}

TEST_F(SmtpTest, StartTlsNotOfferedEndsWithQuitAndNothingInClearText) {
  smtp.Security = MailSecurity::StartTls;
  smtp.UserName = "tester";
  ScriptedPeer peer;
  peer.Send("220 hi\r\n").Replies({"250-hi\r\n250 AUTH PLAIN\r\n", "221 Bye\r\n"}).ReadUntilClosed();
  ConnectTo(peer);
  EXPECT_FALSE(smtp.Connected());
  ExpectOneError(kMailErrorTls,
                 "Die verschlüsselte Verbindung zu 127.0.0.1 kam nicht zustande: der Server bietet keine "
                 "Verschlüsselung (STARTTLS) an. Es wurde nichts gesendet.");
  const Lines lines = peer.Received();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(0, 5), "EHLO ");
  EXPECT_EQ(lines[1], "QUIT");
}

TEST_F(SmtpTest, FailedHandshakeAfterStartTlsNeverFallsBack) {
  smtp.Security = MailSecurity::StartTls;
  ScriptedPeer peer;
  peer.Send("220 hi\r\n")
      .Replies({"250-hi\r\n250-STARTTLS\r\n250 8BITMIME\r\n", "220 go ahead\r\n"})
      .Send("250 this is no TLS\r\n")
      .ReadUntilClosed();
  ConnectTo(peer);
  EXPECT_FALSE(smtp.Connected());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].first, kMailErrorTls);
  EXPECT_THAT(errors[0].second,
              ::testing::StartsWith("Die verschlüsselte Verbindung zu 127.0.0.1 kam nicht zustande: "));
  const Lines lines = peer.Received();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "STARTTLS");
  // After STARTTLS only the client's handshake, no command in clear text.
  for (size_t i = 2; i < lines.size(); ++i) EXPECT_EQ(lines[i].find("EHLO"), std::string::npos);
}

TEST_F(SmtpTest, SilentServerTimesOutWhileTheWindowRuns) {
  ScriptedPeer peer;
  peer.Pause(700);
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  smtp.TimeOut = 300;
  const auto start = Clock::now();
  ConnectTo(peer);
  const auto took = Clock::now() - start;
  EXPECT_LT(took, std::chrono::milliseconds(1200));
  EXPECT_GE(took, std::chrono::milliseconds(290));
  EXPECT_FALSE(smtp.Connected());
  ExpectOneError(kMailErrorTimeOut, "Timeout waiting for reply.");
  // Slices of the wait let the window run, without spinning.
  EXPECT_GE(pumped, 5);
  EXPECT_LE(pumped, 100);
}

TEST_F(SmtpTest, ServerClosingMidDialogueEndsTheWaitAtOnce) {
  for (bool duringSend : {false, true}) {
    errors.clear();
    ScriptedPeer peer;
    peer.Send("220 hi\r\n").ReadLine();
    if (duringSend) peer.Send("250 hi\r\n").ReadLine();
    peer.Close();
    const auto start = Clock::now();
    ConnectTo(peer);
    MailMessage msg = Message();
    EXPECT_TRUE(!duringSend || smtp.SendMsg(msg));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_FALSE(smtp.Connected());
    ASSERT_EQ(errors.size(), 1u) << duringSend;
    EXPECT_EQ(errors[0].first, kMailErrorConnectionClosed);
  }
}

TEST_F(SmtpTest, TextGoesOnTheWireAsLatin1) {
  ScriptedPeer peer;
  peer.Send("220 h\xE4llo\r\n").Replies({"250 hi\r\n", "250 Ok\r\n", "250 Ok\r\n", "354 go\r\n"});
  peer.ReadLine().ReadLine().Replies({"250 queued\r\n", "250 Ok\r\n", "221 Bye\r\n"});
  std::string greeting;
  smtp.OnReceiveTextFromSocket = [&](SmtpClient*, const std::string& s) {
    if (greeting.empty()) greeting = s;
  };
  ConnectTo(peer);
  EXPECT_EQ(greeting, "220 hällo\r\n");
  MailMessage msg = Message();
  msg.RawMail = {"Grüße für 5 €"};
  smtp.SendMsg(msg);
  smtp.Quit();
  const auto lines = peer.Received();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[4],
            "Gr\xFC\xDF"
            "e f\xFCr 5 ?");
}

TEST_F(SmtpTest, ConnectFailureIsSilentAndPortTextFallsBack) {
  smtp.Port = "1";  // nothing listens there
  smtp.Connect();
  EXPECT_FALSE(smtp.Connected());
  EXPECT_TRUE(smtp.ErrorFlag());
  EXPECT_TRUE(errors.empty());
  for (auto [text, fallback, port] :
       {std::tuple{"abc", 25, 25}, {"", 110, 110}, {"2525", 25, 2525}, {"25x", 25, 25}})
    EXPECT_EQ(PortFromText(text, fallback), port) << text;
  EXPECT_EQ(SmtpClient::HeloName("192.168.0.7"), "[192.168.0.7]");
  EXPECT_EQ(SmtpClient::HeloName("pc.example.test"), "pc.example.test");
}

}  // namespace
}  // namespace tarifuhr
