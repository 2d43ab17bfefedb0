// SPDX-License-Identifier: MIT
// The mail clients against a real Postfix (SMTP) and Dovecot (POP3) that
// scripts/test.sh starts on 127.0.0.1 and describes in TARIFUHR_TEST_*
// variables, in clear text and with TLS (a test CA of their own, whose
// certificate names "localhost" only). Peers that misbehave on purpose are
// in tests/mail.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "mail/MailMessage.h"
#include "mail/Pop3Client.h"
#include "mail/SmtpClient.h"
#include "platform/Files.h"
#include "tests/support/MailServers.h"
#include "tests/support/ScriptedPeer.h"

namespace tarifuhr {
namespace {

using test::Delivered;
using test::MailServersFromEnvironment;
using test::Token;

class MailServers : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto env = MailServersFromEnvironment();
    if (!env)
      GTEST_SKIP() << "no mail servers: scripts/test.sh starts them and sets TARIFUHR_TEST_SMTP_PORT, "
                      "TARIFUHR_TEST_POP3_PORT, TARIFUHR_TEST_MAIL_USER, ... for these tests";
    srv = *env;
    pop.Host = srv.pop3Host;
    pop.Port = srv.pop3Port;
    pop.UserId = srv.user;
    pop.UserPasswd = srv.pass;
    pop.TimeOut = 10000;
    pop.Security = MailSecurity::None;
    smtp.Security = MailSecurity::None;
    smtp.Host = srv.smtpHost;
    smtp.Port = srv.smtpPort;
    smtp.TimeOut = 10000;
    pop.OnError = [this](Pop3Client*, int e, const std::string& m) { errors.emplace_back(e, m); };
    smtp.OnError = [this](SmtpClient*, int e, const std::string& m) { errors.emplace_back(e, m); };
    pop.OnSendTextToSocket = [this](Pop3Client*, const std::string& s) { wire.push_back("POP " + s); };
    // The SMTP commands, without the message lines between DATA and its end.
    smtp.OnSendTextToSocket = [this](SmtpClient*, const std::string& s) {
      if (s == "\r\n.\r\n") inData = false;
      if (!inData)
        wire.push_back("SMTP " + (s.rfind("HELO ", 0) == 0 || s.rfind("EHLO ", 0) == 0 ? s.substr(0, 4) : s));
      if (s == "DATA\r\n") inData = true;
    };
  }

  MailMessage Message(const std::string& token) {
    MailMessage msg;
    msg.From = "report@example.test";
    msg.UserName = "Tarifuhr";
    msg.SendTo = srv.addr;
    msg.Subject = "Fehlerbericht " + token;
    return msg;
  }

  // Both clients over TLS to the name the certificate is for, logging in
  // with the test account.
  void UseTls(MailSecurity smtpSecurity, const std::string& smtpPort, MailSecurity popSecurity,
              const std::string& popPort) {
    if (srv.smtpsPort.empty() || srv.caFile.empty())
      GTEST_SKIP() << "the mail servers were started without TLS (TARIFUHR_TEST_SMTPS_PORT, ...)";
    smtp.Host = pop.Host = srv.tlsHost;
    smtp.CaFile = pop.CaFile = srv.caFile;
    smtp.Security = smtpSecurity;
    smtp.Port = smtpPort;
    smtp.UserName = srv.user;
    smtp.Password = srv.pass;
    pop.Security = popSecurity;
    pop.Port = popPort;
  }
  // Log-in and send inside the POP3 connection, as the report dialog does.
  void SendInsidePopLogIn(MailMessage& msg) {
    pop.OnConnect = [&](Pop3Client*) {
      pop.Login();
      smtp.Connect();
      if (smtp.Connected()) smtp.SendMsg(msg);
      smtp.Quit();
      pop.Quit();
    };
    pop.Connect();
  }

  test::MailServers srv;
  Pop3Client pop;
  SmtpClient smtp;
  std::vector<std::pair<int, std::string>> errors;
  std::vector<std::string> wire;
  bool inData = false;
};

TEST_F(MailServers, ReportSentWhilePopLogInIsOpen) {
  const std::string token = Token();
  MailMessage msg = Message(token);
  msg.Text = {"Betriebssystem:WinXP", "", "Fehlerbericht:", "Zeile 1\r\n.versteckt\r\nGrüße aus Köln"};
  bool loggedIn = false;
  bool sent = false;
  // As the report dialog does it: everything runs in the connect event.
  pop.OnConnect = [&](Pop3Client*) {
    loggedIn = pop.Login();
    smtp.Connect();
    sent = smtp.SendMsg(msg);
    smtp.Quit();
    pop.Quit();
  };
  pop.Connect();
  EXPECT_TRUE(loggedIn);
  EXPECT_TRUE(sent);
  EXPECT_TRUE(errors.empty()) << errors.front().first << " " << errors.front().second;
  const std::vector<std::string> order = {"POP USER " + srv.user + "\r\n",
                                          "POP PASS " + srv.pass + "\r\n",
                                          "SMTP HELO",
                                          "SMTP MAIL FROM:<report@example.test>\r\n",
                                          "SMTP RCPT TO:<" + srv.addr + ">\r\n",
                                          "SMTP DATA\r\n",
                                          "SMTP \r\n.\r\n",
                                          "SMTP RSET\r\n",
                                          "SMTP QUIT\r\n",
                                          "POP QUIT\r\n"};
  EXPECT_EQ(wire, order);

  const auto files = Delivered(srv.maildir, token, 1);
  ASSERT_EQ(files.size(), 1u);
  const std::string& mail = files[0];
  size_t pos = 0;
  for (const char* header : {"\nMessage-Id: <ZIM.", "\nDate: ", "\nX-Priority: 3\n",
                             "\nFrom: \"Tarifuhr\" <report@example.test>\n", "\nX-Mailer: \n",
                             "\nTo: tester@", "\nMIME-Version: 1.0\n", "\nSubject: Fehlerbericht T",
                             "\nContent-Type: text/plain; charset=ISO-8859-1\n",
                             "\nContent-Transfer-Encoding: 8Bit\n", "\n\nBetriebssystem:WinXP\n"}) {
    const auto at = mail.find(header, pos);
    ASSERT_NE(at, std::string::npos) << "missing or out of order: " << header << "\n" << mail;
    pos = at;
  }
  // The server undid the dot-stuffing; umlauts travelled as ISO-8859-1.
  EXPECT_NE(mail.find("\nZeile 1\n.versteckt\n"), std::string::npos) << mail;
  EXPECT_NE(mail.find("Gr\xFC\xDF"
                      "e aus K\xF6ln\n"),
            std::string::npos)
      << mail;
  EXPECT_EQ(mail.find("\xC3"), std::string::npos) << "UTF-8 on the wire";
}

TEST_F(MailServers, WrongPasswordAndRefusedUser) {
  pop.UserPasswd = "wrong";
  pop.Connect();
  ASSERT_TRUE(pop.Connected());
  EXPECT_FALSE(pop.Login());
  EXPECT_FALSE(pop.Connected());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].first, 2001);
  EXPECT_EQ(errors[0].second, "[AUTH] Authentication failed.");
  pop.Quit();  // the connection is gone already: nothing is sent
  EXPECT_EQ(wire.back(), "POP PASS wrong\r\n");

  // Dovecot takes any USER but one too long for its buffer.
  wire.clear();
  errors.clear();
  pop.UserId = std::string(2000, 'x');
  pop.Connect();
  EXPECT_FALSE(pop.Login());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].first, 2001);
  EXPECT_EQ(errors[0].second, "Input buffer full, aborting");
  ASSERT_EQ(wire.size(), 1u);  // USER only, no PASS
  EXPECT_EQ(wire[0].rfind("POP USER xxx", 0), 0u);
}

TEST_F(MailServers, RefusedRecipientEndsTheSend) {
  const std::string token = Token();
  MailMessage msg = Message(token);
  msg.SendTo = "nobody@example.test";
  msg.CC = srv.addr;
  msg.Text = {token};
  smtp.Connect();
  ASSERT_TRUE(smtp.Connected());
  EXPECT_TRUE(smtp.SendMsg(msg));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].first, 550);
  EXPECT_EQ(errors[0].second.rfind("5.1.1 <nobody@example.test>", 0), 0u) << errors[0].second;
  EXPECT_FALSE(smtp.Connected());
  // The CC transaction was not attempted on the closed connection.
  EXPECT_EQ(std::count(wire.begin(), wire.end(), "SMTP DATA\r\n"), 0);

  errors.clear();
  msg.RawMail.clear();
  msg.SendTo = "someone@elsewhere.test";
  msg.CC.clear();
  smtp.Connect();
  smtp.SendMsg(msg);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].first, 554);
  EXPECT_EQ(errors[0].second.find("Relay access denied") == std::string::npos, false) << errors[0].second;

  // A message sent afterwards arrives; the refused one never did.
  const std::string after = Token();
  MailMessage marker = Message(after);
  smtp.Connect();
  smtp.SendMsg(marker);
  smtp.Quit();
  EXPECT_EQ(Delivered(srv.maildir, after, 1).size(), 1u);
  EXPECT_TRUE(Delivered(srv.maildir, token, 0).empty());
}

TEST_F(MailServers, CcRecipientsGetTheirOwnTransaction) {
  const std::string token = Token();
  MailMessage msg = Message(token);
  msg.CC = "\"Kopie\" <" + srv.addr + ">";
  msg.Text = {token};
  smtp.Connect();
  EXPECT_TRUE(smtp.SendMsg(msg));
  smtp.Quit();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(std::count(wire.begin(), wire.end(), "SMTP DATA\r\n"), 2);
  const auto files = Delivered(srv.maildir, token, 2);
  ASSERT_EQ(files.size(), 2u);
  for (const auto& f : files) EXPECT_NE(f.find("\nCC: \"Kopie\" <"), std::string::npos);
}

TEST_F(MailServers, ReportArrivesOverImplicitTlsWithAuth) {
  UseTls(MailSecurity::Tls, srv.smtpsPort, MailSecurity::Tls, srv.pop3sPort);
  const std::string token = Token();
  MailMessage msg = Message(token);
  msg.Text = {token};
  SendInsidePopLogIn(msg);
  EXPECT_TRUE(errors.empty()) << errors.front().first << " " << errors.front().second;
  // The SMTPS port refuses any recipient without AUTH.
  EXPECT_EQ(std::count(wire.begin(), wire.end(), "SMTP AUTH PLAIN ***\r\n"), 1);
  EXPECT_EQ(Delivered(srv.maildir, token, 1).size(), 1u);
}

TEST_F(MailServers, ReportArrivesOverStartTlsWithAuth) {
  UseTls(MailSecurity::StartTls, srv.submissionPort, MailSecurity::StartTls, srv.pop3Port);
  const std::string token = Token();
  MailMessage msg = Message(token);
  msg.Text = {token};
  SendInsidePopLogIn(msg);
  EXPECT_TRUE(errors.empty()) << errors.front().first << " " << errors.front().second;
  ASSERT_GE(wire.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(wire.begin(), wire.begin() + 6),
            (std::vector<std::string>{"POP STLS\r\n", "POP USER " + srv.user + "\r\n",
                                      "POP PASS " + srv.pass + "\r\n", "SMTP EHLO", "SMTP STARTTLS\r\n",
                                      "SMTP EHLO"}));
  EXPECT_EQ(wire[6], "SMTP AUTH PLAIN ***\r\n");
  EXPECT_EQ(Delivered(srv.maildir, token, 1).size(), 1u);
}

TEST_F(MailServers, CertificateForAnotherNameIsRefusedBeforeAnythingIsSent) {
  UseTls(MailSecurity::Tls, srv.smtpsPort, MailSecurity::StartTls, srv.pop3Port);
  // 127.0.0.1 is the same server, but not a name its certificate is for.
  smtp.Host = pop.Host = "127.0.0.1";
  const std::string refused =
      "Die verschlüsselte Verbindung zu 127.0.0.1 kam nicht zustande: das Zertifikat des Servers gilt "
      "nicht für diesen Namen. Es wurde nichts gesendet.";
  pop.Connect();
  EXPECT_FALSE(pop.Connected());
  smtp.Connect();
  EXPECT_FALSE(smtp.Connected());
  EXPECT_EQ(errors,
            (std::vector<std::pair<int, std::string>>{{kMailErrorTls, refused}, {kMailErrorTls, refused}}));
  // STLS went out in clear text, nothing after it; no SMTP command at all.
  EXPECT_EQ(wire, std::vector<std::string>{"POP STLS\r\n"});
}

TEST_F(MailServers, ClearTextOnlyWhereConfigured) {
  UseTls(MailSecurity::Tls, srv.smtpPort, MailSecurity::Tls, srv.pop3Port);
  smtp.Host = pop.Host = "127.0.0.1";
  pop.Connect();
  smtp.Connect();
  EXPECT_FALSE(pop.Connected());
  EXPECT_FALSE(smtp.Connected());
  ASSERT_EQ(errors.size(), 2u);
  for (const auto& [code, text] : errors) {
    EXPECT_EQ(code, kMailErrorTls);
    EXPECT_EQ(text.rfind("Die verschlüsselte Verbindung zu 127.0.0.1 kam nicht zustande: ", 0), 0u) << text;
  }
  EXPECT_TRUE(wire.empty());  // no password, no command in clear text
}

// Ports that are not numbers mean the standard ports; nothing of ours runs
// there, so a peer stands in where the port can be had.
TEST(MailPorts, TextThatIsNotANumberMeansTheStandardPort) {
  std::unique_ptr<test::ScriptedPeer> smtpPeer, popPeer;
  try {
    smtpPeer = std::make_unique<test::ScriptedPeer>(25);
    popPeer = std::make_unique<test::ScriptedPeer>(110);
  } catch (const std::exception& e) {
    GTEST_SKIP() << "ports 25 and 110 of 127.0.0.1 are needed: " << e.what();
  }
  smtpPeer->Send("220 standard port\r\n").Replies({"250 hi\r\n", "221 bye\r\n"});
  popPeer->Send("+OK standard port\r\n").ReadUntilClosed();
  smtpPeer->Start();
  popPeer->Start();
  SmtpClient smtp;
  smtp.Security = MailSecurity::None;
  smtp.Host = "localhost";
  smtp.Port = "abc";
  smtp.Connect();
  EXPECT_TRUE(smtp.Connected());
  EXPECT_EQ(smtp.LastReplyCode(), "250");
  smtp.Quit();
  Pop3Client pop;
  pop.Security = MailSecurity::None;
  pop.Host = "127.0.0.1";
  pop.Port = "";
  pop.Connect();
  EXPECT_TRUE(pop.Connected());
  EXPECT_EQ(pop.LastReplyText(), "standard port");
  pop.Quit();
}

}  // namespace
}  // namespace tarifuhr
