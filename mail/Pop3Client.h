// SPDX-License-Identifier: MIT
#pragma once
// POP3 client that logs in with USER and PASS and keeps the log-in open
// (the mail server then takes mail over SMTP from this host). No mail is
// retrieved. Failures close the connection and go through OnError: 2001
// (kMailErrorLoginFailed) with the server's text for a refused USER or
// PASS, kMailErrorTimeOut when no answer comes within TimeOut,
// kMailErrorConnectionClosed when the server closed the connection,
// kMailErrorTls with a German message naming the host when the connection
// can't be encrypted as Security says (TLS from the start, or after STLS;
// never a fall-back to clear text), and the socket's error code when sending or receiving fails (the socket
// error is then also thrown to the caller).

#include <cstdint>
#include <functional>
#include <string>

#include "mail/MailError.h"
#include "mail/Security.h"
#include "platform/ClientSocket.h"

namespace tarifuhr {

class Pop3Client {
 public:
  using NotifyHandler = std::function<void(Pop3Client* Sender)>;
  using ErrorHandler = std::function<void(Pop3Client* Sender, int Error, const std::string& Msg)>;
  using SocketTextHandler = std::function<void(Pop3Client* Sender, const std::string& s)>;

  Pop3Client();
  Pop3Client(const Pop3Client&) = delete;
  Pop3Client& operator=(const Pop3Client&) = delete;

  std::string UserId;
  std::string UserPasswd;
  std::string Port = "110";  // text that is not a number means 110
  std::string Host;
  MailSecurity Security = MailSecurity::Tls;
  std::string CaFile;  // trusted certificates; empty: the system's
  std::string StrErrorInFormatOfMsg = "Error en el formato del mensaje.";
  uint16_t RetrieveProgressStep = 10;
  bool GetUIDLsOnRetrieve = false;
  NotifyHandler OnConnect;
  NotifyHandler OnDisconnect;
  ErrorHandler OnError;
  NotifyHandler OnLookup;
  NotifyHandler OnConnecting;
  SocketTextHandler OnSendTextToSocket;
  SocketTextHandler OnReceiveTextFromSocket;
  uint32_t TimeOut = 60000;  // milliseconds for connecting and for each receive

  // Opens the connection (OnConnect fires inside) and reads the greeting
  // unless a handler has read it or closed the connection. Nothing is
  // raised or reported when the connection can't be opened; ErrorFlag
  // tells.
  void Connect();
  // USER, then PASS. Throws EMailError("Invalid Op. Not connected.") without
  // a connection. Reads the greeting first when OnConnect calls it.
  bool Login();
  // QUIT without waiting for the answer, then closes.
  void Quit();

  bool Connected() const { return connected_; }
  bool ErrorFlag() const { return errorFlag_; }
  bool LoggedIn() const { return loggedIn_; }
  const std::string& LastStatus() const { return lastStatus_; }
  const std::string& LastReplyText() const { return lastReplyText_; }

 private:
  // One receive; false when the wait failed (reported) or the socket is
  // gone.
  bool ReadReply();
  void SendText(const std::string& s);
  // Greeting, STLS, the handshake; false when it failed (reported).
  bool StartTls();
  void ReportFailure(int error);
  void ReportFailure(int error, const std::string& msg);

  ClientSocket socket_;
  bool connected_ = false;
  bool errorFlag_ = false;
  bool loggedIn_ = false;
  bool greetingRead_ = false;
  std::string lastStatus_;
  std::string lastReplyText_;
};

}  // namespace tarifuhr
