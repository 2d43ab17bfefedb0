// SPDX-License-Identifier: MIT
#include "ui/ErrorReportDialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "accounting/ConnectionState.h"
#include "mail/MailError.h"
#include "mail/MailMessage.h"
#include "mail/Pop3Client.h"
#include "mail/SmtpClient.h"
#include "platform/OperatingSystemName.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "ui/DialogSupport.h"
#include "ui/MessageBoxes.h"
#include "ui/SupportAddress.h"

// The maker's values as the build was given them (CMake cache variables).
#ifndef TARIFUHR_REPORT_HOST
#define TARIFUHR_REPORT_HOST ""
#define TARIFUHR_REPORT_POP3_PORT "995"
#define TARIFUHR_REPORT_SMTP_PORT "465"
#define TARIFUHR_REPORT_POP3_SECURITY "tls"
#define TARIFUHR_REPORT_SMTP_SECURITY "tls"
#define TARIFUHR_REPORT_CA_FILE ""
#define TARIFUHR_REPORT_ACCOUNT ""
#define TARIFUHR_REPORT_PASSWORD ""
#define TARIFUHR_REPORT_FROM ""
#define TARIFUHR_REPORT_DISPLAY_NAME ""
#define TARIFUHR_REPORT_TO ""
#endif

namespace tarifuhr {
namespace {

const QString kDefaultOperatingSystem = QStringLiteral("Bitte auswählen");
const QString kDefaultReport =
    QStringLiteral("\nSchreiben Sie hier bitte Ihre Fehlermeldung hinein!\n\nVielen Dank!");
const QString kSendCaption = QStringLiteral("Absenden");

QLabel* WhiteLabel(const QString& text, QWidget* parent, int left, int top) {
  auto* l = new QLabel(text, parent);
  l->setFont(QFont(QStringLiteral("Verdana")));
  l->setStyleSheet(QStringLiteral("color: white;"));
  l->adjustSize();
  l->move(left, top);
  return l;
}

}  // namespace

ReportServer ReportServer::Read(Registry& registry) {
  // A value that is missing or empty takes the build's default.
  const auto value = [&registry](const char* name, const char* fallback) {
    std::string v;
    try {
      v = registry.ReadString(kKey, name);
    } catch (const RegistryError&) {
      // A value of another type: the default.
    }
    return v.empty() ? std::string(fallback) : v;
  };
  ReportServer s;
  s.host = value("host", TARIFUHR_REPORT_HOST);
  s.pop3Port = value("pop3port", TARIFUHR_REPORT_POP3_PORT);
  s.smtpPort = value("smtpport", TARIFUHR_REPORT_SMTP_PORT);
  s.pop3Security = value("pop3security", TARIFUHR_REPORT_POP3_SECURITY);
  s.smtpSecurity = value("smtpsecurity", TARIFUHR_REPORT_SMTP_SECURITY);
  s.caFile = value("cafile", TARIFUHR_REPORT_CA_FILE);
  s.account = value("account", TARIFUHR_REPORT_ACCOUNT);
  s.password = value("password", TARIFUHR_REPORT_PASSWORD);
  s.from = value("from", TARIFUHR_REPORT_FROM);
  s.displayName = value("displayname", TARIFUHR_REPORT_DISPLAY_NAME);
  s.to = value("to", TARIFUHR_REPORT_TO);
  if (s.to.empty()) s.to = kMakersSupportAddress;
  return s;
}

ErrorReportDialog::ErrorReportDialog(InternetStateQuery& internetState, Registry& registry, Shell& shell)
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      internetState_(internetState),
      registry_(registry),
      shell_(shell),
      pop_(std::make_unique<Pop3Client>()),
      smtp_(std::make_unique<SmtpClient>()) {
  setWindowTitle(QStringLiteral("Fehlerbericht"));
  setFixedSize(359, 279);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
  setPalette(pal);
  setAutoFillBackground(true);
  const QFont verdana(QStringLiteral("Verdana"));

  WhiteLabel(QStringLiteral("Betriebsystem:"), this, 6, 23);
  operatingSystem_ = Named(new QComboBox(this), "operatingSystem");
  operatingSystem_->setEditable(true);
  operatingSystem_->setInsertPolicy(QComboBox::NoInsert);
  operatingSystem_->addItems({"Win98", "WinME", "WinNT 3", "WinNT 4", "Win2k", "WinXP", "Linux"});
  // The system we run on, so that a report says where it came from.
  systemItem_ = Q(OperatingSystemName());
  if (!systemItem_.isEmpty() && systemItem_ != QStringLiteral("Linux"))
    operatingSystem_->addItem(systemItem_);
  // Wide enough for today's system names: up to the report's right edge;
  // the list as wide as its longest item.
  operatingSystem_->setGeometry(110, 15, 241, operatingSystem_->sizeHint().height());
  operatingSystem_->view()->setMinimumWidth(operatingSystem_->view()->sizeHintForColumn(0));
  operatingSystem_->setFont(verdana);
  WhiteLabel(QStringLiteral("Fehlerbericht:"), this, 6, 71);
  report_ = Named(new QPlainTextEdit(this), "report");
  report_->setGeometry(6, 87, 345, 145);
  report_->setFont(verdana);
  report_->setTabChangesFocus(true);  // Tab goes on to "Absenden"
  sendButton_ = Named(new QPushButton(kSendCaption, this), "send");
  sendButton_->setGeometry(278, 247, 75, 25);
  cancelButton_ = Named(new QPushButton(QStringLiteral("Abbrechen"), this), "cancel");
  cancelButton_->setGeometry(184, 247, 81, 25);
  for (QPushButton* b : {sendButton_, cancelButton_}) b->setAutoDefault(false);
  setTabOrder(operatingSystem_, report_);
  setTabOrder(report_, sendButton_);
  setTabOrder(sendButton_, cancelButton_);
  connect(sendButton_, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Send(); }); });
  connect(cancelButton_, &QPushButton::clicked, this, [this] { close(); });

  pop_->OnConnect = [this](Pop3Client*) { PopConnected(); };
  // Only a refused encryption says more than the common text: it names the host.
  pop_->OnError = [this](Pop3Client*, int error, const std::string& msg) {
    SendFailed(error == kMailErrorTls ? msg : "");
  };
  smtp_->OnError = [this](SmtpClient*, int error, const std::string& msg) {
    SendFailed(error == kMailErrorTls ? msg : "");
  };
  smtp_->OnSendProgress = [this](SmtpClient*, uint16_t percent) { ShowProgress(percent); };
  smtp_->SendProgressStep = 10;
  smtp_->TimeOut = 60000;
  mailProgramWatch_.setInterval(100);
  connect(&mailProgramWatch_, &QTimer::timeout, this, [this] { WatchMailProgram(); });
  Reset();
}

ErrorReportDialog::~ErrorReportDialog() = default;

void ErrorReportDialog::Reset() {
  if (!closeAllowed_) return;  // the send goes on with what it was given
  SetSending(false);
  report_->setPlainText(kDefaultReport);
  operatingSystem_->setEditText(systemItem_.isEmpty() ? kDefaultOperatingSystem : systemItem_);
  operatingSystem_->lineEdit()->setCursorPosition(0);  // a long name shows its start
}

void ErrorReportDialog::SetSending(bool sending) {
  closeAllowed_ = !sending;
  sendButton_->setEnabled(!sending);
  if (!sending) sendButton_->setText(kSendCaption);
  cancelButton_->setEnabled(!sending);
  operatingSystem_->setEnabled(!sending);
  report_->setReadOnly(sending);
}

std::vector<std::string> ErrorReportDialog::Body() const {
  return {"Betriebssystem:" + S(operatingSystem_->currentText()), "",
          "Fehlerbericht:", S(report_->toPlainText())};
}

void ErrorReportDialog::Send() {
  if (!closeAllowed_) return;  // one send at a time
  std::string state;
  GetConnectionState(internetState_, state);
  if (!IsOnline(state)) {
    ShowMessageBox(this, QMessageBox::Critical, QStringLiteral("Fehler"),
                   QStringLiteral("Stellen Sie bitte zuerst eine Verbindung zum Internet her!"));
    return;
  }
  const ReportServer server = ReportServer::Read(registry_);
  supportAddress_ = server.to;
  if (server.Configured())
    SendByMail(server);
  else
    SendWithMailProgram(server);
}

void ErrorReportDialog::SendByMail(const ReportServer& server) {
  SetSending(true);
  failed_ = false;
  failureDetail_.clear();
  popConnected_ = false;
  smtpStarted_ = false;

  message_ = std::make_unique<MailMessage>();
  message_->From = server.from;
  message_->SendTo = server.to;
  message_->Subject = "Fehlerbericht";
  message_->UserName = server.displayName;
  message_->Text = Body();
  pop_->Host = smtp_->Host = server.host;
  pop_->Port = server.pop3Port;
  pop_->UserId = server.account;
  pop_->UserPasswd = server.password;
  pop_->Security = SecurityFromText(server.pop3Security);
  pop_->CaFile = smtp_->CaFile = server.caFile;
  smtp_->Port = server.smtpPort;
  smtp_->Security = SecurityFromText(server.smtpSecurity);
  smtp_->UserName = server.account;  // used when the server offers AUTH
  smtp_->Password = server.password;

  if (server.UsesPop3()) {
    // The rest of the send runs inside, when the connection is made.
    pop_->Connect();
    // A connection that could not be made reports nothing by itself.
    if (!popConnected_ && !failed_) SendFailed();
  } else {
    SendThroughSmtp();
  }
  SetSending(false);
  // Once the server took the report, sending it again would deliver it twice.
  const bool accepted = smtpStarted_ && smtp_->Accepted();
  if (failed_) SayFailure(accepted);
  // Only a send without any failure is done; otherwise the report stays,
  // ready to be sent again.
  if (!failed_ || accepted) close();
}

void ErrorReportDialog::PopConnected() {
  popConnected_ = true;
  pop_->Login();  // a refused log-in is reported; the report is sent anyway
  SendThroughSmtp();
  try {
    pop_->Quit();
  } catch (const std::exception&) {
    if (!failed_) SendFailed();
  }
}

void ErrorReportDialog::SendThroughSmtp() {
  smtpStarted_ = true;
  try {
    smtp_->Connect();
    if (smtp_->Connected()) {
      smtp_->SendMsg(*message_);
      smtp_->Quit();
    } else if (!failed_) {
      SendFailed();  // a connection that could not be made reports nothing by itself
    }
  } catch (const EMailError& e) {
    // A sender the server would refuse: the session was ended, the message
    // names the value.
    if (!failed_) SendFailed(e.what());
  } catch (const std::exception&) {
    // A failed send: the failure was reported, or is now.
    if (!failed_) SendFailed();
  }
}

void ErrorReportDialog::SendFailed(const std::string& detail) {
  if (!failed_) failureDetail_ = detail;
  failed_ = true;
}

void ErrorReportDialog::SayFailure(bool accepted) {
  if (accepted) {
    ShowMessageBox(
        this, QMessageBox::Warning, QStringLiteral("Fehlerbericht"),
        QStringLiteral("Der Fehlerbericht wurde wahrscheinlich zugestellt; erst danach meldete der "
                       "Mailserver einen Fehler. Bitte senden Sie ihn nicht noch einmal."));
    return;
  }
  const QString detail = failureDetail_.empty() ? QString() : Q(failureDetail_) + QStringLiteral("\n\n");
  ShowMessageBox(
      this, QMessageBox::Critical, QStringLiteral("Fehler"),
      detail +
          QStringLiteral("Fehler beim Senden des Formulars. Versuchen Sie es zu einem späteren Zeitpunkt "
                         "bitte noch einmal oder schreiben Sie direkt an ") +
          Q(supportAddress_) + QStringLiteral(". Danke!"));
}

void ErrorReportDialog::ShowProgress(uint16_t percent) {
  sendButton_->setText(QStringLiteral("%1%").arg(percent));
}

void ErrorReportDialog::SendWithMailProgram(const ReportServer& server) {
  std::string body;
  for (const std::string& line : Body()) body += line + '\n';
  SetSending(true);
  mailProgram_ = shell_.ComposeMail(server.to, "Fehlerbericht", body);
  mailProgramWatch_.start();
}

void ErrorReportDialog::WatchMailProgram() {
  const HandOver::State state = mailProgram_ ? mailProgram_->Poll() : HandOver::State::Failed;
  if (state == HandOver::State::Pending) return;
  mailProgramWatch_.stop();
  mailProgram_.reset();
  SetSending(false);
  if (state == HandOver::State::Taken) {
    close();
    return;
  }
  ShowMessageBox(
      this, QMessageBox::Critical, QStringLiteral("Fehler"),
      QStringLiteral("Das Mailprogramm konnte nicht geöffnet werden (xdg-email). Ihr Bericht bleibt "
                     "hier; schreiben Sie bitte direkt an ") +
          Q(supportAddress_) + QStringLiteral(". Danke!"));
}

void ErrorReportDialog::reject() {
  // Not in the middle of a send: Esc and the close box wait for its end.
  if (!closeAllowed_) return;
  QDialog::reject();
}

}  // namespace tarifuhr
