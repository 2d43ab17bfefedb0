// SPDX-License-Identifier: MIT
#include "mail/Pop3Client.h"

#include "mail/Addresses.h"
#include "mail/Replies.h"
#include "mail/SocketEvents.h"
#include "mail/StringLists.h"
#include "mail/Wire.h"
#include "platform/MessagePump.h"

namespace tarifuhr {

Pop3Client::Pop3Client() {
  ForwardSocketEvents(socket_, this, connected_, &Pop3Client::OnDisconnect);
  // With STLS the connection is the client's only once it is encrypted.
  socket_.OnConnect = [this](ClientSocket*) {
    connected_ = true;
    if (Security == MailSecurity::StartTls && !StartTls()) return;
    if (OnConnect) OnConnect(this);
  };
  socket_.OnError = [this](ClientSocket*, SocketErrorEvent, int code) {
    ReportFailure(code, SocketErrorText(code));
  };
}

void Pop3Client::Connect() {
  AimSocket(socket_, Host, Port, 110, TimeOut);
  socket_.ImplicitTls = Security == MailSecurity::Tls;
  socket_.CaFile = CaFile;
  errorFlag_ = false;
  greetingRead_ = false;
  try {
    socket_.Open();
  } catch (const ETlsError& e) {
    ReportFailure(kMailErrorTls, e.what());
    return;
  } catch (const std::exception&) {
    // Not the caller's exception: ErrorFlag() says it, and no OnConnect follows.
    errorFlag_ = true;
    return;
  }
  if (connected_ && !greetingRead_) {
    greetingRead_ = true;
    if (ReadReply()) loggedIn_ = false;
  }
}

bool Pop3Client::Login() {
  if (!connected_) throw EMailError("Invalid Op. Not connected.");
  // Called from OnConnect the greeting is still unread; taking it here
  // keeps every later answer with its own command (else the answer to PASS
  // would go unread and a wrong password pass for a log-in).
  if (!greetingRead_) {
    greetingRead_ = true;
    if (!ReadReply()) return false;
  }
  SendText("USER " + UserId + "\r\n");
  if (!ReadReply()) return false;
  if (errorFlag_) {
    ReportFailure(kMailErrorLoginFailed);
    return false;
  }
  SendText("PASS " + UserPasswd + "\r\n");
  if (!ReadReply()) return false;
  if (errorFlag_) {
    ReportFailure(kMailErrorLoginFailed);
    return false;
  }
  loggedIn_ = true;
  return true;
}

bool Pop3Client::StartTls() {
  const std::string host = socket_.Host.empty() ? socket_.Address : socket_.Host;
  greetingRead_ = true;
  if (!ReadReply()) return false;
  if (!errorFlag_) {
    SendText("STLS\r\n");
    if (!ReadReply()) return false;
  }
  if (errorFlag_) {
    ReportFailure(kMailErrorTls, NoStartTlsText(host));
    return false;
  }
  try {
    socket_.StartTls();
  } catch (const ETlsError& e) {
    ReportFailure(kMailErrorTls, e.what());
    return false;
  }
  return true;
}

bool Pop3Client::ReadReply() {
  ProcessMessages();
  if (!connected_) return false;
  switch (socket_.WaitForData(TimeOut)) {
    case ClientSocket::WaitResult::NotOpen: return false;
    case ClientSocket::WaitResult::TimedOut:
      ReportFailure(kMailErrorTimeOut, "Timeout waiting for reply.");
      return false;
    case ClientSocket::WaitResult::Ready: break;
  }
  char buf[1024];
  const int n = socket_.ReceiveBuf(buf, sizeof buf);
  if (n == 0) {
    ReportFailure(kMailErrorConnectionClosed, "Connection closed by server.");
    return false;
  }
  const std::string s(buf, static_cast<size_t>(n));
  const Pop3Reply reply = ParsePop3Reply(s);
  lastStatus_ = FromWire(reply.status);
  lastReplyText_ = FromWire(reply.text);
  errorFlag_ = !reply.positive;
  if (OnReceiveTextFromSocket) OnReceiveTextFromSocket(this, FromWire(s));
  return true;
}

void Pop3Client::SendText(const std::string& s) {
  ProcessMessages();
  socket_.SendText(ToWire(s));
  if (OnSendTextToSocket) OnSendTextToSocket(this, s);
}

void Pop3Client::Quit() {
  if (!connected_) return;
  try {
    SendText("QUIT\r\n");
  } catch (const std::exception&) {
    socket_.Close();
    connected_ = false;
    throw;
  }
  socket_.Close();
  connected_ = false;
  ProcessMessages();
}

void Pop3Client::ReportFailure(int error) { ReportFailure(error, lastReplyText_); }

void Pop3Client::ReportFailure(int error, const std::string& msg) {
  errorFlag_ = true;
  socket_.Close();
  connected_ = false;
  if (OnError) OnError(this, error, msg);
}

}  // namespace tarifuhr
