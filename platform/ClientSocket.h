// SPDX-License-Identifier: MIT
#pragma once
// A blocking TCP client socket (IPv4). Open resolves the host name (or
// takes the dotted address) and connects before it returns, firing
// OnConnect inside; ReceiveBuf returns 0 when the peer has closed the
// connection. A failed send or receive fires OnError, closes the socket
// and throws ESocketError. Every wait sleeps in poll(2) in short slices and
// runs ProcessMessages() between them, so the window stays alive; no wait
// lasts longer than TimeOut. With TLS (ImplicitTls, or StartTls on an open
// connection) the same calls carry the encrypted stream.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace tarifuhr {

enum class SocketErrorEvent { General, Send, Receive, Connect, Disconnect, Lookup };

// "Windows-Socket-Fehler: <text> (<code>), auf API '<api>'"; the code is an
// errno value, or a getaddrinfo(3) code (negative) for a failed lookup.
class ESocketError : public std::runtime_error {
 public:
  ESocketError(int code, const std::string& api);
  int Code() const { return code_; }

 private:
  int code_;
};

// Text for a socket error code as used in ESocketError.
std::string SocketErrorText(int code);

// TLS could not be started, or the server's certificate was refused; the
// German message names the host.
class ETlsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TlsSession;

class ClientSocket {
 public:
  using SocketNotifyHandler = std::function<void(ClientSocket* Sender)>;
  using SocketErrorHandler =
      std::function<void(ClientSocket* Sender, SocketErrorEvent ErrorEvent, int ErrorCode)>;

  enum class WaitResult { Ready, TimedOut, NotOpen };

  ClientSocket();
  ~ClientSocket();
  ClientSocket(const ClientSocket&) = delete;
  ClientSocket& operator=(const ClientSocket&) = delete;

  std::string Host;     // looked up when Address is empty
  std::string Address;  // dotted IPv4 address
  int Port = 0;
  unsigned TimeOut = 60000;  // milliseconds for connecting and each wait
  bool ImplicitTls = false;  // Open starts TLS before OnConnect
  std::string CaFile;        // trusted certificates; empty: the system's

  SocketNotifyHandler OnLookup;
  SocketNotifyHandler OnConnecting;
  SocketNotifyHandler OnConnect;
  SocketNotifyHandler OnDisconnect;
  SocketErrorHandler OnError;

  // Throws ESocketError when lookup or connect fails, ETlsError when TLS
  // does, without firing OnError. An exception from OnConnect closes the
  // socket and passes on.
  void Open();
  // Starts TLS on the open connection: the certificate must be trusted and
  // name Host (or Address). Throws ETlsError and closes the socket when not;
  // there is no way back to clear text.
  void StartTls();
  bool Encrypted() const { return tls_ != nullptr; }
  // Fires OnDisconnect when the socket was open.
  void Close();
  bool Active() const { return fd_ >= 0; }

  // Sends all bytes; returns the count.
  int SendBuf(const void* buffer, int count);
  int SendText(const std::string& bytes);
  // Waits up to TimeOut for data, then receives up to `count` bytes.
  // Returns 0 when the peer has closed the connection.
  int ReceiveBuf(void* buffer, int count);
  // Waits up to `milliseconds` until data (or the peer's close) can be read.
  WaitResult WaitForData(unsigned milliseconds);

  // The local host name (gethostname), "" without an open socket.
  std::string LocalHost() const;

 private:
  // Waits for `events` on the socket; false on time-out. Throws
  // ESocketError(ECANCELED) when a handler run in between closed the socket.
  bool WaitFor(short events, unsigned milliseconds, const char* api);
  // `connected`: OnConnect has fired, so a failure fires OnDisconnect.
  void StartTls(bool connected);
  int ReceiveTls(void* buffer, int count);
  [[noreturn]] void Fail(SocketErrorEvent event, int code, const char* api);

  int fd_ = -1;
  std::unique_ptr<TlsSession> tls_;
};

}  // namespace tarifuhr
