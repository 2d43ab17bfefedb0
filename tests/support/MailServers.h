// SPDX-License-Identifier: MIT
#pragma once
// The real Postfix (SMTP) and Dovecot (POP3) that scripts/test.sh starts on
// 127.0.0.1 and describes in TARIFUHR_TEST_* variables, and their Maildir.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/Files.h"

namespace tarifuhr::test {

struct MailServers {
  std::string smtpHost, smtpPort, pop3Host, pop3Port, user, pass, addr, maildir;
  // The TLS ports (empty when the servers were started without them): the
  // name the certificate is for, SMTP with implicit TLS, SMTP with STARTTLS
  // (both with AUTH), POP3 with implicit TLS, and the test CA.
  std::string tlsHost, smtpsPort, submissionPort, pop3sPort, caFile;
};

inline std::optional<MailServers> MailServersFromEnvironment() {
  std::vector<std::string> v;
  for (const char* name : {"SMTP_HOST", "SMTP_PORT", "POP3_HOST", "POP3_PORT", "MAIL_USER", "MAIL_PASS",
                           "MAIL_ADDR", "MAILDIR"}) {
    const char* value = std::getenv(("TARIFUHR_TEST_" + std::string(name)).c_str());
    if (!value || !*value) return std::nullopt;
    v.push_back(value);
  }
  MailServers servers;
  servers.smtpHost = v[0];
  servers.smtpPort = v[1];
  servers.pop3Host = v[2];
  servers.pop3Port = v[3];
  servers.user = v[4];
  servers.pass = v[5];
  servers.addr = v[6];
  servers.maildir = v[7];
  const auto optional = [](const char* name) {
    const char* value = std::getenv(("TARIFUHR_TEST_" + std::string(name)).c_str());
    return std::string(value ? value : "");
  };
  servers.tlsHost = optional("TLS_HOST");
  servers.smtpsPort = optional("SMTPS_PORT");
  servers.submissionPort = optional("SUBMISSION_PORT");
  servers.pop3sPort = optional("POP3S_PORT");
  servers.caFile = optional("CA_FILE");
  return servers;
}

inline std::string Token() {
  static std::mt19937 rng{std::random_device{}()};
  return "T" + std::to_string(rng());
}

// The Maildir files (new/ and cur/) that contain `token`, waiting up to
// 10 s until `count` of them have arrived.
inline std::vector<std::string> Delivered(const std::string& maildir, const std::string& token,
                                          size_t count) {
  std::vector<std::string> found;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  do {
    found.clear();
    for (const char* sub : {"/new", "/cur"}) {
      std::error_code ec;
      for (const auto& e : std::filesystem::directory_iterator(maildir + sub, ec)) {
        const std::string text = ReadWholeFile(e.path().string(), size_t{1} << 24).value_or("");
        if (text.find(token) != std::string::npos) found.push_back(text);
      }
    }
    if (found.size() >= count) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < deadline);
  return found;
}

}  // namespace tarifuhr::test
