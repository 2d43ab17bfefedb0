// SPDX-License-Identifier: MIT
#include "mail/SmtpClient.h"

#include <charconv>
#include <cmath>

#include "mail/Addresses.h"
#include "mail/Base64EncodingStream.h"
#include "mail/HeaderValues.h"
#include "mail/Replies.h"
#include "mail/SocketEvents.h"
#include "mail/Wire.h"
#include "platform/MessagePump.h"

namespace tarifuhr {
namespace {

const SystemClock kSystemClock;

// One line of Base64, as AUTH wants it.
std::string Base64Line(const std::string& bytes) {
  std::string text = EncodeBase64(bytes);
  std::erase(text, '\r');
  std::erase(text, '\n');
  return text;
}

// local@domain, printable, without what would break the envelope.
bool PlausibleAddress(const std::string& address) {
  const size_t at = address.find('@');
  if (at == 0 || at == std::string::npos || at + 1 == address.size()) return false;
  if (address.find('@', at + 1) != std::string::npos) return false;
  for (const unsigned char c : address)
    if (c <= ' ' || c >= 0x7f ||
        std::string_view("<>()[]\\,;:\"").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  return true;
}

}  // namespace

SmtpClient::SmtpClient() : clock_(&kSystemClock), zone_(&SystemTimeZone()) {
  ForwardSocketEvents(socket_, this, connected_, &SmtpClient::OnQuit);
  // The socket's own code and text: the last reply (say "250 Ok") would
  // tell nothing about a failed send.
  socket_.OnError = [this](ClientSocket*, SocketErrorEvent, int code) {
    ReportFailure(code, SocketErrorText(code));
  };
}

std::string SmtpClient::HeloName(const std::string& localHost) {
  return IsIPAddress(localHost) ? "[" + localHost + "]" : localHost;
}

void SmtpClient::Connect() {
  AimSocket(socket_, Host, Port, 25, TimeOut);
  socket_.ImplicitTls = Security == MailSecurity::Tls;
  socket_.CaFile = CaFile;
  errorFlag_ = false;
  accepted_ = false;
  extensions_.clear();
  replies_.Clear();
  try {
    socket_.Open();
  } catch (const ETlsError& e) {
    ReportFailure(kMailErrorTls, e.what());
    return;
  } catch (const std::exception&) {
    errorFlag_ = true;
    return;
  }
  // The connect event has fired inside Open; a handler may have closed
  // the connection again already.
  if (!connected_) return;
  if (!Expect("220")) return;
  if (Security == MailSecurity::None && UserName.empty()) {
    SendText("HELO " + HeloName(socket_.LocalHost()) + "\r\n");
    Expect("250");
    return;
  }
  if (!Ehlo()) return;
  if (Security == MailSecurity::StartTls && !Encrypt()) return;
  // A password goes only over an encrypted connection.
  if (socket_.Encrypted()) Authenticate();
}

bool SmtpClient::Ehlo() {
  SendText("EHLO " + HeloName(socket_.LocalHost()) + "\r\n");
  if (!Expect("250")) return false;
  extensions_ = EhloExtensions(lastReply_);
  return true;
}

bool SmtpClient::Encrypt() {
  if (!extensions_.contains("STARTTLS")) {
    QuitQuietly();
    ReportFailure(kMailErrorTls, NoStartTlsText(socket_.Host.empty() ? socket_.Address : socket_.Host));
    return false;
  }
  SendText("STARTTLS\r\n");
  if (!Expect("220")) return false;
  try {
    socket_.StartTls();
  } catch (const ETlsError& e) {
    ReportFailure(kMailErrorTls, e.what());
    return false;
  }
  // Nothing the server sent before the handshake may count after it.
  replies_.Clear();
  return Ehlo();
}

bool SmtpClient::Authenticate() {
  const auto auth = extensions_.find("AUTH");
  if (UserName.empty() || auth == extensions_.end()) return true;
  const std::string mechanisms = " " + auth->second + " ";
  if (mechanisms.find(" PLAIN ") != std::string::npos) {
    SendSecret("AUTH PLAIN ", Base64Line(std::string(1, '\0') + UserName + '\0' + Password));
    return Expect("235");
  }
  if (mechanisms.find(" LOGIN ") == std::string::npos) return true;
  SendText("AUTH LOGIN\r\n");
  if (!Expect("334")) return false;
  SendSecret("", Base64Line(UserName));
  if (!Expect("334")) return false;
  SendSecret("", Base64Line(Password));
  return Expect("235");
}

void SmtpClient::SendSecret(const std::string& command, const std::string& secret) {
  ProcessMessages();
  // Base64 of UTF-8: not through ToWire, which would make it Latin-1.
  socket_.SendText(command + secret + "\r\n");
  if (OnSendTextToSocket) OnSendTextToSocket(this, command + "***\r\n");
}

void SmtpClient::QuitQuietly() {
  try {
    SendText("QUIT\r\n");
    ReadReply();
  } catch (const std::exception&) {
    // The session ends here either way; the caller says why.
  }
  socket_.Close();
  connected_ = false;
}

bool SmtpClient::ReadReply() {
  std::string reply;
  for (;;) {
    // Complete lines already received come first; a line can arrive in
    // pieces, and a receive can hold several lines.
    const bool complete = replies_.NextReply(reply);
    lastReplyCode_ = FromWire(replies_.Code());
    lastReplyText_ = FromWire(replies_.Text());
    if (complete) {
      lastReply_ = reply;
      break;
    }
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
    replies_.Append(std::string_view(buf, static_cast<size_t>(n)));
    ProcessMessages();
  }
  if (OnReceiveTextFromSocket) OnReceiveTextFromSocket(this, FromWire(reply));
  return true;
}

bool SmtpClient::Expect(const char* code) {
  if (!ReadReply()) return false;
  if (!errorFlag_) errorFlag_ = lastReplyCode_ != code;
  if (errorFlag_) ReportFailure();
  return !errorFlag_;
}

void SmtpClient::SendText(const std::string& s) {
  ProcessMessages();
  socket_.SendText(ToWire(s));
  if (OnSendTextToSocket) OnSendTextToSocket(this, s);
}

bool SmtpClient::SendMsg(MailMessage& msg) {
  if (!connected_) throw EMailError("Not connected.");
  if (msg.SendTo.empty()) throw EMailError("\"SendTo\" field not specified.");
  const std::string sender = ExtractAddress(msg.From, false);
  if (msg.From.empty() || !PlausibleAddress(sender)) {
    QuitQuietly();
    throw EMailError(msg.From.empty() ? "Die Absenderadresse (from) ist leer."
                                      : "Die Absenderadresse (from) „" + msg.From + "“ ist ungültig.");
  }
  msg.Date = MailDate(clock_->Now(), *zone_);
  if (msg.RawMail.empty()) msg.FillRawMail();
  if (OnBeforeSend) OnBeforeSend(this);
  const StringList lists[] = {ParseAddressList(msg.SendTo), ParseAddressList(msg.CC),
                              ParseAddressList(msg.BCC)};
  for (const auto& list : lists) {
    // A failed transaction has closed the connection: later ones can't
    // succeed, and the failure has been reported once already.
    if (!connected_) break;
    if (SendTransaction(sender, list, msg.RawMail) <= 0 && connected_) ReportFailure();
  }
  if (progress_ < 100 && OnSendProgress) OnSendProgress(this, 100);
  if (OnAfterSend) OnAfterSend(this);
  return true;
}

int SmtpClient::SendTransaction(const std::string& sender, const StringList& list, const StringList& lines) {
  if (list.empty()) return 1;
  // A refused reply is reported by SendMsg; a failed wait was reported in
  // ReadReply already.
  auto step = [this](const char* code, const char* alsoGood = nullptr) {
    if (!ReadReply()) return false;
    if (!errorFlag_) errorFlag_ = lastReplyCode_ != code && !(alsoGood && lastReplyCode_ == alsoGood);
    return !errorFlag_;
  };
  SendText("MAIL FROM:<" + sender + ">\r\n");
  if (!step("250")) return -1;
  for (const auto& address : list) {
    SendText("RCPT TO:<" + address + ">\r\n");
    // 251: the server forwards it; as good as 250.
    if (!step("250", "251")) return -2;
  }
  SendText("DATA\r\n");
  if (!step("354")) return -3;
  uint16_t next = SendProgressStep;
  const size_t n = lines.size();
  for (size_t i = 0; i < n; ++i) {
    try {
      SendText(lines[i] + "\r\n");
    } catch (const ESocketError&) {
      errorFlag_ = true;
      return -6;
    }
    progress_ = static_cast<uint16_t>(std::nearbyint((i + 1) * 100.0 / static_cast<double>(n)));
    if (progress_ >= next) {
      if (OnSendProgress) OnSendProgress(this, progress_);
      next = static_cast<uint16_t>(next + SendProgressStep);
    }
    ProcessMessages();
  }
  SendText("\r\n.\r\n");
  if (!step("250")) return -4;
  accepted_ = true;
  SendText("RSET\r\n");
  if (!step("250")) return -5;
  if (OnSendProgress) OnSendProgress(this, 100);
  return 1;
}

void SmtpClient::Quit() {
  if (!connected_) return;
  try {
    SendText("QUIT\r\n");
    Expect("221");
  } catch (const std::exception&) {
    socket_.Close();
    connected_ = false;
    throw;
  }
  socket_.Close();
  connected_ = false;
}

void SmtpClient::ReportFailure() {
  int code = 0;
  const auto [end, ec] =
      std::from_chars(lastReplyCode_.data(), lastReplyCode_.data() + lastReplyCode_.size(), code);
  const bool numeric =
      !lastReplyCode_.empty() && ec == std::errc() && end == lastReplyCode_.data() + lastReplyCode_.size();
  ReportFailure(numeric ? code : kMailErrorBadReply, lastReplyText_);
}

void SmtpClient::ReportFailure(int error, const std::string& msg) {
  errorFlag_ = true;
  socket_.Close();
  connected_ = false;
  if (OnError) OnError(this, error, msg);
}

}  // namespace tarifuhr
