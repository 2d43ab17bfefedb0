// SPDX-License-Identifier: MIT
// Arbitrary server answers, arriving in pieces of any size: SMTP replies
// are taken in order without losing or inventing a byte, no line grows past
// its limit, EHLO extensions come out of the lines, and a POP3 answer is positive exactly when it begins
// "+OK".
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mail/Replies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarifuhr;
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 64;
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  SmtpReplyReader reader;
  std::string taken, reply;
  for (size_t at = 0; at < input.size(); at += piece) {
    reader.Append(std::string_view(input).substr(at, piece));
    while (reader.NextReply(reply)) taken += reply;
    if (reader.Pending().size() >= SmtpReplyReader::kMaxLine) std::abort();
    if (reader.Code().size() > 3 || reader.Text().size() > 64) std::abort();
  }
  if (input.compare(0, taken.size(), taken) != 0) std::abort();
  const std::string& pending = reader.Pending();
  if (pending.size() > input.size() ||
      input.compare(input.size() - pending.size(), pending.size(), pending) != 0)
    std::abort();

  for (const auto& [keyword, params] : EhloExtensions(input))
    if (keyword.empty() || keyword.size() > input.size() || params.size() > input.size()) std::abort();

  const Pop3Reply pop = ParsePop3Reply(input);
  if (pop.positive != (input.rfind("+OK", 0) == 0)) std::abort();
  if (pop.status.size() > 4 || pop.text.size() > input.size()) std::abort();
  return 0;
}
