// SPDX-License-Identifier: MIT
#pragma once
// Misuse of the mail components ("Not connected." and the like) and the
// error codes they report through OnError besides the servers' own.

#include <stdexcept>

namespace tarifuhr {

class EMailError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// No reply within TimeOut milliseconds ("Timeout waiting for reply.").
constexpr int kMailErrorTimeOut = 10060;
// The server closed the connection while a reply was awaited
// ("Connection closed by server.").
constexpr int kMailErrorConnectionClosed = 10054;
// An SMTP reply whose code is not a number; Msg is the reply's text.
constexpr int kMailErrorBadReply = 0;
// POP3: USER or PASS refused.
constexpr int kMailErrorLoginFailed = 2001;
// The connection could not be encrypted (no STARTTLS, a refused
// certificate); Msg is a German text naming the host.
constexpr int kMailErrorTls = 2002;

}  // namespace tarifuhr
