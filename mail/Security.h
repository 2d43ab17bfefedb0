// SPDX-License-Identifier: MIT
#pragma once
// How a mail client protects its connection: TLS from the first byte
// (SMTP 465, POP3 995), TLS after STARTTLS/STLS (SMTP 587 or 25, POP3
// 110), or clear text, for a local test server only.

#include <string>

namespace tarifuhr {

enum class MailSecurity { Tls, StartTls, None };

// "tls", "starttls", "none" in any case; anything else is TLS, so a typing
// error never sends a password in clear text.
MailSecurity SecurityFromText(const std::string& text);

// The German message for a server that offers no STARTTLS/STLS.
std::string NoStartTlsText(const std::string& host);

}  // namespace tarifuhr
