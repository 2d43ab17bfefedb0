// SPDX-License-Identifier: MIT
#pragma once
// What the mail clients share about the wire: text goes out as ISO-8859-1
// (characters outside Latin-1 become '?') and comes back as UTF-8, and port
// numbers are given as text.

#include <string>

#include "platform/ClientSocket.h"

namespace tarifuhr {

std::string ToWire(const std::string& utf8);
std::string FromWire(const std::string& latin1);

// The decimal number in `text`, or `defaultPort` when it is not one.
int PortFromText(const std::string& text, int defaultPort);

// Points the socket at a host name or dotted address and port, with the
// time-out of every receive.
void AimSocket(ClientSocket& socket, const std::string& host, const std::string& port, int defaultPort,
               int timeOutMs);

}  // namespace tarifuhr
