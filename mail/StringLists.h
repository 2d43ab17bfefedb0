// SPDX-License-Identifier: MIT
#pragma once
// The mail library's string lists: joining puts CR LF after every line, the
// last one included; splitting ends a line at CR LF, a lone CR or a lone LF.

#include <string>
#include <string_view>
#include <vector>

namespace tarifuhr {

using StringList = std::vector<std::string>;

std::string JoinLines(const StringList& lines);
StringList SplitLines(std::string_view text);

// Removes blanks and control characters (everything up to ' ') at both ends.
std::string TrimText(std::string_view text);

}  // namespace tarifuhr
