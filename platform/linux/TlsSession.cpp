// SPDX-License-Identifier: MIT
#include "TlsSession.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cerrno>

#include "platform/ClientSocket.h"

namespace tarifuhr {
namespace {

std::string LastOpenSslError() {
  const unsigned long code = ERR_peek_last_error();
  ERR_clear_error();
  if (code == 0) return "Protokollfehler";
  const char* reason = ERR_reason_error_string(code);
  return reason ? reason : "Protokollfehler";
}

std::string VerifyFailure(long result) {
  switch (result) {
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH: return "das Zertifikat des Servers gilt nicht für diesen Namen";
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
      return "das Zertifikat des Servers stammt von keiner vertrauenswürdigen Stelle";
    case X509_V_ERR_CERT_HAS_EXPIRED: return "das Zertifikat des Servers ist abgelaufen";
    case X509_V_ERR_CERT_NOT_YET_VALID: return "das Zertifikat des Servers ist noch nicht gültig";
    default:
      return std::string("das Zertifikat des Servers wurde nicht anerkannt (") +
             X509_verify_cert_error_string(result) + ")";
  }
}

bool IsAddress(const std::string& host) {
  in_addr v4{};
  in6_addr v6{};
  return inet_pton(AF_INET, host.c_str(), &v4) == 1 || inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

}  // namespace

std::string TlsSession::FailureText(const std::string& host, const std::string& reason) {
  return "Die verschlüsselte Verbindung zu " + host + " kam nicht zustande: " + reason +
         ". Es wurde nichts gesendet.";
}

TlsSession::TlsSession(int fd, const std::string& host, const std::string& caFile) : host_(host) {
  ctx_ = SSL_CTX_new(TLS_client_method());
  if (!ctx_) throw ETlsError(FailureText(host, LastOpenSslError()));
  SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
  SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
  // A server that just drops the connection has closed it; no error.
  SSL_CTX_set_options(ctx_, SSL_OP_IGNORE_UNEXPECTED_EOF);
  SSL_CTX_set_mode(ctx_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  const bool trusted = caFile.empty() ? SSL_CTX_set_default_verify_paths(ctx_) == 1
                                      : SSL_CTX_load_verify_locations(ctx_, caFile.c_str(), nullptr) == 1;
  if (!trusted) {
    ERR_clear_error();
    const std::string what =
        caFile.empty() ? std::string("die Zertifikate des Systems") : "die Zertifikatsdatei " + caFile;
    SSL_CTX_free(ctx_);
    throw ETlsError(FailureText(host, what + " konnten nicht gelesen werden"));
  }
  ssl_ = SSL_new(ctx_);
  bool aimed = ssl_ && SSL_set_fd(ssl_, fd) == 1;
  if (aimed && IsAddress(host)) {
    aimed = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), host.c_str()) == 1;
  } else if (aimed) {
    aimed = SSL_set1_host(ssl_, host.c_str()) == 1 && SSL_set_tlsext_host_name(ssl_, host.c_str()) == 1;
  }
  if (!aimed) {
    const std::string reason = LastOpenSslError();
    SSL_free(ssl_);
    SSL_CTX_free(ctx_);
    throw ETlsError(FailureText(host, reason));
  }
}

TlsSession::~TlsSession() {
  SSL_free(ssl_);
  SSL_CTX_free(ctx_);
}

TlsSession::Want TlsSession::Handshake() {
  ERR_clear_error();
  const int rc = SSL_connect(ssl_);
  if (rc == 1) return Want::Nothing;
  switch (SSL_get_error(ssl_, rc)) {
    case SSL_ERROR_WANT_READ: return Want::Read;
    case SSL_ERROR_WANT_WRITE: return Want::Write;
    default: HandshakeFailed();
  }
}

void TlsSession::HandshakeFailed() {
  const long verified = SSL_get_verify_result(ssl_);
  if (verified != X509_V_OK) {
    ERR_clear_error();
    throw ETlsError(FailureText(host_, VerifyFailure(verified)));
  }
  const int err = errno;
  std::string reason = LastOpenSslError();
  if (reason == "Protokollfehler" && err != 0) reason = SocketErrorText(err);
  throw ETlsError(FailureText(host_, reason));
}

int TlsSession::Read(void* buffer, int count, Want& want) {
  ERR_clear_error();
  errno = 0;
  const int n = SSL_read(ssl_, buffer, count);
  if (n > 0) return n;
  switch (SSL_get_error(ssl_, n)) {
    case SSL_ERROR_WANT_READ: want = Want::Read; return -1;
    case SSL_ERROR_WANT_WRITE: want = Want::Write; return -1;
    case SSL_ERROR_ZERO_RETURN: return 0;
    case SSL_ERROR_SYSCALL:
      if (errno == 0) return 0;
      throw ESocketError(errno, "SSL_read");
    default: ERR_clear_error(); throw ESocketError(EPROTO, "SSL_read");
  }
}

int TlsSession::Write(const void* buffer, int count, Want& want) {
  ERR_clear_error();
  errno = 0;
  const int n = SSL_write(ssl_, buffer, count);
  if (n > 0) return n;
  switch (SSL_get_error(ssl_, n)) {
    case SSL_ERROR_WANT_READ: want = Want::Read; return -1;
    case SSL_ERROR_WANT_WRITE: want = Want::Write; return -1;
    case SSL_ERROR_SYSCALL: throw ESocketError(errno != 0 ? errno : EPIPE, "SSL_write");
    default: ERR_clear_error(); throw ESocketError(EPROTO, "SSL_write");
  }
}

bool TlsSession::Pending() const { return SSL_pending(ssl_) > 0; }

void TlsSession::Shutdown() {
  ERR_clear_error();
  SSL_shutdown(ssl_);
  ERR_clear_error();
}

}  // namespace tarifuhr
