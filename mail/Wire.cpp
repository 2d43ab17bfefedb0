// SPDX-License-Identifier: MIT
#include "mail/Wire.h"

#include <charconv>

#include "mail/Addresses.h"
#include "platform/Codepage.h"

namespace tarifuhr {

std::string ToWire(const std::string& utf8) { return Utf8ToLatin1(utf8); }

std::string FromWire(const std::string& latin1) { return Latin1ToUtf8(latin1); }

int PortFromText(const std::string& text, int defaultPort) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  int value = 0;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last || first == last) return defaultPort;
  return value;
}

void AimSocket(ClientSocket& socket, const std::string& host, const std::string& port, int defaultPort,
               int timeOutMs) {
  socket.Port = PortFromText(port, defaultPort);
  if (IsIPAddress(host)) {
    socket.Address = host;
    socket.Host.clear();
  } else {
    socket.Host = host;
    socket.Address.clear();
  }
  socket.TimeOut = timeOutMs;
}

}  // namespace tarifuhr
