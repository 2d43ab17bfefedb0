// SPDX-License-Identifier: MIT
#pragma once
// Builds and reads file images byte by byte, independently of the code
// under test.

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace tarifuhr::testing {

class Bytes {
 public:
  explicit Bytes(size_t size = 0) : data_(size, '\0') {}
  Bytes& Grow(size_t size) {
    if (data_.size() < size) data_.resize(size, '\0');
    return *this;
  }
  Bytes& I32(size_t off, int32_t v) { return U(off, static_cast<uint32_t>(v), 4); }
  Bytes& U16(size_t off, uint16_t v) { return U(off, v, 2); }
  Bytes& I64(size_t off, int64_t v) { return U(off, static_cast<uint64_t>(v), 8); }
  Bytes& F64(size_t off, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return U(off, bits, 8);
  }
  // A short string: length byte, then the Windows-1252 bytes as given.
  Bytes& Str(size_t off, const std::string& cp1252) {
    Grow(off + 1 + cp1252.size());
    data_[off] = static_cast<char>(cp1252.size());
    data_.replace(off + 1, cp1252.size(), cp1252);
    return *this;
  }
  Bytes& Byte(size_t off, uint8_t v) {
    Grow(off + 1);
    data_[off] = static_cast<char>(v);
    return *this;
  }
  Bytes& Append(const std::string& more) {
    data_ += more;
    return *this;
  }
  const std::string& str() const { return data_; }
  size_t size() const { return data_.size(); }

 private:
  Bytes& U(size_t off, uint64_t v, int n) {
    Grow(off + n);
    for (int i = 0; i < n; ++i) data_[off + i] = static_cast<char>(v >> (8 * i));
    return *this;
  }
  std::string data_;
};

inline int32_t ReadI32(const std::string& s, size_t off) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(s[off + i])) << (8 * i);
  return static_cast<int32_t>(v);
}
inline double ReadF64(const std::string& s, size_t off) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(static_cast<uint8_t>(s[off + i])) << (8 * i);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace tarifuhr::testing
