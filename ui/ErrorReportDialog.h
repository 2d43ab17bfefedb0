// SPDX-License-Identifier: MIT
#pragma once
// The error report dialog: the user picks an operating system, writes what
// went wrong and sends it to the maker. With a mail server configured it
// logs in with POP3 and sends through SMTP while that log-in is open, on
// the user interface's thread (the clients let window messages run, so the
// strip keeps counting); without one the desktop's mail program gets it,
// watched by a timer while it starts. A send in progress keeps the dialog:
// no reset, no close, no second send.

#include <QDialog>
#include <QTimer>
#include <memory>
#include <string>

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace tarifuhr {

class HandOver;
class InternetStateQuery;
class MailMessage;
class Pop3Client;
class Registry;
class Shell;
class SmtpClient;

// Where reports go: the maker's mail server and addresses, kept in the
// registry under the program's key (subkey "Fehlerbericht"), with the
// defaults the build was given.
struct ReportServer {
  static constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\Software\\Tarifuhr\\Fehlerbericht";
  std::string host;
  std::string pop3Port = "995";  // "0": no POP3 log-in before the send
  std::string smtpPort = "465";
  std::string pop3Security = "tls";  // tls, starttls, none
  std::string smtpSecurity = "tls";
  std::string caFile;  // trusted certificates; empty: the system's
  std::string account;
  std::string password;
  std::string from;
  std::string displayName;
  std::string to;

  static ReportServer Read(Registry& registry);
  bool Configured() const { return !host.empty(); }
  bool UsesPop3() const { return pop3Port != "0"; }
};

class ErrorReportDialog : public QDialog {
  Q_OBJECT
 public:
  ErrorReportDialog(InternetStateQuery& internetState, Registry& registry, Shell& shell);
  ~ErrorReportDialog() override;

  // What the menu does before it shows the dialog: buttons ready, the
  // default texts; nothing while a send runs.
  void Reset();

  // Esc, "Abbrechen" and the close box all end here; refused during a send.
  void reject() override;

 private:
  void Send();  // "Absenden"
  void SendByMail(const ReportServer& server);
  void SendWithMailProgram(const ReportServer& server);
  void WatchMailProgram();
  void SetSending(bool sending);
  void PopConnected();     // the rest of a send, inside the POP3 connect
  void SendThroughSmtp();  // connect, log in, send, quit
  // A failure of either client; the first one is said when the send ends.
  void SendFailed(const std::string& detail = "");
  void SayFailure(bool accepted);
  void ShowProgress(uint16_t percent);
  std::vector<std::string> Body() const;

  InternetStateQuery& internetState_;
  Registry& registry_;
  Shell& shell_;
  QComboBox* operatingSystem_;
  QPlainTextEdit* report_;
  QPushButton* sendButton_;
  QPushButton* cancelButton_;
  QString systemItem_;  // the system we run on, when it says; preselected
  std::unique_ptr<Pop3Client> pop_;
  std::unique_ptr<SmtpClient> smtp_;
  std::unique_ptr<MailMessage> message_;
  std::unique_ptr<HandOver> mailProgram_;
  QTimer mailProgramWatch_;
  bool closeAllowed_ = true;    // false exactly while a send runs
  bool failed_ = false;         // a failure was reported in this send
  std::string failureDetail_;   // what the first failure said, when it says more
  bool popConnected_ = false;   // the POP3 connection was made
  bool smtpStarted_ = false;    // the SMTP part of this send began
  std::string supportAddress_;  // quoted in the failure message
};

}  // namespace tarifuhr
