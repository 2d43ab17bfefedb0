// SPDX-License-Identifier: MIT
#pragma once
// Plain file access for the program's data files: whole reads, atomic
// replacement, and a small positioned-I/O handle for the log.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace tarifuhr {

// A failed write or create; the message is German and names the file.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& action, const std::string& path, int err);
  int Errno() const { return errno_; }

 private:
  int errno_;
};

// German text for an errno value.
std::string ErrnoText(int err);

// What the file readers set errno to for a path that is there but is no
// regular file (a FIFO, a device, a socket): such a file is opened without
// blocking and left alone. A directory is EISDIR, a symbolic link ELOOP
// (never followed), a file over the reader's limit EFBIG.
inline constexpr int kNotARegularFile = ENODEV;

bool FileExists(const std::string& path);
// False when there was nothing to remove or it could not be removed.
bool RemoveFile(const std::string& path);
bool DirectoryExists(const std::string& path);
// A whole regular file of at most `limit` bytes, read without following
// a link and without blocking on a special file. Nothing when it can't be
// read; errno then says why (see kNotARegularFile).
std::optional<std::string> ReadWholeFile(const std::string& path, size_t limit);

// Writes to a temporary file beside `path`, flushes and syncs it, then
// renames it over `path`: readers see the old file or the new one, never a
// short one. Throws FileError and leaves the old file as it was; a link, a
// directory or a special file in the way is never replaced.
void WriteFileAtomically(const std::string& path, const std::string& bytes, unsigned mode = 0644);

bool IsSymbolicLink(const std::string& path);

// Keeps a copy of a file that could not be read completely beside it
// ("name.defekt", then "name.defekt2", ...), before the program writes over
// it. A copy is never overwritten; when one with the same bytes is there,
// that one is the copy. The copy's path; nothing when the file can't be
// read (at most `limit` bytes) or no name is free. Throws FileError when
// the copy can't be written.
std::optional<std::string> KeepDamagedCopy(const std::string& path, size_t limit);

// Last component of a path written with '/' or '\' separators.
std::string BaseName(const std::string& path);
std::string DirName(const std::string& path);
std::string JoinPath(const std::string& dir, const std::string& name);

// Positioned reads and writes on one open file.
class BinaryFile {
 public:
  enum class Mode { Read, ReadWriteCreate };
  BinaryFile() = default;
  ~BinaryFile();
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  // False when the file cannot be opened or is no regular file; Errno()
  // tells why. Links are not followed, special files not waited for.
  bool Open(const std::string& path, Mode mode, unsigned createMode = 0644);
  bool IsOpen() const { return fd_ >= 0; }
  int Errno() const { return errno_; }
  int64_t Size() const;
  // Reads up to `len` bytes at `offset`; returns the count read.
  size_t ReadAt(int64_t offset, void* buf, size_t len) const;
  // These throw FileError on failure.
  void WriteAt(int64_t offset, const void* buf, size_t len);
  void Truncate(int64_t size);
  void Sync();
  void Close();

 private:
  int fd_ = -1;
  int errno_ = 0;
  std::string path_;
};

}  // namespace tarifuhr
