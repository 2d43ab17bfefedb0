// SPDX-License-Identifier: MIT
#pragma once
// Little-endian fields at fixed offsets of a byte buffer.

#include <cstdint>
#include <cstring>

namespace tarifuhr {

inline void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint32_t GetU32(const uint8_t* p) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return v;
}
inline void PutI32(uint8_t* p, int32_t v) { PutU32(p, static_cast<uint32_t>(v)); }
inline int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetU32(p)); }
inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline void PutI64(uint8_t* p, int64_t v) {
  PutU32(p, static_cast<uint32_t>(static_cast<uint64_t>(v)));
  PutU32(p + 4, static_cast<uint32_t>(static_cast<uint64_t>(v) >> 32));
}
inline int64_t GetI64(const uint8_t* p) {
  return static_cast<int64_t>(GetU32(p) | (static_cast<uint64_t>(GetU32(p + 4)) << 32));
}
inline void PutF64(uint8_t* p, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}
inline double GetF64(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(p[i]) << (8 * i);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

}  // namespace tarifuhr
