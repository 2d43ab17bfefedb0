// SPDX-License-Identifier: MIT
#pragma once
// Little-endian fields and short strings at fixed offsets of a record.

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/LittleEndian.h"

namespace tarifuhr {

// A count from its low 32 bits and a high word.
inline int64_t JoinCount(uint32_t low, int64_t high) {
  return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
}

// A short string of at most `maxLen` Windows-1252 characters: a length byte
// and the characters. Text in memory is UTF-8.
void PutShortString(uint8_t* p, size_t maxLen, const std::string& utf8);
std::string GetShortString(const uint8_t* p, size_t maxLen);

// The first `maxLen` characters of a text as the file would keep them.
std::string CutToShortString(const std::string& utf8, size_t maxLen);

}  // namespace tarifuhr
