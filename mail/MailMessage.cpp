// SPDX-License-Identifier: MIT
#include "mail/MailMessage.h"

#include "mail/Base64EncodingStream.h"
#include "mail/HeaderValues.h"
#include "platform/Codepage.h"
#include "platform/MessagePump.h"

namespace tarifuhr {
namespace {

// A header value holds one line: a line break inside a property would
// otherwise start a header (or end the DATA block) of the caller's choosing.
std::string HeaderValue(const std::string& value) {
  std::string out = value;
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

// The subject as encoded words; 57 bytes make one 76-character word, and a
// longer subject becomes several words on the same line.
std::string EncodeSubject(const std::string& subject, const std::string& charSet) {
  const std::string bytes = Utf8ToLatin1(subject);
  std::string out;
  size_t pos = 0;
  do {
    if (!out.empty()) out += ' ';
    std::string word = EncodeBase64(bytes.substr(pos, 57));
    if (word.size() > 76) word.resize(76);  // the encoder's line break
    out += "=?" + charSet + "?B?" + word + "?=";
    pos += 57;
  } while (pos < bytes.size());
  return out;
}

}  // namespace

void MailMessage::FillRawMail() {
  RawMail.clear();
  StringList h;
  StringList b = SplitLines(JoinLines(Text));
  h.push_back("Message-Id: " + MakeMessageId("a.b.c"));
  h.push_back("Date: " + HeaderValue(Date));
  h.push_back("X-Priority: " + std::to_string(static_cast<int>(Priority) + 1));
  if (From.find('@') == std::string::npos) throw EMailError("\"From\" address not complete.");
  if (!UserName.empty())
    h.push_back("From: \"" + HeaderValue(UserName) + "\" <" + HeaderValue(From) + ">");
  else
    h.push_back("From: " + HeaderValue(From));
  if (!InReplyTo.empty()) h.push_back("In-Reply-To: " + HeaderValue(InReplyTo));
  if (!ReplyTo.empty()) h.push_back("Reply-To: " + HeaderValue(ReplyTo));
  h.push_back("X-Mailer: " + HeaderValue(XMailer));
  h.push_back("To: " + HeaderValue(SendTo));
  if (!CC.empty()) h.push_back("CC: " + HeaderValue(CC));
  h.push_back("MIME-Version: 1.0");

  std::string transfer = "8Bit";
  std::string subject = Subject;
  if (TextEncoding == BodyEncoding::EightBit) {
    for (auto& line : b)
      if (!line.empty() && line[0] == '.') line.insert(0, 1, '.');
  } else {
    subject = EncodeSubject(Subject, CharSet);
    b = SplitLines(EncodeBase64(Utf8ToLatin1(JoinLines(b))));
    transfer = "base64";
  }
  h.push_back("Subject: " + HeaderValue(subject));

  if (AttachedFiles.Count() == 0) {
    h.push_back("Content-Type: text/plain; charset=" + CharSet);
    h.push_back("Content-Transfer-Encoding: " + transfer);
  } else {
    const std::string boundary = MakeBoundary();
    h.push_back("Content-Type: multipart/mixed; boundary=\"" + boundary + "\"");
    const std::string d = "--" + boundary;
    b.insert(b.begin(), {d, "Content-Type: text/plain; charset=" + CharSet,
                         "Content-Transfer-Encoding: " + transfer, ""});
    for (int i = 0; i < AttachedFiles.Count(); ++i) {
      AttachedFile& file = AttachedFiles[i];
      if (!file.EncodeFile()) throw EMailError("Attachment encoding cancelled.");
      const std::string name = HeaderValue(file.FileName);
      b.push_back(d);
      b.push_back("Content-Type: " + HeaderValue(file.ContentType) + "; name=\"" + name + "\"");
      b.push_back("Content-Transfer-Encoding: base64");
      b.push_back("Content-Disposition: attachment; filename=\"" + name + "\"");
      b.push_back("");
      b.insert(b.end(), file.EncodedLines.begin(), file.EncodedLines.end());
      ProcessMessages();
    }
    b.push_back("");
    b.push_back(d + "--");
    b.push_back("");
  }
  for (const auto& line : SplitLines(JoinLines(ExtraHeaders))) h.push_back(line);

  Subject = subject;
  RawMail = std::move(h);
  RawMail.push_back("");
  RawMail.insert(RawMail.end(), b.begin(), b.end());
}

}  // namespace tarifuhr
