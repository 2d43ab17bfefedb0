// SPDX-License-Identifier: MIT
#pragma once
// One outgoing e-mail and its composition into the lines sent after DATA.
// Strings are UTF-8; the clients put them on the wire as ISO-8859-1.

#include <string>

#include "mail/AttachedFile.h"
#include "mail/MailError.h"
#include "mail/StringLists.h"

namespace tarifuhr {

enum class MailPriority { Highest, High, Normal, Low, Lowest };
enum class BodyEncoding { EightBit, Base64 };

class MailMessage {
 public:
  std::string UserName;  // display name in the From header
  std::string From;      // sender address, must contain '@'
  std::string ReplyTo;
  std::string SendTo;  // comma-separated
  std::string CC;      // comma-separated
  std::string BCC;     // never written into the message
  std::string Subject;
  StringList Text;
  StringList ExtraHeaders;
  MailPriority Priority = MailPriority::Normal;
  std::string CharSet = "ISO-8859-1";
  bool ClearRawMailAfterParse = true;
  BodyEncoding TextEncoding = BodyEncoding::EightBit;
  std::string XMailer;

  std::string Date;  // set by the SMTP client just before composing
  std::string InReplyTo;
  AttachmentList AttachedFiles;
  StringList RawMail;  // the composed lines; empty until FillRawMail

  // Composes RawMail. Throws EMailError("\"From\" address not complete.")
  // when From lacks '@', EMailError("Attachment encoding cancelled.") when
  // a handler cancelled an attachment, and FileError for unreadable
  // attachments; RawMail and Subject stay as they were in those cases.
  void FillRawMail();
};

}  // namespace tarifuhr
