// SPDX-License-Identifier: MIT
#include "mail/Replies.h"

#include <cctype>

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

std::map<std::string, std::string> EhloExtensions(const std::string& reply) {
  std::map<std::string, std::string> found;
  size_t at = reply.find('\n');
  while (at != std::string::npos && at + 1 < reply.size()) {
    const size_t next = reply.find('\n', at + 1);
    std::string line = reply.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
    at = next;
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() <= 4) continue;
    for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string rest = line.substr(4);
    const size_t gap = rest.find_first_of(" =");
    const std::string keyword = TrimText(rest.substr(0, gap));
    if (keyword.empty()) continue;
    std::string& params = found[keyword];
    if (gap != std::string::npos) params += (params.empty() ? "" : " ") + TrimText(rest.substr(gap + 1));
  }
  return found;
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
