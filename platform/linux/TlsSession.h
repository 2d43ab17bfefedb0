// SPDX-License-Identifier: MIT
#pragma once
// TLS over a connected non-blocking socket, with OpenSSL: the certificate
// is checked against the trust store (the system's, or a CA file) and the
// host's name or address. Every call does what it can without blocking and
// says what it waits for; the socket does the waiting.

#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

namespace tarifuhr {

class TlsSession {
 public:
  enum class Want { Nothing, Read, Write };

  // Throws ETlsError when the trust store or CA file can't be read.
  TlsSession(int fd, const std::string& host, const std::string& caFile);
  ~TlsSession();
  TlsSession(const TlsSession&) = delete;
  TlsSession& operator=(const TlsSession&) = delete;

  // One step of the handshake; Want::Nothing when it is done. Throws
  // ETlsError, naming the host, when it fails or the certificate is refused.
  Want Handshake();
  // Bytes read or written (> 0), 0 when the peer has closed (read only), or
  // -1 with `want` set. Throws ESocketError for a broken connection.
  int Read(void* buffer, int count, Want& want);
  int Write(const void* buffer, int count, Want& want);
  // Decrypted bytes waiting to be read.
  bool Pending() const;
  // Says goodbye (close_notify) without waiting for the answer.
  void Shutdown();

  // "Die verschlüsselte Verbindung zu <host> ... : <reason>"
  static std::string FailureText(const std::string& host, const std::string& reason);

 private:
  [[noreturn]] void HandshakeFailed();

  std::string host_;
  SSL_CTX* ctx_ = nullptr;
  SSL* ssl_ = nullptr;
};

}  // namespace tarifuhr
