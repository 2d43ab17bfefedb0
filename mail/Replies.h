// SPDX-License-Identifier: MIT
#pragma once
// What mail servers answer, taken apart: SMTP replies of one or more lines,
// and the status line of a POP3 reply. Bytes as they come off the wire.

#include <map>
#include <string>
#include <string_view>

namespace tarifuhr {

// Collects what an SMTP server sends and splits it into replies. A line
// ends with LF; one that never ends is cut after kMaxLine bytes, so a
// server can't fill the memory. A reply ends with the line whose code is
// followed by a blank, or that holds the code alone; a hyphen there, or a
// line too short, means more lines follow.
class SmtpReplyReader {
 public:
  static constexpr size_t kMaxLine = 4096;

  void Append(std::string_view bytes) { received_.append(bytes); }
  void Clear();
  // Reads the complete lines that have arrived; true when one of them ends
  // a reply, which is then moved to `reply`, its lines as received.
  bool NextReply(std::string& reply);
  // Code and text (up to 64 bytes, blanks trimmed) of the last line read.
  const std::string& Code() const { return code_; }
  const std::string& Text() const { return text_; }
  // Bytes received and not yet read as lines.
  const std::string& Pending() const { return received_; }

 private:
  std::string received_;
  std::string reply_;  // lines of the reply not yet ended
  std::string code_, text_;
};

// The extensions an EHLO reply names, as "KEYWORD" -> its parameters, both
// in upper case ("AUTH" -> "PLAIN LOGIN"); "AUTH=LOGIN" counts as "AUTH".
// The first line, the server's greeting, names none.
std::map<std::string, std::string> EhloExtensions(const std::string& reply);

struct Pop3Reply {
  std::string status;     // the first four bytes, blanks trimmed ("+OK", "-ERR")
  std::string text;       // after them, up to the first CR LF
  bool positive = false;  // only "+OK" is
};

// One receive's worth of a POP3 server's answer.
Pop3Reply ParsePop3Reply(const std::string& received);

}  // namespace tarifuhr
