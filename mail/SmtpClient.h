// SPDX-License-Identifier: MIT
#pragma once
// SMTP client: greets with HELO, sends a MailMessage as one transaction per
// recipient list (To, CC, BCC), quits. Works synchronously on the calling
// thread, processing window messages while it waits. Failures of the
// dialogue close the connection and are reported once through OnError:
// with the server's reply code and text, or with kMailErrorTimeOut when no
// reply comes within TimeOut, kMailErrorConnectionClosed when the server
// closes the connection, kMailErrorBadReply for a reply without a numeric
// code, and the socket's error code when sending or receiving fails (the
// socket error is then also thrown to the caller).

#include <cstdint>
#include <functional>
#include <string>

#include "mail/MailMessage.h"
#include "mail/Replies.h"
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

  // Opens the connection, reads the greeting, sends HELO. A connection that
  // can't be opened leaves the client disconnected with ErrorFlag set,
  // reporting nothing.
  void Connect();
  // Throws EMailError "Not connected.", "\"From\" field not specified.",
  // "\"SendTo\" field not specified." before sending anything. Returns true
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
  int SendTransaction(const std::string& sender, const StringList& list, const StringList& lines);
  void ReportFailure();
  void ReportFailure(int error, const std::string& msg);

  ClientSocket socket_;
  bool connected_ = false;
  bool errorFlag_ = false;
  std::string lastReplyCode_;
  std::string lastReplyText_;
  uint16_t progress_ = 0;
  SmtpReplyReader replies_;
  const Clock* clock_;
  const TimeZoneSource* zone_;
};

}  // namespace tarifuhr
