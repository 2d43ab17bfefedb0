// SPDX-License-Identifier: MIT
#pragma once
// The text forms of durations, byte counts and money used by every display.

#include <cstdint>
#include <string>

#include "platform/RegionalSettings.h"

namespace tarifuhr {

// Hours, minutes and seconds, each at least two digits: 3725 -> "01:02:05",
// -59.9 -> "-00:00:59".
std::string FormatDuration(double seconds);
// Walks the decimal text from the right, putting `sep` before every n-th
// character; the sign counts as a character.
std::string GroupDigits(int n, char sep, int64_t value);
// 1234567 -> "1.234.567 B".
std::string FormatBytes(int64_t bytes);
// A data volume as people read it, KB up to a megabyte, then MB with one
// and GB with two decimals (1024 each): 256000 -> "250 KB", 1048576 ->
// "1,0 MB".
std::string FormatVolume(int64_t bytes, const RegionalSettings& rs);
// Cents as currency units with two decimals: 1234 -> "12,34".
std::string FormatMoney(double cents, const RegionalSettings& rs);
// A stored name as one line of a list: tabs, line breaks and other control
// characters as a space, so that they never break a column.
std::string OneLine(std::string name);

}  // namespace tarifuhr
