// SPDX-License-Identifier: MIT
#pragma once
// Address handling for the SMTP envelope.

#include <string>

#include "mail/StringLists.h"

namespace tarifuhr {

// The bare address of "Name <addr> (comment)"; with `angleBrackets` it comes
// back as "<addr>".
std::string ExtractAddress(const std::string& text, bool angleBrackets);
// Comma-separated recipients as bare lower-case addresses; display names in
// double quotes are dropped. A trailing comma gives a last empty entry.
StringList ParseAddressList(const std::string& text);
// True for a dotted-quad IPv4 literal ("10.0.0.1").
bool IsIPAddress(const std::string& host);

}  // namespace tarifuhr
