// SPDX-License-Identifier: MIT
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

#include "TlsSession.h"
#include "platform/ClientSocket.h"
#include "platform/Files.h"
#include "platform/MessagePump.h"

namespace tarifuhr {
namespace {

// Long enough not to wake up needlessly, short enough for the window.
constexpr unsigned kSliceMs = 25;

using SteadyClock = std::chrono::steady_clock;

}  // namespace

std::string SocketErrorText(int code) {
  if (code < 0) {
    switch (code) {
      case EAI_NONAME: return "Rechnername unbekannt";
      case EAI_AGAIN: return "Namensauflösung zurzeit nicht möglich";
      default: return gai_strerror(code);
    }
  }
  switch (code) {
    case ECONNREFUSED: return "Verbindung abgelehnt";
    case ECONNRESET: return "Verbindung vom Gegenüber zurückgesetzt";
    case ETIMEDOUT: return "Zeitüberschreitung";
    case EPIPE: return "Verbindung geschlossen";
    case ENETUNREACH: return "Netzwerk nicht erreichbar";
    case EHOSTUNREACH: return "Rechner nicht erreichbar";
    case ENOTCONN: return "Socket nicht verbunden";
    case ECANCELED: return "Vorgang abgebrochen";
    case EINVAL: return "Ungültiges Argument";
    default: return ErrnoText(code);
  }
}

ESocketError::ESocketError(int code, const std::string& api)
    : std::runtime_error("Windows-Socket-Fehler: " + SocketErrorText(code) + " (" + std::to_string(code) +
                         "), auf API '" + api + "'"),
      code_(code) {}

ClientSocket::ClientSocket() = default;

ClientSocket::~ClientSocket() {
  tls_.reset();
  if (fd_ >= 0) ::close(fd_);
}

void ClientSocket::Open() {
  Close();
  if (OnLookup) OnLookup(this);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  if (Port < 1 || Port > 65535) throw ESocketError(EINVAL, "connect");
  addr.sin_port = htons(static_cast<uint16_t>(Port));
  if (!Address.empty()) {
    if (inet_pton(AF_INET, Address.c_str(), &addr.sin_addr) != 1) throw ESocketError(EINVAL, "inet_addr");
  } else if (!Host.empty()) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(Host.c_str(), nullptr, &hints, &found);
    if (rc != 0) throw ESocketError(rc == EAI_SYSTEM ? errno : rc, "getaddrinfo");
    addr.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
  } else {
    throw ESocketError(EDESTADDRREQ, "connect");
  }

  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) throw ESocketError(errno, "socket");
  if (OnConnecting) OnConnecting(this);
  fd_ = fd;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    int err = errno;
    if (err == EINPROGRESS) {
      try {
        err = WaitFor(POLLOUT, TimeOut, "connect") ? 0 : ETIMEDOUT;
      } catch (const std::exception&) {
        if (fd_ == fd) ::close(fd);
        fd_ = -1;
        throw;
      }
      if (err == 0) {
        socklen_t len = sizeof err;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
      }
    }
    if (err != 0) {
      ::close(fd);
      fd_ = -1;
      throw ESocketError(err, "connect");
    }
  }
  // Each reply line goes out as its own small write; don't let Nagle's
  // algorithm hold it back behind the previous one.
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (ImplicitTls) StartTls(false);
  try {
    if (OnConnect) OnConnect(this);
  } catch (const std::exception&) {
    Close();
    throw;
  }
}

void ClientSocket::StartTls() { StartTls(true); }

void ClientSocket::StartTls(bool connected) {
  if (fd_ < 0) throw ESocketError(ENOTCONN, "SSL_connect");
  const std::string host = Host.empty() ? Address : Host;
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(TimeOut);
  try {
    tls_ = std::make_unique<TlsSession>(fd_, host, CaFile);
    for (TlsSession::Want want; (want = tls_->Handshake()) != TlsSession::Want::Nothing;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
      const short events = want == TlsSession::Want::Read ? POLLIN : POLLOUT;
      if (left.count() <= 0 || !WaitFor(events, static_cast<unsigned>(left.count()), "SSL_connect"))
        throw ETlsError(TlsSession::FailureText(host, SocketErrorText(ETIMEDOUT)));
    }
  } catch (const std::exception&) {
    // Half a handshake is no connection to say goodbye on; and one that
    // was never announced is not announced as ended either.
    tls_.reset();
    if (connected) {
      Close();
    } else {
      ::close(fd_);
      fd_ = -1;
    }
    throw;
  }
}

void ClientSocket::Close() {
  if (fd_ < 0) return;
  if (tls_) tls_->Shutdown();
  tls_.reset();
  ::close(fd_);
  fd_ = -1;
  if (OnDisconnect) OnDisconnect(this);
}

bool ClientSocket::WaitFor(short events, unsigned milliseconds, const char* api) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (fd_ < 0) throw ESocketError(ECANCELED, api);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    pollfd p{fd_, events, 0};
    const int slice = static_cast<int>(std::clamp<long long>(left, 0, kSliceMs));
    const int rc = ::poll(&p, 1, slice);
    if (rc > 0) return true;
    if (rc < 0 && errno != EINTR) throw ESocketError(errno, "poll");
    if (left <= 0) return false;
    ProcessMessages();
  }
}

void ClientSocket::Fail(SocketErrorEvent event, int code, const char* api) {
  if (OnError) OnError(this, event, code);
  Close();
  throw ESocketError(code, api);
}

int ClientSocket::SendBuf(const void* buffer, int count) {
  if (fd_ < 0) Fail(SocketErrorEvent::Send, ENOTCONN, "send");
  const char* p = static_cast<const char*>(buffer);
  int done = 0;
  while (done < count) {
    short waitFor = POLLOUT;
    if (tls_) {
      TlsSession::Want want{};
      int n = -1;
      try {
        n = tls_->Write(p + done, count - done, want);
      } catch (const ESocketError& e) {
        Fail(SocketErrorEvent::Send, e.Code(), "send");
      }
      if (n > 0) {
        done += n;
        continue;
      }
      if (want == TlsSession::Want::Read) waitFor = POLLIN;
    } else {
      const ssize_t n = ::send(fd_, p + done, static_cast<size_t>(count - done), MSG_NOSIGNAL);
      if (n >= 0) {
        done += static_cast<int>(n);
        continue;
      }
      const int err = errno;
      if (err == EINTR) continue;
      if (err != EAGAIN && err != EWOULDBLOCK) Fail(SocketErrorEvent::Send, err, "send");
    }
    bool ready = false;
    try {
      ready = WaitFor(waitFor, TimeOut, "send");
    } catch (const ESocketError& e) {
      Fail(SocketErrorEvent::Send, e.Code(), "send");
    }
    if (!ready) Fail(SocketErrorEvent::Send, ETIMEDOUT, "send");
  }
  return done;
}

int ClientSocket::SendText(const std::string& bytes) {
  return SendBuf(bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), INT_MAX)));
}

ClientSocket::WaitResult ClientSocket::WaitForData(unsigned milliseconds) {
  if (fd_ < 0) return WaitResult::NotOpen;
  // Decrypted bytes already taken off the socket would wait in vain.
  if (tls_ && tls_->Pending()) return WaitResult::Ready;
  try {
    return WaitFor(POLLIN, milliseconds, "recv") ? WaitResult::Ready : WaitResult::TimedOut;
  } catch (const ESocketError& e) {
    if (fd_ < 0) return WaitResult::NotOpen;
    Fail(SocketErrorEvent::Receive, e.Code(), "recv");
  }
}

int ClientSocket::ReceiveBuf(void* buffer, int count) {
  switch (WaitForData(TimeOut)) {
    case WaitResult::NotOpen: Fail(SocketErrorEvent::Receive, ENOTCONN, "recv");
    case WaitResult::TimedOut: Fail(SocketErrorEvent::Receive, ETIMEDOUT, "recv");
    case WaitResult::Ready: break;
  }
  if (tls_) return ReceiveTls(buffer, count);
  for (;;) {
    const ssize_t n = ::recv(fd_, buffer, static_cast<size_t>(std::max(count, 0)), 0);
    if (n >= 0) return static_cast<int>(n);
    if (errno == EINTR) continue;
    // Readiness can be spurious; wait again rather than fail.
    if (errno == EAGAIN || errno == EWOULDBLOCK) return ReceiveBuf(buffer, count);
    Fail(SocketErrorEvent::Receive, errno, "recv");
  }
}

int ClientSocket::ReceiveTls(void* buffer, int count) {
  for (;;) {
    TlsSession::Want want{};
    int n = -1;
    try {
      n = tls_->Read(buffer, std::max(count, 0), want);
    } catch (const ESocketError& e) {
      Fail(SocketErrorEvent::Receive, e.Code(), "recv");
    }
    if (n >= 0) return n;
    // A record not yet complete, or a renegotiation: wait for the socket.
    bool ready = false;
    try {
      ready = WaitFor(want == TlsSession::Want::Write ? POLLOUT : POLLIN, TimeOut, "recv");
    } catch (const ESocketError& e) {
      Fail(SocketErrorEvent::Receive, e.Code(), "recv");
    }
    if (!ready) Fail(SocketErrorEvent::Receive, ETIMEDOUT, "recv");
  }
}

std::string ClientSocket::LocalHost() const {
  if (fd_ < 0) return "";
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace tarifuhr
