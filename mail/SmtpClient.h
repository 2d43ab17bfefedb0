// SPDX-License-Identifier: MIT
#pragma once
// SMTP client: greets with HELO (EHLO when it encrypts or logs in), sends a
// MailMessage as one transaction per recipient list (To, CC, BCC), quits.
// The connection is encrypted as Security says (TLS from the start, or
// after STARTTLS), never silently in clear text; once encrypted it logs in
// with UserName and Password when the server offers AUTH (PLAIN, else
// LOGIN). Works synchronously on the calling
// thread, processing window messages while it waits. Failures of the
// dialogue close the connection and are reported once through OnError:
// with the server's reply code and text, or with kMailErrorTimeOut when no
// reply comes within TimeOut, kMailErrorConnectionClosed when the server
// closes the connection, kMailErrorBadReply for a reply without a numeric
// code, kMailErrorTls with a German message naming the host when the
// connection can't be encrypted, and the socket's error code when sending
// or receiving fails (the socket error is then also thrown to the caller).

#include <cstdint>
#include <functional>
#include <string>

#include "mail/MailMessage.h"
#include "mail/Replies.h"
#include "mail/Security.h"
#include "platform/ClientSocket.h"
#include "platform/DateTime.h"
#include "platform/TimeZone.h"

namespace tarifuhr {

class SmtpClient {
 public:
  using NotifyHandler = std::function<void(SmtpClient* Sender)>;
  using ErrorHandler = std::function<void(SmtpClient* Sender, int Error, const std::string& Msg)>;
  using SendProgressHandler = std::function<void(SmtpClient* Sender, uint16_t Percent)>;
  using SocketTextHandler = std::function<void(SmtpClient* Sender, const std::string& s)>;

  SmtpClient();
  SmtpClient(const SmtpClient&) = delete;
  SmtpClient& operator=(const SmtpClient&) = delete;

  std::string Port = "25";  // text that is not a number means 25
  std::string Host;         // host name or dotted IPv4 address
  MailSecurity Security = MailSecurity::Tls;
  std::string CaFile;    // trusted certificates; empty: the system's
  std::string UserName;  // for AUTH; empty: no log-in
  std::string Password;
  bool LocalizedDates = false;
  uint16_t SendProgressStep = 10;
  NotifyHandler OnConnect;
  NotifyHandler OnQuit;
  ErrorHandler OnError;
  NotifyHandler OnBeforeSend;
  NotifyHandler OnAfterSend;
  SendProgressHandler OnSendProgress;
  NotifyHandler OnLookup;
  NotifyHandler OnConnecting;
  SocketTextHandler OnSendTextToSocket;
  SocketTextHandler OnReceiveTextFromSocket;
  uint32_t TimeOut = 60000;  // milliseconds for connecting and for each receive

  // Opens the connection, reads the greeting, sends HELO or EHLO, starts
  // TLS and logs in as set. A connection that can't be opened leaves the
  // client disconnected with ErrorFlag set, reporting nothing; one that
  // can't be encrypted is reported.
  void Connect();
  // Throws EMailError "Not connected." and "\"SendTo\" field not
  // specified." before sending anything; an empty or malformed From ends
  // the session with QUIT first and throws a German message that names it. Returns true
  // once the recipient lists have been handled; their failures go through
  // OnError. After a failure has closed the connection the remaining lists
  // are not attempted.
  bool SendMsg(MailMessage& msg);
  // QUIT; closes the connection in every case. Does nothing when not
  // connected.
  void Quit();

  bool Connected() const { return connected_; }
  bool ErrorFlag() const { return errorFlag_; }
  const std::string& LastReplyCode() const { return lastReplyCode_; }
  const std::string& LastReplyText() const { return lastReplyText_; }
  uint16_t Progress() const { return progress_; }
  // The server took a message (250 after its data) since Connect: a
  // failure after that may not have kept it from being delivered.
  bool Accepted() const { return accepted_; }

  // Where "now" comes from for the Date header; tests set their own.
  void SetClock(const Clock& clock, const TimeZoneSource& zone) {
    clock_ = &clock;
    zone_ = &zone;
  }
  // The name sent with HELO, for a given local host name.
  static std::string HeloName(const std::string& localHost);

 private:
  // Reads one reply; false when the wait failed and was reported.
  bool ReadReply();
  // Reads a reply and checks its code; false on any failure.
  bool Expect(const char* code);
  void SendText(const std::string& s);
  // Sends a log-in line; handlers see only its command.
  void SendSecret(const std::string& command, const std::string& secret);
  // EHLO; the extensions offered, or false when it failed (reported).
  bool Ehlo();
  bool Encrypt();       // STARTTLS and EHLO again
  bool Authenticate();  // AUTH, when offered and a user name is set
  void QuitQuietly();   // QUIT whatever its answer, then close
  int SendTransaction(const std::string& sender, const StringList& list, const StringList& lines);
  void ReportFailure();
  void ReportFailure(int error, const std::string& msg);

  ClientSocket socket_;
  bool connected_ = false;
  bool errorFlag_ = false;
  bool accepted_ = false;
  std::string lastReply_;  // all lines of the last reply, as received
  std::map<std::string, std::string> extensions_;
  std::string lastReplyCode_;
  std::string lastReplyText_;
  uint16_t progress_ = 0;
  SmtpReplyReader replies_;
  const Clock* clock_;
  const TimeZoneSource* zone_;
};

}  // namespace tarifuhr
