// SPDX-License-Identifier: MIT
#include "mail/Base64EncodingStream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace tarifuhr {
namespace {

std::string Encode(const std::string& bytes, size_t chunk) {
  MemoryStream out;
  {
    Base64EncodingStream encoder(out);
    for (size_t pos = 0; pos < bytes.size(); pos += chunk) {
      const std::string part = bytes.substr(pos, chunk);
      encoder.Write(part.data(), static_cast<int64_t>(part.size()));
    }
  }
  return out.Bytes();
}

std::string Bytes(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>((i * 37 + 11) & 0xFF);
  return s;
}

TEST(Base64EncodingStream, RfcVectorsAndFill) {
  for (auto [in, out] : {std::pair<std::string, std::string>{"", ""},
                         {"f", "Zg=="},
                         {"fo", "Zm8="},
                         {"foo", "Zm9v"},
                         {"foobar", "Zm9vYmFy"},
                         {std::string("\xFF\xFE\x00", 3), "//4A"}})
    EXPECT_EQ(Encode(in, 4), out);
}

TEST(Base64EncodingStream, LinesOf76CharactersCountedFromCreation) {
  const std::string once57 = Encode(Bytes(57), 57);
  ASSERT_EQ(once57.size(), 78u);
  EXPECT_EQ(once57.substr(76), "\r\n");
  const std::string once58 = Encode(Bytes(58), 58);
  EXPECT_EQ(once58.substr(0, 78), once57);
  EXPECT_EQ(once58.size(), 82u);
  EXPECT_EQ(once58.substr(80), "==");
  // However the input is cut into calls, the output is the same.
  const std::string big = Bytes(1000);
  const std::string whole = Encode(big, big.size());
  for (size_t chunk : {1u, 2u, 5u, 57u, 58u, 1024u}) EXPECT_EQ(Encode(big, chunk), whole) << chunk;
  EXPECT_EQ(Encode(Bytes(57), 1), once57);
}

TEST(Base64EncodingStream, CountersAndSeekAnswerOnlyTheEnd) {
  MemoryStream out;
  Base64EncodingStream encoder(out);
  EXPECT_EQ(encoder.Write("ab", 2), 0);
  EXPECT_EQ(encoder.Write("cdefg", 5), 8);
  EXPECT_EQ(encoder.BytesIn(), 7);
  EXPECT_EQ(encoder.CharsOut(), 8);
  EXPECT_EQ(encoder.Seek(0, SeekOrigin::End), 8);
  EXPECT_EQ(encoder.Seek(0, SeekOrigin::Current), 8);
  EXPECT_EQ(encoder.Seek(8, SeekOrigin::Beginning), 8);
  EXPECT_THROW(encoder.Seek(0, SeekOrigin::Beginning), EStreamError);
  EXPECT_THROW(encoder.Seek(1, SeekOrigin::End), EStreamError);
  char c;
  EXPECT_THAT([&] { encoder.Read(&c, 1); },
              ::testing::ThrowsMessage<EStreamError>(::testing::StrEq("Invalid stream operation")));
}

// A destination that fails after a number of bytes, like a full disk.
class FailingStream final : public Stream {
 public:
  explicit FailingStream(int64_t room) : room_(room) {}
  int64_t Read(void*, int64_t) override { return 0; }
  int64_t Write(const void*, int64_t count) override {
    if (count > room_) throw std::runtime_error("disk full");
    room_ -= count;
    written_ += count;
    return count;
  }
  int64_t Seek(int64_t, SeekOrigin) override { return written_; }

 private:
  int64_t room_;
  int64_t written_ = 0;
};

TEST(Base64EncodingStream, FailedDestinationWriteReachesTheCaller) {
  FailingStream dest(10);
  Base64EncodingStream encoder(dest);
  const std::string data = Bytes(300);
  EXPECT_NO_THROW(encoder.Write(data.data(), 6));
  EXPECT_THROW(encoder.Write(data.data(), 300), std::runtime_error);
  // No silent continuation after the loss, and no final group.
  EXPECT_THROW(encoder.Write(data.data(), 3), EStreamError);
  EXPECT_NO_THROW(encoder.Finish());

  FailingStream none(0);
  Base64EncodingStream last(none);
  last.Write("a", 1);
  EXPECT_THROW(last.Finish(), std::runtime_error);  // the final group fails
}

}  // namespace
}  // namespace tarifuhr
