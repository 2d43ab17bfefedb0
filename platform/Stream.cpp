// SPDX-License-Identifier: MIT
#include "platform/Stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/Files.h"

namespace tarifuhr {

int64_t Stream::Size() {
  const int64_t pos = Seek(0, SeekOrigin::Current);
  const int64_t size = Seek(0, SeekOrigin::End);
  Seek(pos, SeekOrigin::Beginning);
  return size;
}

void Stream::ReadBuffer(void* buffer, int64_t count) {
  if (count > 0 && Read(buffer, count) != count) throw EStreamError("Stream read error");
}

void Stream::WriteBuffer(const void* buffer, int64_t count) {
  if (count > 0 && Write(buffer, count) != count) throw EStreamError("Stream write error");
}

// ---------------------------------------------------------------- memory

int64_t MemoryStream::Read(void* buffer, int64_t count) {
  const int64_t size = static_cast<int64_t>(data_.size());
  if (count <= 0 || pos_ >= size) return 0;
  const int64_t n = std::min(count, size - pos_);
  std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
  pos_ += n;
  return n;
}

int64_t MemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  const auto end = static_cast<size_t>(pos_ + count);
  if (end > data_.size()) data_.resize(end);
  std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
  pos_ += count;
  return count;
}

int64_t MemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  int64_t base = 0;
  if (origin == SeekOrigin::Current) base = pos_;
  if (origin == SeekOrigin::End) base = static_cast<int64_t>(data_.size());
  if (base + offset < 0) throw EStreamError("Invalid stream operation");
  pos_ = base + offset;
  return pos_;
}

void MemoryStream::Clear() {
  data_.clear();
  pos_ = 0;
}

void MemoryStream::SetSize(int64_t size) {
  data_.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
  pos_ = std::min(pos_, static_cast<int64_t>(data_.size()));
}

void MemoryStream::LoadFromFile(const std::string& path) {
  FileStream file(path, FileStream::Mode::OpenRead);
  std::string bytes;
  char buf[65536];
  for (int64_t n; (n = file.Read(buf, sizeof buf)) > 0;) bytes.append(buf, static_cast<size_t>(n));
  data_ = std::move(bytes);
  pos_ = 0;
}

// ------------------------------------------------------------------ file

FileStream::FileStream(const std::string& path, Mode mode) : path_(path) {
  const int flags = mode == Mode::OpenRead ? O_RDONLY : (O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW);
  fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    throw FileError(mode == Mode::OpenRead ? "geöffnet" : "angelegt", path, errno);
  }
}

FileStream FileStream::CreateTemporary(const std::string& dir, const std::string& prefix) {
  std::string path = JoinPath(dir, prefix + "XXXXXX");
  const int fd = ::mkostemp(path.data(), O_CLOEXEC);
  if (fd < 0) throw FileError("angelegt", path, errno);
  return FileStream(fd, path);
}

FileStream::FileStream(FileStream&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

FileStream::~FileStream() { Close(); }

void FileStream::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int64_t FileStream::Read(void* buffer, int64_t count) {
  if (fd_ < 0) throw EStreamError("Invalid stream operation");
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(std::max<int64_t>(count, 0)));
    if (n >= 0) return n;
    if (errno != EINTR) throw FileError("gelesen", path_, errno);
  }
}

int64_t FileStream::Write(const void* buffer, int64_t count) {
  if (fd_ < 0) throw EStreamError("Invalid stream operation");
  const char* p = static_cast<const char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd_, p + done, static_cast<size_t>(count - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError("geschrieben", path_, errno);
    }
    done += n;
  }
  return done;
}

int64_t FileStream::Seek(int64_t offset, SeekOrigin origin) {
  if (fd_ < 0) throw EStreamError("Invalid stream operation");
  const int whence = origin == SeekOrigin::Beginning ? SEEK_SET
                     : origin == SeekOrigin::Current ? SEEK_CUR
                                                     : SEEK_END;
  const off_t pos = ::lseek(fd_, offset, whence);
  if (pos < 0) throw EStreamError("Invalid stream operation");
  return pos;
}

}  // namespace tarifuhr
