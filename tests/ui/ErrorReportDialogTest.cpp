// SPDX-License-Identifier: MIT
// The error report dialog, driven by keys and clicks, against the real
// Postfix and Dovecot that scripts/test.sh starts; without a server the
// desktop's mail program (a stub xdg-email that writes down its arguments);
// a send against scripted servers that answer slowly.

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "platform/MessagePump.h"
#include "platform/OperatingSystemName.h"
#include "tests/support/MailServers.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/ui/DialogFixture.h"
#include "ui/ErrorReportDialog.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

const char* const kSkip =
    "no mail servers: scripts/test.sh starts them and sets TARIFUHR_TEST_SMTP_PORT, ...";

struct ReportWorld : DialogWorld {
  ReportWorld() {
    AddEntry("Net");
    dialog = &set->ErrorReport();
  }
  void Online() {
    uint32_t outcome = 0;
    double delay = 0;
    network->FinishDial(network->StartDial("Net", "", "", outcome, delay), outcome, delay);
  }
  // Over implicit TLS with AUTH where the servers offer it, else (or
  // with `clearText`) as configured for a local test server.
  void Configure(const test::MailServers& s, bool clearText = false) {
    const std::pair<const char*, std::string> values[] = {
        {"host", s.smtpHost},        {"pop3port", s.pop3Port}, {"smtpport", s.smtpPort},
        {"account", s.user},         {"password", s.pass},     {"from", "bericht@example.test"},
        {"displayname", "Tarifuhr"}, {"to", s.addr},           {"pop3security", "none"},
        {"smtpsecurity", "none"}};
    for (const auto& [name, value] : values) registry.WriteString(ReportServer::kKey, name, value);
    if (clearText || s.smtpsPort.empty()) return;
    const std::pair<const char*, std::string> tls[] = {{"host", s.tlsHost},       {"pop3port", s.pop3sPort},
                                                       {"smtpport", s.smtpsPort}, {"pop3security", "tls"},
                                                       {"smtpsecurity", "tls"},   {"cafile", s.caFile}};
    for (const auto& [name, value] : tls) registry.WriteString(ReportServer::kKey, name, value);
  }
  // Opens the dialog from the menu and writes a report with `token`.
  void Write(const QString& token) {
    mainWindow->StripItems().errorReport->trigger();
    auto* report = Control<QPlainTextEdit>(*dialog, "report");
    report->selectAll();
    Type(report, QStringLiteral("Zähler läuft rückwärts ") + token);
    QTest::keyClick(report, Qt::Key_Return);
    Type(report, QStringLiteral(".Punktzeile"));
  }
  QPushButton* SendButton() { return Control<QPushButton>(*dialog, "send"); }
  bool Ready() {
    return SendButton()->isEnabled() && SendButton()->text() == QStringLiteral("Absenden") &&
           Control<QPushButton>(*dialog, "cancel")->isEnabled();
  }
  ErrorReportDialog* dialog;
};

// A port of 127.0.0.1 where nothing listens.
QString UnusedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return QString::number(ntohs(a.sin_port));
}

// What the dialog preselects: the system we run on, when it says.
QString PreselectedSystem() {
  const QString system = QString::fromStdString(OperatingSystemName());
  return system.isEmpty() ? QStringLiteral("Bitte auswählen") : system;
}

}  // namespace

class ErrorReportDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { SetMessagePump({}); }

  void aReportArrivesAsOneMessage() {
    const auto servers = test::MailServersFromEnvironment();
    if (!servers) QSKIP(kSkip);
    ReportWorld w;
    w.Configure(*servers);
    w.Online();
    QVERIFY(w.mainWindow->StripItems().errorReport->isEnabled());
    const std::string token = test::Token();
    w.Write(QString::fromStdString(token));
    // While the clients wait, the button shows how far the send is; the
    // close box is refused meanwhile.
    QStringList captions;
    bool closedMidway = false;
    SetMessagePump([&] {
      captions << w.SendButton()->text();
      w.dialog->close();
      closedMidway = closedMidway || w.dialog->isHidden();
    });
    Click(w.SendButton());
    QVERIFY(w.dialog->isHidden());
    QVERIFY(!closedMidway);
    QVERIFY(captions.contains(QStringLiteral("100%")));

    const auto mails = test::Delivered(servers->maildir, token, 1);
    QCOMPARE(mails.size(), size_t(1));
    const std::string& m = mails[0];
    QVERIFY(m.find("\nSubject: Fehlerbericht\n") != std::string::npos);
    QVERIFY(m.find("\nFrom: \"Tarifuhr\" <bericht@example.test>\n") != std::string::npos);
    const std::string body = m.substr(m.find("\n\n") + 2);
    QCOMPARE(body.substr(0, body.find('\n')),
             "Betriebssystem:" + PreselectedSystem().toLatin1().toStdString());
    QVERIFY(body.find("Fehlerbericht:\nZ\xE4hler l\xE4uft r\xFC"
                      "ckw\xE4rts") != std::string::npos);
    QVERIFY(body.find("\n.Punktzeile\n") != std::string::npos);
  }

  void offlineNothingIsSent() {
    const auto servers = test::MailServersFromEnvironment();
    if (!servers) QSKIP(kSkip);
    ReportWorld w;
    w.Configure(*servers);
    const std::string token = test::Token();
    w.Write(QString::fromStdString(token));
    BoxAnswerer boxes;
    Click(w.SendButton());
    QCOMPARE(boxes.texts,
             QStringList{QStringLiteral("Stellen Sie bitte zuerst eine Verbindung zum Internet her!")});
    QCOMPARE(boxes.captions, QStringList{QStringLiteral("Fehler")});
    QVERIFY(w.dialog->isVisible() && w.Ready());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    QVERIFY(test::Delivered(servers->maildir, token, 0).empty());
  }

  void aFailedSendKeepsTheReportAndIsReadyAgain() {
    const auto servers = test::MailServersFromEnvironment();
    if (!servers) QSKIP(kSkip);
    // The value, and what the box says before the common text.
    const std::tuple<const char*, QString, QString> failures[] = {
        {"password", QStringLiteral("falsch"), QString()},
        {"to", QStringLiteral("niemand@example.test"), QString()},
        {"pop3port", UnusedPort(), QString()},
        {"smtpport", UnusedPort(), QString()},
        {"from", QStringLiteral("kein Absender"),
         QStringLiteral("Die Absenderadresse (from) „kein Absender“ ist ungültig.\n\n")},
        {"host", QStringLiteral("127.0.0.1"),
         QStringLiteral("Die verschlüsselte Verbindung zu 127.0.0.1 kam nicht zustande: das Zertifikat des "
                        "Servers gilt nicht für diesen Namen. Es wurde nichts gesendet.\n\n")}};
    for (const auto& [name, value, detail] : failures) {
      if (servers->smtpsPort.empty() && std::string(name) == "host") continue;  // no TLS to refuse
      ReportWorld w;
      w.Configure(*servers);
      w.registry.WriteString(ReportServer::kKey, name, value.toStdString());
      w.Online();
      w.Write(QStringLiteral("Bericht"));
      const QString typed = Control<QPlainTextEdit>(*w.dialog, "report")->toPlainText();
      BoxAnswerer boxes;
      Click(w.SendButton());
      QVERIFY2(!boxes.texts.isEmpty(), name);
      QVERIFY2(boxes.texts[0].startsWith(detail + QStringLiteral("Fehler beim Senden des Formulars.")),
               qPrintable(boxes.texts[0]));
      const QString support = QString::fromStdString(w.registry.ReadString(ReportServer::kKey, "to"));
      QVERIFY2(boxes.texts[0].endsWith(support + QStringLiteral(". Danke!")), name);
      QVERIFY2(w.dialog->isVisible() && w.Ready(), name);
      QCOMPARE(Control<QPlainTextEdit>(*w.dialog, "report")->toPlainText(), typed);
    }
  }

  void withoutPop3TheSmtpLogInAloneSends() {
    const auto servers = test::MailServersFromEnvironment();
    if (!servers) QSKIP(kSkip);
    if (servers->smtpsPort.empty())
      QSKIP("the mail servers were started without TLS (TARIFUHR_TEST_SMTPS_PORT)");
    ReportWorld w;
    w.Configure(*servers);
    // No POP3 log-in: the SMTPS server takes the report only after AUTH.
    w.registry.WriteString(ReportServer::kKey, "pop3port", "0");
    w.Online();
    const std::string token = test::Token();
    w.Write(QString::fromStdString(token));
    BoxAnswerer boxes;
    Click(w.SendButton());
    QVERIFY2(boxes.texts.isEmpty(), qPrintable(boxes.texts.join('\n')));
    QVERIFY(w.dialog->isHidden());
    QCOMPARE(test::Delivered(servers->maildir, token, 1).size(), size_t(1));
  }

  void aFailureAfterTheServerTookTheReportSaysItWasProbablyDelivered() {
    const auto servers = test::MailServersFromEnvironment();
    if (!servers) QSKIP(kSkip);
    ReportWorld w;
    // In clear text nothing asks for AUTH: the refused POP3 log-in is said,
    // and the report goes anyway.
    w.Configure(*servers, true);
    w.registry.WriteString(ReportServer::kKey, "password", "falsch");
    w.Online();
    const std::string token = test::Token();
    w.Write(QString::fromStdString(token));
    BoxAnswerer boxes;
    Click(w.SendButton());
    QCOMPARE(boxes.texts,
             QStringList{QStringLiteral("Der Fehlerbericht wurde wahrscheinlich zugestellt; erst "
                                        "danach meldete der Mailserver einen Fehler. Bitte senden "
                                        "Sie ihn nicht noch einmal.")});
    QVERIFY(w.dialog->isHidden());
    QCOMPARE(test::Delivered(servers->maildir, token, 1).size(), size_t(1));
  }

  void withoutAServerTheMailProgramGetsTheReport() {
    ReportWorld w;
    w.Online();
    const std::string bin = w.dir.File("bin");
    std::filesystem::create_directories(bin);
    const std::string args = w.dir.File("xdg-email.args"), pid = w.dir.File("xdg-email.pid");
    // It keeps running, as xdg-email does until a Thunderbird it started is closed.
    WriteFileBytes(bin + "/xdg-email",
                   "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n--\\n' \"$a\"; done > '" + args +
                       "'\n[ -z \"$XDG_EMAIL_EXIT\" ] || exit $XDG_EMAIL_EXIT\necho $$ > '" + pid +
                       "'\nexec sleep 20\n");
    std::filesystem::permissions(bin + "/xdg-email", std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin) + ":" + path);

    w.Write(QStringLiteral("ohne Server"));
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
    tick.start(50);
    Click(w.SendButton());
    QVERIFY(w.dialog->isVisible());  // not waited for
    QTRY_VERIFY_WITH_TIMEOUT(w.dialog->isHidden(), 10000);
    const pid_t program = std::stoi(ReadFileBytes(pid));
    const bool running = ::kill(program, 0) == 0;
    ::kill(program, SIGTERM);
    QVERIFY(running && ticks >= 20);
    const QString told = QString::fromStdString(ReadFileBytes(args));
    QVERIFY(told.startsWith(QStringLiteral("--subject\n--\nFehlerbericht\n--\n--body\n--\nBetriebssystem:") +
                            PreselectedSystem()));
    QVERIFY(told.contains(QStringLiteral("Zähler läuft rückwärts ohne Server\n.Punktzeile")));
    QVERIFY(told.endsWith(QString::fromUtf8(AboutDialog::kSupportAddress) + QStringLiteral("\n--\n")));

    // A mail program that fails at once: said, and the report stays.
    qputenv("XDG_EMAIL_EXIT", "3");
    w.Write(QStringLiteral("noch einmal"));
    BoxAnswerer boxes;
    Click(w.SendButton());
    QTRY_COMPARE(boxes.texts.size(), 1);
    qunsetenv("XDG_EMAIL_EXIT");
    qputenv("PATH", path);
    QVERIFY(boxes.texts[0].startsWith(QStringLiteral("Das Mailprogramm konnte nicht geöffnet werden")));
    QVERIFY(w.dialog->isVisible() && w.Ready());
  }

  // The menu item, Esc and the close box during a send: the send goes on
  // with the report it was given, and the dialog ends once.
  void aSendInProgressIsLeftAlone() {
    ReportWorld w;
    test::ScriptedPeer pop, smtp;
    pop.Pause(800).Send("+OK\r\n").Replies({"+OK\r\n", "+OK\r\n", "+OK\r\n"});
    smtp.Send("220 x\r\n").Replies({"250 x\r\n", "250 x\r\n", "250 x\r\n", "354 x\r\n"}).ReadThrough(".");
    smtp.Send("250 x\r\n").Replies({"250 x\r\n", "221 x\r\n"});
    pop.Start();
    smtp.Start();
    w.Configure({"127.0.0.1", std::to_string(smtp.Port()), "", std::to_string(pop.Port()), "k", "p",
                 "h@example.test", "", "", "", "", "", ""},
                true);
    w.Online();
    w.Write(QStringLiteral("langsam"));
    auto* report = Control<QPlainTextEdit>(*w.dialog, "report");
    const QString typed = report->toPlainText();
    int ends = 0;
    QObject::connect(w.dialog, &QDialog::finished, [&ends] { ++ends; });
    bool leftAlone = false;
    SetMessagePump([&] {
      if (report->toPlainText() == typed && !leftAlone) {
        w.mainWindow->StripItems().errorReport->trigger();
        QTest::keyClick(w.dialog, Qt::Key_Escape);
        w.dialog->close();
        Type(report, QStringLiteral("x"));
        leftAlone = w.dialog->isVisible() && report->toPlainText() == typed &&
                    !Control<QComboBox>(*w.dialog, "operatingSystem")->isEnabled();
      }
      QCoreApplication::processEvents();
    });
    BoxAnswerer boxes;
    Click(w.SendButton());
    SetMessagePump({});
    QVERIFY(leftAlone && boxes.texts.isEmpty() && w.dialog->isHidden());
    QCOMPARE(ends, 1);
    QCOMPARE(pop.Received(), (std::vector<std::string>{"USER k", "PASS p", "QUIT"}));
    const auto mail = smtp.Received();
    QVERIFY(std::find(mail.begin(), mail.end(),
                      "Z\xE4hler l\xE4uft r\xFC"
                      "ckw\xE4rts langsam") != mail.end());
  }

  // Today's systems after the old six, ours preselected; Tab from the
  // report goes on to "Absenden".
  void theFormOffersTodaysSystemsAndTabReachesSend() {
    ReportWorld w;
    w.mainWindow->StripItems().errorReport->trigger();
    auto* system = Control<QComboBox>(*w.dialog, "operatingSystem");
    QCOMPARE(system->itemText(6), QStringLiteral("Linux"));
    QCOMPARE(system->currentText(), PreselectedSystem());
    QCOMPARE(system->count(), PreselectedSystem() == QStringLiteral("Bitte auswählen") ? 7 : 8);
    QVERIFY(QTest::qWaitForWindowActive(w.dialog));
    auto* report = Control<QPlainTextEdit>(*w.dialog, "report");
    report->setFocus();
    QTest::keyClick(report, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.SendButton());
  }
};

QTEST_MAIN(ErrorReportDialogTest)
#include "ErrorReportDialogTest.moc"
