// SPDX-License-Identifier: MIT
#include "mail/AttachedFile.h"

#include <cerrno>

#include "mail/Base64EncodingStream.h"
#include "mail/TempDir.h"
#include "platform/Files.h"
#include "platform/MessagePump.h"

namespace tarifuhr {
namespace {

// Removes the temporary file however EncodeFile ends.
struct RemoveOnExit {
  std::string path;
  ~RemoveOnExit() { RemoveFile(path); }
};

}  // namespace

bool AttachedFile::EncodeFile() {
  Cancelled = false;
  FileStream source(FilePath, FileStream::Mode::OpenRead);
  // A unique name: a fixed one in the shared temporary directory would let
  // two senders overwrite each other's file, or follow a planted link.
  FileStream temp = FileStream::CreateTemporary(TempDir(), "zim_b64e.");
  RemoveOnExit cleanup{temp.Path()};
  {
    Base64EncodingStream encoder(temp);
    char block[1024];
    for (;;) {
      ProcessMessages();
      if (Cancelled) return false;
      const int64_t n = source.Read(block, sizeof block);
      encoder.Write(block, n);
      if (n < static_cast<int64_t>(sizeof block)) break;
    }
    encoder.Finish();
  }
  temp.Close();
  source.Close();
  constexpr size_t kMaxEncodedBytes = size_t{64} << 20;  // the report's attachment, encoded
  const auto text = ReadWholeFile(cleanup.path, kMaxEncodedBytes);
  if (!text) throw FileError("gelesen", cleanup.path, errno);
  EncodedLines = SplitLines(*text);
  Content.LoadFromFile(FilePath);
  return true;
}

AttachedFile& AttachmentList::Add() {
  items_.push_back(std::make_unique<AttachedFile>());
  return *items_.back();
}

}  // namespace tarifuhr
