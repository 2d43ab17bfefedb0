// SPDX-License-Identifier: MIT
#include "mail/Replies.h"

#include "mail/StringLists.h"

namespace tarifuhr {
namespace {

bool IsLastLine(const std::string& line) { return line.size() == 3 || (line.size() >= 4 && line[3] == ' '); }

}  // namespace

void SmtpReplyReader::Clear() {
  received_.clear();
  reply_.clear();
}

bool SmtpReplyReader::NextReply(std::string& reply) {
  for (;;) {
    auto eol = received_.find('\n');
    if (eol == std::string::npos && received_.size() >= kMaxLine) eol = kMaxLine - 1;
    if (eol == std::string::npos) return false;
    std::string line = received_.substr(0, eol + 1);
    received_.erase(0, eol + 1);
    reply_ += line;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    code_ = TrimText(line.substr(0, 3));
    text_ = TrimText(line.size() > 3 ? line.substr(3, 64) : "");
    if (IsLastLine(line)) {
      reply = std::move(reply_);
      reply_.clear();
      return true;
    }
  }
}

Pop3Reply ParsePop3Reply(const std::string& s) {
  Pop3Reply r;
  r.status = TrimText(s.substr(0, 4));
  const auto eol = s.find("\r\n");
  r.text = eol == std::string::npos || eol < 4 ? std::string() : TrimText(s.substr(4, eol - 4));
  r.positive = s.rfind("+OK", 0) == 0;
  return r;
}

}  // namespace tarifuhr
