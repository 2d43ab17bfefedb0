// SPDX-License-Identifier: MIT
#pragma once
// A write-only stream that Base64-encodes (RFC 2045 alphabet) everything
// written to it into a destination stream, with CR LF after every 76
// characters. The last group, with its '=' fill, is written by Finish() or
// by the destructor; call Finish() where a failing destination must be
// noticed, because a destructor can't report.

#include <cstdint>
#include <string>

#include "platform/Stream.h"

namespace tarifuhr {

class Base64EncodingStream final : public Stream {
 public:
  // `dest` is not taken over and must outlive the encoder.
  explicit Base64EncodingStream(Stream& dest) : dest_(dest) {}
  ~Base64EncodingStream() override;
  Base64EncodingStream(const Base64EncodingStream&) = delete;
  Base64EncodingStream& operator=(const Base64EncodingStream&) = delete;

  // Always throws EStreamError("Invalid stream operation").
  int64_t Read(void* buffer, int64_t count) override;
  // Returns CharsOut(), not the number of bytes taken. An error of the
  // destination passes to the caller; after it the encoder takes no more
  // input and writes no final group.
  int64_t Write(const void* buffer, int64_t count) override;
  // Only the current end can be asked for (position and size = CharsOut).
  int64_t Seek(int64_t offset, SeekOrigin origin) override;

  // Writes the final group; later writes are refused.
  void Finish();

  int32_t BytesIn() const { return bytesIn_; }
  int32_t CharsOut() const { return charsOut_; }

 private:
  Stream& dest_;
  std::string pending_;  // 0 to 2 bytes not yet encoded
  int32_t bytesIn_ = 0;
  int32_t charsOut_ = 0;
  bool finished_ = false;
  bool failed_ = false;
};

// Base64 text of `bytes` as the encoder writes it (lines of 76 characters
// separated by CR LF).
std::string EncodeBase64(const std::string& bytes);

}  // namespace tarifuhr
