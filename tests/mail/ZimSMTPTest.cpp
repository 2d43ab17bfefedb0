#include "mail/ZimSMTP.h"

#include <gtest/gtest.h>

#include <chrono>

#include "mail/Wire.h"
#include "platform/MessagePump.h"
#include "tests/support/ScriptedPeer.h"

namespace tarifuhr {
namespace {

using test::ScriptedPeer;

struct Reported {
  int error;
  std::string msg;
};

class SmtpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    smtp.Host = "127.0.0.1";
    smtp.TimeOut = 3000;
    smtp.OnError = [this](TZimSMTP* sender, int error, const std::string& msg) {
      EXPECT_EQ(sender, &smtp);
      errors.push_back({error, msg});
    };
    smtp.OnSendProgress = [this](TZimSMTP*, uint16_t percent) { progress.push_back(percent); };
  }
  void TearDown() override { SetMessagePump({}); }

  void ConnectTo(ScriptedPeer& peer) {
    smtp.Port = std::to_string(peer.Port());
    peer.Start();
    smtp.Connect();
  }
  static TZimMsg Message() {
    TZimMsg msg;
    msg.From = "Report <report@example.test>";
    msg.SendTo = "help@example.test";
    msg.RawMail = {"Subject: x", "", "body"};
    return msg;
  }

  TZimSMTP smtp;
  std::vector<Reported> errors;
  std::vector<uint16_t> progress;
};

TEST_F(SmtpTest, WholeDialogueWithMultiLineRepliesInPieces) {
  ScriptedPeer peer;
  peer.Send("220-mail.example.test first\r\n").Pause(50).Send("220-second\r\n220 ready\r\n")
      .ReadLine().Send("250-mail.example.test\r\n250-PIPELINING\r\n250 8BITMIME\r\n")
      .ReadLine().Send("250 2.1.0 Ok\r\n")
      .ReadLine().Send("250 2.1.5 Ok\r\n")
      .ReadLine().Send("354 End data with <CR><LF>.<CR><LF>\r\n")
      .ReadLine().ReadLine().ReadLine().ReadLine().ReadLine()
      .Send("250 2.0.0 Ok: queued").Pause(50).Send(" as 1234\r\n")
      .ReadLine().Send("250 2.0.0 Ok\r\n")
      .ReadLine().Send("221 2.0.0 Bye\r\n").ReadUntilClosed();
  std::vector<std::string> sent, replies;
  smtp.OnSendTextToSocket = [&](TZimSMTP*, const std::string& s) { sent.push_back(s); };
  smtp.OnReceiveTextFromSocket = [&](TZimSMTP*, const std::string& s) { replies.push_back(s); };
  int before = 0, after = 0;
  smtp.OnBeforeSend = [&](TZimSMTP*) { ++before; };
  smtp.OnAfterSend = [&](TZimSMTP*) { ++after; };
  ConnectTo(peer);
  ASSERT_TRUE(smtp.Connected());
  EXPECT_EQ(smtp.LastReplyCode(), "250");
  EXPECT_EQ(smtp.LastReplyText(), "8BITMIME");
  TZimMsg msg = Message();
  EXPECT_TRUE(smtp.SendMsg(msg));
  EXPECT_EQ(smtp.LastReplyText(), "2.0.0 Ok");
  smtp.Quit();
  EXPECT_FALSE(smtp.Connected());
  const auto lines = peer.Received();
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[0], "HELO " + TZimSMTP::HeloName(lines[0].substr(5)));
  EXPECT_EQ(lines[1], "MAIL FROM:<report@example.test>");
  EXPECT_EQ(lines[2], "RCPT TO:<help@example.test>");
  EXPECT_EQ(lines[3], "DATA");
  EXPECT_EQ((std::vector<std::string>(lines.begin() + 4, lines.begin() + 9)),
            (std::vector<std::string>{"Subject: x", "", "body", "", "."}));
  EXPECT_EQ(lines[9], "RSET");
  EXPECT_EQ(lines[10], "QUIT");
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(progress, (std::vector<uint16_t>{33, 67, 100, 100}));
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  EXPECT_EQ(sent.front().rfind("HELO ", 0), 0u);
  EXPECT_EQ(sent.back(), "QUIT\r\n");
  ASSERT_FALSE(replies.empty());
  EXPECT_EQ(replies.front(), "220-mail.example.test first\r\n220-second\r\n220 ready\r\n");
}

TEST_F(SmtpTest, ACharacterAfterTheLastLineStartsTheNextReply) {
  ScriptedPeer peer;
  peer.Send("220 hi\r\n2").ReadLine().Pause(50).Send("50 welcome\r\n").ReadLine().Send("221 Bye\r\n");
  ConnectTo(peer);
  EXPECT_TRUE(smtp.Connected());
  EXPECT_EQ(smtp.LastReplyCode(), "250");
  EXPECT_EQ(smtp.LastReplyText(), "welcome");
  EXPECT_TRUE(errors.empty());
  smtp.Quit();
}

TEST_F(SmtpTest, NonNumericReplyCodeIsReportedNotThrown) {
  ScriptedPeer peer;
  peer.Send("abc hello\r\n").ReadUntilClosed();
  EXPECT_NO_THROW(ConnectTo(peer));
  EXPECT_FALSE(smtp.Connected());
  EXPECT_TRUE(smtp.ErrorFlag());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].error, kMailErrorBadReply);
  EXPECT_EQ(errors[0].msg, "hello");
  EXPECT_TRUE(peer.Received().empty());  // no HELO after a bad greeting
}

TEST_F(SmtpTest, RefusedRecipientReportedOnceAndLaterListsSkipped) {
  ScriptedPeer peer;
  peer.Send("220 hi\r\n").ReadLine().Send("250 hi\r\n")
      .ReadLine().Send("250 Ok\r\n")
      .ReadLine().Send("550 5.1.1 <nobody@example.test>: Recipient address rejected\r\n")
      .ReadUntilClosed();
  int after = 0;
  smtp.OnAfterSend = [&](TZimSMTP*) { ++after; };
  ConnectTo(peer);
  TZimMsg msg = Message();
  msg.SendTo = "nobody@example.test, help@example.test";
  msg.CC = "cc@example.test";
  msg.BCC = "bcc@example.test";
  EXPECT_TRUE(smtp.SendMsg(msg));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].error, 550);
  EXPECT_EQ(errors[0].msg, "5.1.1 <nobody@example.test>: Recipient address rejected");
  EXPECT_FALSE(smtp.Connected());
  EXPECT_EQ(after, 1);
  EXPECT_EQ(progress, std::vector<uint16_t>{100});
  const auto lines = peer.Received();
  ASSERT_EQ(lines.size(), 3u);  // HELO, MAIL, the refused RCPT; nothing more
  EXPECT_EQ(lines[2], "RCPT TO:<nobody@example.test>");
  EXPECT_THROW(smtp.SendMsg(msg), EMailError);
  smtp.Quit();  // nothing to do
}

TEST_F(SmtpTest, CcListIsATransactionOfItsOwnAndStepZeroReportsEveryLine) {
  ScriptedPeer peer;
  peer.Send("220 hi\r\n").ReadLine().Send("250 hi\r\n");
  for (const char* rcpt : {"help", "cc"}) {
    (void)rcpt;
    peer.ReadLine().Send("250 Ok\r\n").ReadLine().Send("250 Ok\r\n").ReadLine().Send("354 go\r\n")
        .ReadLine().ReadLine().ReadLine().ReadLine().ReadLine().Send("250 queued\r\n")
        .ReadLine().Send("250 Ok\r\n");
  }
  peer.ReadLine().Send("221 Bye\r\n");
  smtp.SendProgressStep = 0;
  ConnectTo(peer);
  TZimMsg msg = Message();
  msg.CC = "\"Copy\" <CC@Example.test>";
  EXPECT_TRUE(smtp.SendMsg(msg));
  smtp.Quit();
  for (const auto& e : errors) ADD_FAILURE() << e.error << " " << e.msg;
  EXPECT_EQ(progress, (std::vector<uint16_t>{33, 67, 100, 100, 33, 67, 100, 100}));
  const auto lines = peer.Received();
  ASSERT_GE(lines.size(), 19u);
  EXPECT_EQ(lines[10], "MAIL FROM:<report@example.test>");
  EXPECT_EQ(lines[11], "RCPT TO:<cc@example.test>");
}

TEST_F(SmtpTest, ValidationErrorsComeBeforeAnythingIsSent) {
  TZimMsg msg = Message();
  try {
    smtp.SendMsg(msg);
    FAIL();
  } catch (const EMailError& e) {
    EXPECT_STREQ(e.what(), "Not connected.");
  }
  ScriptedPeer peer;
  peer.Send("220 hi\r\n").ReadLine().Send("250 hi\r\n").ReadLine().Send("221 Bye\r\n");
  ConnectTo(peer);
  msg.From.clear();
  try {
    smtp.SendMsg(msg);
    FAIL();
  } catch (const EMailError& e) {
    EXPECT_STREQ(e.what(), "\"From\" field not specified.");
  }
  msg = Message();
  msg.SendTo.clear();
  try {
    smtp.SendMsg(msg);
    FAIL();
  } catch (const EMailError& e) {
    EXPECT_STREQ(e.what(), "\"SendTo\" field not specified.");
  }
  smtp.Quit();
  EXPECT_EQ(peer.Received().size(), 2u);  // HELO and QUIT only
}

TEST_F(SmtpTest, SilentServerTimesOutWhileTheWindowRuns) {
  ScriptedPeer peer;
  peer.Pause(700);
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  smtp.TimeOut = 300;
  const auto start = std::chrono::steady_clock::now();
  ConnectTo(peer);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::milliseconds(1200));
  EXPECT_GE(took, std::chrono::milliseconds(290));
  EXPECT_FALSE(smtp.Connected());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].error, kMailErrorTimeOut);
  // Slices of the wait let the window run, without spinning.
  EXPECT_GE(pumped, 5);
  EXPECT_LE(pumped, 100);
}

TEST_F(SmtpTest, ServerClosingMidDialogueEndsTheWaitAtOnce) {
  ScriptedPeer peer;
  peer.Send("220 hi\r\n").ReadLine().Close();
  const auto start = std::chrono::steady_clock::now();
  ConnectTo(peer);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_FALSE(smtp.Connected());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].error, kMailErrorConnectionClosed);
}

TEST_F(SmtpTest, RefusedGreetingAndQuitReply) {
  ScriptedPeer peer;
  peer.Send("554 go away\r\n").ReadUntilClosed();
  ConnectTo(peer);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].error, 554);
  EXPECT_EQ(errors[0].msg, "go away");

  ScriptedPeer second;
  second.Send("220 hi\r\n").ReadLine().Send("250 hi\r\n").ReadLine().Send("500 what\r\n");
  ConnectTo(second);
  EXPECT_TRUE(smtp.Connected());
  EXPECT_FALSE(smtp.ErrorFlag());
  smtp.Quit();
  EXPECT_FALSE(smtp.Connected());
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[1].error, 500);
}

TEST_F(SmtpTest, TextGoesOnTheWireAsLatin1) {
  ScriptedPeer peer;
  peer.Send("220 h\xE4llo\r\n").ReadLine().Send("250 hi\r\n")
      .ReadLine().Send("250 Ok\r\n").ReadLine().Send("250 Ok\r\n").ReadLine().Send("354 go\r\n")
      .ReadLine().ReadLine().ReadLine().Send("250 queued\r\n")
      .ReadLine().Send("250 Ok\r\n").ReadLine().Send("221 Bye\r\n");
  std::string greeting;
  smtp.OnReceiveTextFromSocket = [&](TZimSMTP*, const std::string& s) {
    if (greeting.empty()) greeting = s;
  };
  ConnectTo(peer);
  EXPECT_EQ(greeting, "220 hällo\r\n");
  TZimMsg msg = Message();
  msg.RawMail = {"Grüße für 5 €"};
  smtp.SendMsg(msg);
  smtp.Quit();
  const auto lines = peer.Received();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[4], "Gr\xFC\xDF" "e f\xFCr 5 ?");
}

TEST_F(SmtpTest, ConnectFailureIsSilentAndPortTextFallsBack) {
  smtp.Port = "1";  // nothing listens there
  smtp.Connect();
  EXPECT_FALSE(smtp.Connected());
  EXPECT_TRUE(smtp.ErrorFlag());
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(PortFromText("abc", 25), 25);
  EXPECT_EQ(PortFromText("", 110), 110);
  EXPECT_EQ(PortFromText("2525", 25), 2525);
  EXPECT_EQ(PortFromText("25x", 25), 25);
}

TEST(SmtpHelo, DottedQuadInBrackets) {
  EXPECT_EQ(TZimSMTP::HeloName("192.168.0.7"), "[192.168.0.7]");
  EXPECT_EQ(TZimSMTP::HeloName("pc.example.test"), "pc.example.test");
}

}  // namespace
}  // namespace tarifuhr
