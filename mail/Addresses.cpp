// SPDX-License-Identifier: MIT
#include "mail/Addresses.h"

namespace tarifuhr {

std::string ExtractAddress(const std::string& text, bool angleBrackets) {
  std::string r = text;
  for (;;) {
    const auto open = r.find('(');
    if (open == std::string::npos) break;
    const auto close = r.find(')', open);
    if (close == std::string::npos) break;
    r.erase(open, close - open + 1);
  }
  r = TrimText(r);
  const auto lt = r.find('<');
  const auto gt = r.find('>');
  if (lt != std::string::npos && gt != std::string::npos)
    r = gt > lt ? r.substr(lt + 1, gt - lt - 1) : std::string();
  if (angleBrackets) r = "<" + r + ">";
  return r;
}

StringList ParseAddressList(const std::string& text) {
  StringList list;
  std::string s = TrimText(text);
  if (s.empty()) return list;
  for (;;) {
    const auto first = s.find('"');
    if (first == std::string::npos) break;
    s.erase(first, 1);
    const auto second = s.find('"', first);
    if (second == std::string::npos) break;
    s.erase(first, second - first + 1);
  }
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  // An empty item (a trailing comma, ",,") is no recipient: the server
  // would refuse "RCPT TO:<>" and the whole send would fail.
  const auto add = [&list](const std::string& item) {
    std::string address = ExtractAddress(item, false);
    if (!address.empty()) list.push_back(std::move(address));
  };
  for (auto comma = s.find(','); comma != std::string::npos; comma = s.find(',')) {
    add(s.substr(0, comma));
    s.erase(0, comma + 1);
  }
  add(s);
  return list;
}

bool IsIPAddress(const std::string& host) {
  int parts = 0;
  size_t start = 0;
  for (;;) {
    const auto dot = host.find('.', start);
    const std::string part = host.substr(start, dot == std::string::npos ? dot : dot - start);
    if (part.empty() || part.size() > 3) return false;
    for (char c : part)
      if (c < '0' || c > '9') return false;
    if (std::stoi(part) > 255) return false;
    ++parts;
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return parts == 4;
}

}  // namespace tarifuhr
