// SPDX-License-Identifier: MIT
#include "mail/Base64EncodingStream.h"

namespace tarifuhr {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int32_t kLineChars = 76;

}  // namespace

Base64EncodingStream::~Base64EncodingStream() {
  try {
    Finish();
  } catch (const std::exception&) {
    // Nowhere to report from a destructor; callers that care call Finish().
  }
}

int64_t Base64EncodingStream::Read(void*, int64_t) { throw EStreamError("Invalid stream operation"); }

int64_t Base64EncodingStream::Write(const void* buffer, int64_t count) {
  if (finished_ || failed_) throw EStreamError("Invalid stream operation");
  if (count <= 0) return charsOut_;
  const auto* in = static_cast<const unsigned char*>(buffer);
  bytesIn_ += static_cast<int32_t>(count);
  pending_.append(reinterpret_cast<const char*>(in), static_cast<size_t>(count));

  // One write to the destination per call, not one per group.
  std::string out;
  out.reserve(pending_.size() / 3 * 4 + pending_.size() / 57 * 2 + 8);
  int32_t chars = charsOut_;
  size_t i = 0;
  for (; i + 3 <= pending_.size(); i += 3) {
    const auto b0 = static_cast<unsigned char>(pending_[i]);
    const auto b1 = static_cast<unsigned char>(pending_[i + 1]);
    const auto b2 = static_cast<unsigned char>(pending_[i + 2]);
    out += kAlphabet[b0 >> 2];
    out += kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
    out += kAlphabet[((b1 & 15) << 2) | (b2 >> 6)];
    out += kAlphabet[b2 & 63];
    chars += 4;
    if (chars % kLineChars == 0) out += "\r\n";
  }
  pending_.erase(0, i);
  try {
    dest_.WriteString(out);
  } catch (const std::exception&) {
    failed_ = true;
    throw;
  }
  charsOut_ = chars;
  return charsOut_;
}

int64_t Base64EncodingStream::Seek(int64_t offset, SeekOrigin origin) {
  const bool atEnd = (origin != SeekOrigin::Beginning && offset == 0) ||
                     (origin == SeekOrigin::Beginning && offset == charsOut_);
  if (!atEnd) throw EStreamError("Invalid stream operation");
  return charsOut_;
}

void Base64EncodingStream::Finish() {
  if (finished_) return;
  finished_ = true;
  if (failed_) return;
  std::string out;
  // bytesIn_ mod 3 equals pending_.size(); the leftover decides the fill.
  if (pending_.size() == 1) {
    const auto b0 = static_cast<unsigned char>(pending_[0]);
    out = {kAlphabet[b0 >> 2], kAlphabet[(b0 & 3) << 4], '=', '='};
  } else if (pending_.size() == 2) {
    const auto b0 = static_cast<unsigned char>(pending_[0]);
    const auto b1 = static_cast<unsigned char>(pending_[1]);
    out = {kAlphabet[b0 >> 2], kAlphabet[((b0 & 3) << 4) | (b1 >> 4)], kAlphabet[(b1 & 15) << 2], '='};
  }
  pending_.clear();
  dest_.WriteString(out);
}

std::string EncodeBase64(const std::string& bytes) {
  MemoryStream out;
  {
    Base64EncodingStream encoder(out);
    // Not WriteBuffer: the encoder's Write answers with characters out.
    encoder.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    encoder.Finish();
  }
  return out.Bytes();
}

}  // namespace tarifuhr
