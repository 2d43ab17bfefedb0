#pragma once
// SMTP client: greets with HELO, sends a TZimMsg as one transaction per
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

#include "mail/Replies.h"
#include "mail/ZimMsg.h"
#include "platform/ClientSocket.h"
#include "platform/DateTime.h"
#include "platform/TimeZone.h"

namespace tarifuhr {

class TZimSMTP {
 public:
  using TNotifyEvent = std::function<void(TZimSMTP* Sender)>;
  using TOnError = std::function<void(TZimSMTP* Sender, int Error, const std::string& Msg)>;
  using TOnSendProgressEvent = std::function<void(TZimSMTP* Sender, uint16_t Percent)>;
  using TToFromSocketEvent = std::function<void(TZimSMTP* Sender, const std::string& s)>;

  TZimSMTP();
  TZimSMTP(const TZimSMTP&) = delete;
  TZimSMTP& operator=(const TZimSMTP&) = delete;

  std::string Port = "25";  // text that is not a number means 25
  std::string Host;         // host name or dotted IPv4 address
  bool LocalizedDates = false;
  uint16_t SendProgressStep = 10;
  TNotifyEvent OnConnect;
  TNotifyEvent OnQuit;
  TOnError OnError;
  TNotifyEvent OnBeforeSend;
  TNotifyEvent OnAfterSend;
  TOnSendProgressEvent OnSendProgress;
  TNotifyEvent OnLookup;
  TNotifyEvent OnConnecting;
  TToFromSocketEvent OnSendTextToSocket;
  TToFromSocketEvent OnReceiveTextFromSocket;
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
  bool SendMsg(TZimMsg& msg);
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
  int SendTransaction(const std::string& sender, const TStringList& list,
                      const TStringList& lines);
  void ReportFailure();
  void ReportFailure(int error, const std::string& msg);

  TClientSocket socket_;
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
