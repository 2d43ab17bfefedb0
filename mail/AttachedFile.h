// SPDX-License-Identifier: MIT
#pragma once
// Files attached to a message, Base64-encoded on demand.

#include <memory>
#include <string>
#include <vector>

#include "mail/StringLists.h"
#include "platform/Stream.h"

namespace tarifuhr {

class AttachedFile {
 public:
  std::string FileName;     // name written into the part headers
  std::string FilePath;     // file that is read
  StringList EncodedLines;  // Base64 lines, filled by EncodeFile
  MemoryStream Content;     // the file's bytes, filled by EncodeFile
  std::string ContentType;
  bool Cancelled = false;  // set by a handler to stop EncodeFile

  // Encodes FilePath through a temporary file, processing window messages
  // between blocks of 1024 bytes. Returns false, leaving EncodedLines and
  // Content as they were, when Cancelled was set meanwhile. File errors
  // (unreadable source, full temporary directory) are thrown as FileError.
  bool EncodeFile();
};

class AttachmentList {
 public:
  AttachedFile& Add();
  int Count() const { return static_cast<int>(items_.size()); }
  AttachedFile& operator[](int index) { return *items_.at(static_cast<size_t>(index)); }
  const AttachedFile& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<AttachedFile>> items_;
};

}  // namespace tarifuhr
