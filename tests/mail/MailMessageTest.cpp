// SPDX-License-Identifier: MIT
#include "mail/MailMessage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "mail/Base64EncodingStream.h"
#include "platform/Files.h"
#include "platform/MessagePump.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

using ::testing::StrEq;
using ::testing::ThrowsMessage;

MailMessage Report() {
  MailMessage msg;
  msg.UserName = "Support";
  msg.From = "report@example.test";
  msg.SendTo = "help@example.test";
  msg.Subject = "Fehlerbericht";
  msg.Text = {"Zeile eins", "Zeile zwei"};
  return msg;
}

StringList From(const StringList& raw, size_t first) { return StringList(raw.begin() + first, raw.end()); }

TEST(FillRawMail, DefaultMessageHeadersInTheirOrder) {
  MailMessage msg = Report();
  msg.FillRawMail();
  ASSERT_FALSE(msg.RawMail.empty());
  EXPECT_EQ(msg.RawMail[0].rfind("Message-Id: ", 0), 0u);
  EXPECT_EQ(From(msg.RawMail, 1),
            (StringList{"Date: ", "X-Priority: 3", "From: \"Support\" <report@example.test>",
                        "X-Mailer: ", "To: help@example.test", "MIME-Version: 1.0", "Subject: Fehlerbericht",
                        "Content-Type: text/plain; charset=ISO-8859-1", "Content-Transfer-Encoding: 8Bit", "",
                        "Zeile eins", "Zeile zwei"}));
  // Without text: the headers and the separator only.
  msg.Text.clear();
  msg.FillRawMail();
  ASSERT_EQ(msg.RawMail.size(), 11u);
  EXPECT_EQ(msg.RawMail.back(), "");
}

TEST(FillRawMail, OptionalHeadersAndPriority) {
  MailMessage msg = Report();
  msg.UserName.clear();
  msg.CC = "cc@example.test";
  msg.BCC = "secret@example.test";
  msg.ReplyTo = "back@example.test";
  msg.InReplyTo = "<x@y>";
  msg.XMailer = "Tarifuhr";
  msg.Priority = MailPriority::Highest;
  msg.ExtraHeaders = {"X-One: 1", "X-Two: 2"};
  msg.FillRawMail();
  const StringList& raw = msg.RawMail;
  ASSERT_GE(raw.size(), 16u);
  EXPECT_EQ(StringList(raw.begin() + 2, raw.begin() + 16),
            (StringList{"X-Priority: 1", "From: report@example.test", "In-Reply-To: <x@y>",
                        "Reply-To: back@example.test", "X-Mailer: Tarifuhr", "To: help@example.test",
                        "CC: cc@example.test", "MIME-Version: 1.0", "Subject: Fehlerbericht",
                        "Content-Type: text/plain; charset=ISO-8859-1", "Content-Transfer-Encoding: 8Bit",
                        "X-One: 1", "X-Two: 2", ""}));
  for (const auto& line : raw) EXPECT_EQ(line.find("secret"), std::string::npos) << line;
  msg.Priority = MailPriority::Lowest;
  msg.FillRawMail();
  EXPECT_EQ(msg.RawMail[2], "X-Priority: 5");
}

TEST(FillRawMail, DotStuffingLineSplittingAndNoHeaderInjection) {
  MailMessage msg = Report();
  msg.Text = {".", ".hidden", " .blank first", "", "a\r\nb\rc\nd"};
  msg.Subject = "Hallo\r\nBcc: victim@example.test";
  msg.FillRawMail();
  EXPECT_EQ(From(msg.RawMail, 11), (StringList{"..", "..hidden", " .blank first", "", "a", "b", "c", "d"}));
  // Line breaks in header values do not make new lines.
  EXPECT_EQ(msg.RawMail[7], "Subject: Hallo  Bcc: victim@example.test");
  for (const auto& line : msg.RawMail) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
}

TEST(FillRawMail, FromWithoutAtIsRefusedAndLeavesRawMailEmpty) {
  MailMessage msg = Report();
  msg.From = "nobody";
  msg.TextEncoding = BodyEncoding::Base64;
  EXPECT_THAT([&] { msg.FillRawMail(); }, ThrowsMessage<EMailError>(StrEq("\"From\" address not complete.")));
  EXPECT_TRUE(msg.RawMail.empty());
  EXPECT_EQ(msg.Subject, "Fehlerbericht");
}

TEST(FillRawMail, Base64SubjectAndBodyInLatin1) {
  MailMessage msg = Report();
  msg.TextEncoding = BodyEncoding::Base64;
  msg.Subject = "Grüße";
  const std::string longLine(100, 'x');
  msg.Text = {"Käse", longLine};
  msg.FillRawMail();
  // "Grüße" in ISO-8859-1 is 47 72 FC DF 65.
  EXPECT_EQ(msg.Subject, "=?ISO-8859-1?B?R3L832U=?=");
  EXPECT_EQ(msg.RawMail[7], "Subject: =?ISO-8859-1?B?R3L832U=?=");
  EXPECT_EQ(msg.RawMail[9], "Content-Transfer-Encoding: base64");
  const StringList body = From(msg.RawMail, 11);
  EXPECT_EQ(body, SplitLines(EncodeBase64("K\xE4se\r\n" + longLine + "\r\n")));
  ASSERT_EQ(body.size(), 2u);
  EXPECT_EQ(body[0].size(), 76u);
  // Composing again encodes the encoded subject again.
  msg.FillRawMail();
  EXPECT_EQ(msg.Subject.rfind("=?ISO-8859-1?B?PT9JU08t", 0), 0u) << msg.Subject;

  msg.Subject = "";
  msg.FillRawMail();
  EXPECT_EQ(msg.RawMail[7],
            "Subject: =?ISO-8859-1?B?"
            "?=");
  // A long subject: two encoded words on one header line.
  msg.Subject = std::string(60, 's');
  msg.FillRawMail();
  EXPECT_EQ(msg.Subject, "=?ISO-8859-1?B?" + EncodeBase64(std::string(57, 's')).substr(0, 76) +
                             "?= =?ISO-8859-1?B?c3Nz?=");
}

// Attachments go through a temporary file in TMPDIR.
class TempFiles : public ::testing::Test {
 protected:
  void SetUp() override { setenv("TMPDIR", dir.Path().c_str(), 1); }
  void TearDown() override {
    unsetenv("TMPDIR");
    SetMessagePump({});
  }
  AttachedFile& Attach(MailMessage& msg, const std::string& name, const std::string& bytes) {
    AttachedFile& file = msg.AttachedFiles.Add();
    file.FileName = name;
    file.FilePath = Write(name, bytes);
    return file;
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    WriteFileAtomically(dir.File(name), bytes);
    return dir.File(name);
  }
  int Leftovers() {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
      n += e.path().filename().string().rfind("zim_b64e.", 0) == 0;
    return n;
  }
  testing::TempDir dir;
};

TEST_F(TempFiles, AttachmentsMakeAMultipartBody) {
  std::string data;
  for (int i = 0; i < 3000; ++i) data += static_cast<char>(i * 7);
  MailMessage msg = Report();
  AttachedFile& file = Attach(msg, "log.bin", data);
  file.ContentType = "application/octet-stream";
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  msg.FillRawMail();
  const std::string ct = msg.RawMail[8];
  ASSERT_EQ(ct.rfind("Content-Type: multipart/mixed; boundary=\"--_ZIM_bound_", 0), 0u) << ct;
  const std::string d = "--" + ct.substr(ct.find('"') + 1, 25);
  EXPECT_EQ(msg.RawMail[9], "");  // no transfer encoding header of its own
  const StringList body = From(msg.RawMail, 10);
  ASSERT_GE(body.size(), 12u);
  EXPECT_EQ(
      StringList(body.begin(), body.begin() + 11),
      (StringList{d, "Content-Type: text/plain; charset=ISO-8859-1", "Content-Transfer-Encoding: 8Bit", "",
                  "Zeile eins", "Zeile zwei", d, "Content-Type: application/octet-stream; name=\"log.bin\"",
                  "Content-Transfer-Encoding: base64",
                  "Content-Disposition: attachment; filename=\"log.bin\"", ""}));
  EXPECT_EQ(StringList(body.begin() + 11, body.end() - 3), SplitLines(EncodeBase64(data)));
  EXPECT_EQ(From(body, body.size() - 3), (StringList{"", d + "--", ""}));
  EXPECT_EQ(file.Content.Bytes(), data);
  EXPECT_GE(pumped, 3);  // between 1024-byte blocks and after the attachment
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(TempFiles, CancelledOrMissingAttachmentStopsComposition) {
  MailMessage msg = Report();
  AttachedFile& file = Attach(msg, "big", std::string(5000, 'x'));
  file.EncodedLines = {"old"};
  SetMessagePump([&] { file.Cancelled = true; });
  EXPECT_THROW(msg.FillRawMail(), EMailError);
  EXPECT_TRUE(msg.RawMail.empty());
  EXPECT_EQ(file.EncodedLines, StringList{"old"});  // kept
  EXPECT_EQ(Leftovers(), 0);

  MailMessage missing = Report();
  missing.AttachedFiles.Add().FilePath = dir.File("missing");
  EXPECT_THROW(missing.FillRawMail(), FileError);
  EXPECT_TRUE(missing.RawMail.empty());
}

TEST_F(TempFiles, TemporaryFileIsNewEvenWhenTheOldNameIsTaken) {
  // A link planted under the old fixed name must not be followed.
  const std::string victim = Write("victim", "keep me");
  ASSERT_EQ(symlink(victim.c_str(), dir.File("zim_b64e.$$$").c_str()), 0);
  AttachedFile file;
  file.FilePath = Write("data", "hello");
  ASSERT_TRUE(file.EncodeFile());
  EXPECT_EQ(file.EncodedLines, StringList{"aGVsbG8="});
  EXPECT_EQ(ReadWholeFile(victim, size_t{1} << 24), "keep me");
}

}  // namespace
}  // namespace tarifuhr
