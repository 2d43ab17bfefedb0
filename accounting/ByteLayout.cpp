// SPDX-License-Identifier: MIT
#include "accounting/ByteLayout.h"

#include "platform/Codepage.h"

namespace tarifuhr {

void PutShortString(uint8_t* p, size_t maxLen, const std::string& utf8) {
  std::string bytes = Utf8ToCp1252(utf8);
  if (bytes.size() > maxLen) bytes.resize(maxLen);
  std::memset(p, 0, maxLen + 1);
  p[0] = static_cast<uint8_t>(bytes.size());
  std::memcpy(p + 1, bytes.data(), bytes.size());
}

std::string GetShortString(const uint8_t* p, size_t maxLen) {
  size_t len = p[0];
  if (len > maxLen) len = maxLen;  // a lying length byte reads no further
  return Cp1252ToUtf8(std::string(reinterpret_cast<const char*>(p + 1), len));
}

std::string CutToShortString(const std::string& utf8, size_t maxLen) {
  std::string bytes = Utf8ToCp1252(utf8);
  if (bytes.size() > maxLen) bytes.resize(maxLen);
  return Cp1252ToUtf8(bytes);
}

}  // namespace tarifuhr
