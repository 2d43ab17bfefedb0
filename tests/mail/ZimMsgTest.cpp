#include "mail/ZimMsg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>

#include "mail/Base64EncodingStream.h"
#include "platform/Files.h"
#include "platform/MessagePump.h"

namespace tarifuhr {
namespace {

TZimMsg Report() {
  TZimMsg msg;
  msg.UserName = "Support";
  msg.From = "report@example.test";
  msg.SendTo = "help@example.test";
  msg.Subject = "Fehlerbericht";
  msg.Text = {"Zeile eins", "Zeile zwei"};
  return msg;
}

std::string Prefix(const std::string& line) { return line.substr(0, line.find(':')); }

TEST(FillRawMail, DefaultMessageHeadersInTheirOrder) {
  TZimMsg msg = Report();
  msg.FillRawMail();
  const TStringList& raw = msg.RawMail;
  ASSERT_EQ(raw.size(), 13u);
  const TStringList names = {"Message-Id", "Date", "X-Priority", "From", "X-Mailer", "To",
                             "MIME-Version", "Subject", "Content-Type",
                             "Content-Transfer-Encoding"};
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(Prefix(raw[i]), names[i]) << i;
  EXPECT_EQ(raw[1], "Date: ");
  EXPECT_EQ(raw[2], "X-Priority: 3");
  EXPECT_EQ(raw[3], "From: \"Support\" <report@example.test>");
  EXPECT_EQ(raw[4], "X-Mailer: ");
  EXPECT_EQ(raw[5], "To: help@example.test");
  EXPECT_EQ(raw[6], "MIME-Version: 1.0");
  EXPECT_EQ(raw[7], "Subject: Fehlerbericht");
  EXPECT_EQ(raw[8], "Content-Type: text/plain; charset=ISO-8859-1");
  EXPECT_EQ(raw[9], "Content-Transfer-Encoding: 8Bit");
  EXPECT_EQ(raw[10], "");
  EXPECT_EQ(raw[11], "Zeile eins");
  EXPECT_EQ(raw[12], "Zeile zwei");
}

TEST(FillRawMail, OptionalHeadersAndPriority) {
  TZimMsg msg = Report();
  msg.UserName.clear();
  msg.CC = "cc@example.test";
  msg.BCC = "secret@example.test";
  msg.ReplyTo = "back@example.test";
  msg.InReplyTo = "<x@y>";
  msg.XMailer = "Tarifuhr";
  msg.Priority = TPriority::prHighest;
  msg.ExtraHeaders = {"X-One: 1", "X-Two: 2"};
  msg.FillRawMail();
  const TStringList& raw = msg.RawMail;
  EXPECT_EQ(raw[2], "X-Priority: 1");
  EXPECT_EQ(raw[3], "From: report@example.test");
  EXPECT_EQ(raw[4], "In-Reply-To: <x@y>");
  EXPECT_EQ(raw[5], "Reply-To: back@example.test");
  EXPECT_EQ(raw[6], "X-Mailer: Tarifuhr");
  EXPECT_EQ(raw[8], "CC: cc@example.test");
  EXPECT_EQ(raw[12], "Content-Transfer-Encoding: 8Bit");
  EXPECT_EQ(raw[13], "X-One: 1");
  EXPECT_EQ(raw[14], "X-Two: 2");
  EXPECT_EQ(raw[15], "");
  for (const auto& line : raw) EXPECT_EQ(line.find("secret"), std::string::npos) << line;
  msg.Priority = TPriority::prLowest;
  msg.FillRawMail();
  EXPECT_EQ(msg.RawMail[2], "X-Priority: 5");
}

TEST(FillRawMail, DotStuffingAndLineSplitting) {
  TZimMsg msg = Report();
  msg.Text = {".", ".hidden", " .blank first", "", "a\r\nb\rc\nd"};
  msg.FillRawMail();
  const TStringList body(msg.RawMail.begin() + 11, msg.RawMail.end());
  EXPECT_EQ(body, (TStringList{"..", "..hidden", " .blank first", "", "a", "b", "c", "d"}));
}

TEST(FillRawMail, EmptyTextGivesHeadersAndSeparatorOnly) {
  TZimMsg msg = Report();
  msg.Text.clear();
  msg.FillRawMail();
  ASSERT_EQ(msg.RawMail.size(), 11u);
  EXPECT_EQ(msg.RawMail.back(), "");
}

TEST(FillRawMail, FromWithoutAtIsRefusedAndLeavesRawMailEmpty) {
  TZimMsg msg = Report();
  msg.From = "nobody";
  msg.TextEncoding = TTextEncoding::teBase64;
  try {
    msg.FillRawMail();
    FAIL() << "no error";
  } catch (const EMailError& e) {
    EXPECT_STREQ(e.what(), "\"From\" address not complete.");
  }
  EXPECT_TRUE(msg.RawMail.empty());
  EXPECT_EQ(msg.Subject, "Fehlerbericht");
}

TEST(FillRawMail, Base64SubjectAndBodyInLatin1) {
  TZimMsg msg = Report();
  msg.TextEncoding = TTextEncoding::teBase64;
  msg.Subject = "Grüße";
  std::string longLine(100, 'x');
  msg.Text = {"Käse", longLine};
  msg.FillRawMail();
  // "Grüße" in ISO-8859-1 is 47 72 FC DF 65.
  EXPECT_EQ(msg.Subject, "=?ISO-8859-1?B?R3L832U=?=");
  EXPECT_EQ(msg.RawMail[7], "Subject: =?ISO-8859-1?B?R3L832U=?=");
  EXPECT_EQ(msg.RawMail[9], "Content-Transfer-Encoding: base64");
  const TStringList body(msg.RawMail.begin() + 11, msg.RawMail.end());
  const std::string expected = EncodeBase64("K\xE4se\r\n" + longLine + "\r\n");
  EXPECT_EQ(body, SplitLines(expected));
  ASSERT_EQ(body.size(), 2u);
  EXPECT_EQ(body[0].size(), 76u);
  // Composing again encodes the encoded subject again.
  msg.FillRawMail();
  EXPECT_EQ(msg.Subject.rfind("=?ISO-8859-1?B?PT9JU08t", 0), 0u) << msg.Subject;
}

TEST(FillRawMail, EmptyAndLongBase64Subjects) {
  TZimMsg msg = Report();
  msg.TextEncoding = TTextEncoding::teBase64;
  msg.Subject = "";
  msg.FillRawMail();
  EXPECT_EQ(msg.RawMail[7], "Subject: =?ISO-8859-1?B?" "?=");
  msg.Subject = std::string(60, 's');
  msg.FillRawMail();
  // Two encoded words on one header line, no line break inside.
  EXPECT_EQ(msg.Subject, "=?ISO-8859-1?B?" + EncodeBase64(std::string(57, 's')).substr(0, 76) +
                             "?= =?ISO-8859-1?B?c3Nz?=");
}

TEST(FillRawMail, LineBreaksInHeaderValuesDoNotMakeNewLines) {
  TZimMsg msg = Report();
  msg.Subject = "Hallo\r\nBcc: victim@example.test";
  msg.FillRawMail();
  EXPECT_EQ(msg.RawMail[7], "Subject: Hallo  Bcc: victim@example.test");
  for (const auto& line : msg.RawMail) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
}

class TempFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tarifuhr-msg-XXXXXX";
    dir_ = mkdtemp(tmpl);
    setenv("TMPDIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("TMPDIR");
    std::system(("rm -rf '" + dir_ + "'").c_str());
    SetMessagePump({});
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // Files left in the temporary directory besides the given one.
  int Leftovers() {
    int n = 0;
    DIR* d = opendir(dir_.c_str());
    while (dirent* e = readdir(d))
      if (std::string(e->d_name).rfind("zim_b64e.", 0) == 0) ++n;
    closedir(d);
    return n;
  }
  std::string dir_;
};

TEST_F(TempFiles, AttachmentsMakeAMultipartBody) {
  std::string data;
  for (int i = 0; i < 3000; ++i) data += static_cast<char>(i * 7);
  TZimMsg msg = Report();
  TAttachedFile& file = msg.AttachedFiles.Add();
  file.FileName = "log.bin";
  file.FilePath = Write("log.bin", data);
  file.ContentType = "application/octet-stream";
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  msg.FillRawMail();
  const TStringList& raw = msg.RawMail;
  const std::string ct = raw[8];
  ASSERT_EQ(ct.rfind("Content-Type: multipart/mixed; boundary=\"--_ZIM_bound_", 0), 0u) << ct;
  const std::string d = "--" + ct.substr(ct.find('"') + 1, 25);
  EXPECT_EQ(raw[9], "");  // no transfer encoding header of its own
  const TStringList body(raw.begin() + 10, raw.end());
  ASSERT_GE(body.size(), 12u);
  EXPECT_EQ(body[0], d);
  EXPECT_EQ(d.rfind("----_ZIM_bound_", 0), 0u);
  EXPECT_EQ(body[1], "Content-Type: text/plain; charset=ISO-8859-1");
  EXPECT_EQ(body[2], "Content-Transfer-Encoding: 8Bit");
  EXPECT_EQ(body[3], "");
  EXPECT_EQ(body[4], "Zeile eins");
  EXPECT_EQ(body[6], d);
  EXPECT_EQ(body[7], "Content-Type: application/octet-stream; name=\"log.bin\"");
  EXPECT_EQ(body[8], "Content-Transfer-Encoding: base64");
  EXPECT_EQ(body[9], "Content-Disposition: attachment; filename=\"log.bin\"");
  EXPECT_EQ(body[10], "");
  const TStringList encoded(body.begin() + 11, body.end() - 3);
  EXPECT_EQ(encoded, SplitLines(EncodeBase64(data)));
  EXPECT_EQ(*(body.end() - 3), "");
  EXPECT_EQ(*(body.end() - 2), d + "--");
  EXPECT_EQ(body.back(), "");
  EXPECT_EQ(file.Content.Bytes(), data);
  EXPECT_GE(pumped, 3);  // between 1024-byte blocks and after the attachment
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(TempFiles, CancelledAttachmentStopsCompositionAndKeepsItsLines) {
  TZimMsg msg = Report();
  TAttachedFile& file = msg.AttachedFiles.Add();
  file.FileName = "big";
  file.FilePath = Write("big", std::string(5000, 'x'));
  file.EncodedLines = {"old"};
  SetMessagePump([&] { file.Cancelled = true; });
  EXPECT_THROW(msg.FillRawMail(), EMailError);
  EXPECT_TRUE(msg.RawMail.empty());
  EXPECT_EQ(file.EncodedLines, TStringList{"old"});
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(TempFiles, MissingAttachmentGivesTheFileError) {
  TZimMsg msg = Report();
  TAttachedFile& file = msg.AttachedFiles.Add();
  file.FilePath = dir_ + "/missing";
  EXPECT_THROW(msg.FillRawMail(), FileError);
  EXPECT_TRUE(msg.RawMail.empty());
}

TEST_F(TempFiles, TemporaryFileIsNewEvenWhenTheOldNameIsTaken) {
  // A link planted under the old fixed name must not be followed.
  const std::string victim = Write("victim", "keep me");
  ASSERT_EQ(symlink(victim.c_str(), (dir_ + "/zim_b64e.$$$").c_str()), 0);
  TAttachedFile file;
  file.FilePath = Write("data", "hello");
  ASSERT_TRUE(file.EncodeFile());
  EXPECT_EQ(file.EncodedLines, TStringList{"aGVsbG8="});
  EXPECT_EQ(ReadWholeFile(victim), "keep me");
}

}  // namespace
}  // namespace tarifuhr
