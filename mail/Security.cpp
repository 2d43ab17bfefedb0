// SPDX-License-Identifier: MIT
#include "mail/Security.h"

#include <algorithm>
#include <cctype>

namespace tarifuhr {

MailSecurity SecurityFromText(const std::string& text) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "starttls") return MailSecurity::StartTls;
  if (lower == "none") return MailSecurity::None;
  return MailSecurity::Tls;
}

std::string NoStartTlsText(const std::string& host) {
  return "Die verschlüsselte Verbindung zu " + host +
         " kam nicht zustande: der Server bietet keine Verschlüsselung (STARTTLS) an. Es wurde nichts "
         "gesendet.";
}

}  // namespace tarifuhr
