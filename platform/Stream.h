// SPDX-License-Identifier: MIT
#pragma once
// Byte streams: an abstract stream with Read, Write and Seek, a memory
// stream and a file stream. The mail library encodes through them.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tarifuhr {

// A stream used the wrong way round ("Invalid stream operation") or a short
// read or write where the caller needed the whole buffer.
class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class SeekOrigin { Beginning, Current, End };

class Stream {
 public:
  virtual ~Stream() = default;
  // Returns the number of bytes read (0 at the end).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Returns the number of bytes written; a failing device throws.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(int64_t pos) { Seek(pos, SeekOrigin::Beginning); }
  int64_t Size();
  // Whole-buffer forms: a short read or write throws EStreamError.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  void WriteString(const std::string& bytes) {
    WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
};

class MemoryStream final : public Stream {
 public:
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;

  void Clear();
  void SetSize(int64_t size);
  const std::string& Bytes() const { return data_; }
  // Replaces the content with the file's bytes; FileError when unreadable.
  void LoadFromFile(const std::string& path);

 private:
  std::string data_;
  int64_t pos_ = 0;
};

class FileStream final : public Stream {
 public:
  enum class Mode { OpenRead, Create };
  // Throws FileError when the file can't be opened or created.
  FileStream(const std::string& path, Mode mode);
  ~FileStream() override;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // Creates a new file with a unique name `dir` + `prefix` + 6 characters,
  // readable only by its owner; never opens an existing file.
  static FileStream CreateTemporary(const std::string& dir, const std::string& prefix);
  FileStream(FileStream&& other) noexcept;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;

  const std::string& Path() const { return path_; }
  void Close();

 private:
  FileStream(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  int fd_ = -1;
  std::string path_;
};

}  // namespace tarifuhr
