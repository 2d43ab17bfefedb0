#pragma once
// What the mail clients share about the wire: text goes out as ISO-8859-1
// (characters outside Latin-1 become '?') and comes back as UTF-8, and port
// numbers are given as text.

#include <string>

namespace tarifuhr {

std::string ToWire(const std::string& utf8);
std::string FromWire(const std::string& latin1);

// The decimal number in `text`, or `defaultPort` when it is not one.
int PortFromText(const std::string& text, int defaultPort);

}  // namespace tarifuhr
