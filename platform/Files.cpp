// SPDX-License-Identifier: MIT
#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarifuhr {

std::string ErrnoText(int err) {
  switch (err) {
    case ENOSPC: return "Kein Speicherplatz mehr auf dem Datenträger";
    case EDQUOT: return "Der Speicherplatz des Benutzers ist erschöpft";
    case EACCES:
    case EPERM: return "Zugriff verweigert";
    case EROFS: return "Das Dateisystem ist schreibgeschützt";
    case ENOENT: return "Datei oder Verzeichnis nicht gefunden";
    case EISDIR: return "Ist ein Verzeichnis";
    case ENOTDIR: return "Ein Teil des Pfades ist kein Verzeichnis";
    case EIO: return "Ein-/Ausgabefehler";
    case ELOOP: return "Die Datei ist eine symbolische Verknüpfung, der Tarifuhr nicht folgt";
    case kNotARegularFile: return "Keine gewöhnliche Datei (ein Gerät, eine Pipe oder ein Socket)";
    case EFBIG: return "Die Datei ist größer, als eine solche Datei sein kann";
    default: return std::strerror(err);
  }
}

FileError::FileError(const std::string& action, const std::string& path, int err)
    : std::runtime_error("Die Datei „" + path + "“ konnte nicht " + action + " werden: " + ErrnoText(err) +
                         "."),
      errno_(err) {}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::string> ReadWholeFile(const std::string& path, size_t limit) {
  BinaryFile f;
  if (!f.Open(path, BinaryFile::Mode::Read)) {
    errno = f.Errno();
    return std::nullopt;
  }
  // By what is read, not by the size the file claims: /proc and /sys
  // files claim 0 or 4096.
  std::string out;
  char buf[65536];
  for (int64_t off = 0;;) {
    const size_t n = f.ReadAt(off, buf, sizeof buf);
    if (n == 0) break;
    out.append(buf, n);
    off += static_cast<int64_t>(n);
    if (out.size() > limit) {
      errno = EFBIG;
      return std::nullopt;
    }
  }
  return out;
}

std::string BaseName(const std::string& path) {
  const auto pos = path.find_last_of("/\\");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string DirName(const std::string& path) {
  const auto pos = path.find_last_of('/');
  if (pos == std::string::npos) return ".";
  return pos == 0 ? "/" : path.substr(0, pos);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool IsSymbolicLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

void WriteFileAtomically(const std::string& path, const std::string& bytes, unsigned mode) {
  // A link would be replaced by a file of ours, and what it points to would
  // silently stop being the file.
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    throw FileError("gespeichert", path,
                    S_ISLNK(st.st_mode)   ? ELOOP
                    : S_ISDIR(st.st_mode) ? EISDIR
                                          : kNotARegularFile);
  std::string tmp = path + ".tmpXXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) throw FileError("gespeichert", path, errno);
  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(tmp.c_str());
    throw FileError("gespeichert", path, err);
  };
  if (::fchmod(fd, mode) != 0) fail(errno);
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) fail(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    throw FileError("gespeichert", path, err);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    throw FileError("gespeichert", path, err);
  }
  // Make the rename itself durable.
  const int dirfd = ::open(DirName(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirfd >= 0) {
    ::fsync(dirfd);
    ::close(dirfd);
  }
}

std::optional<std::string> KeepDamagedCopy(const std::string& path, size_t limit) {
  const auto bytes = ReadWholeFile(path, limit);
  if (!bytes) return std::nullopt;
  for (int n = 1; n < 1000; ++n) {
    const std::string copy = path + ".defekt" + (n == 1 ? "" : std::to_string(n));
    if (IsSymbolicLink(copy)) continue;
    if (const auto kept = ReadWholeFile(copy, limit)) {
      if (*kept == *bytes) return copy;  // kept already
      continue;
    }
    WriteFileAtomically(copy, *bytes, 0600);
    return copy;
  }
  return std::nullopt;
}

BinaryFile::~BinaryFile() { Close(); }

bool BinaryFile::Open(const std::string& path, Mode mode, unsigned createMode) {
  Close();
  path_ = path;
  // Never through a link: it may point anywhere. A FIFO would block the
  // open until someone writes to it.
  const int flags = mode == Mode::Read ? O_RDONLY : (O_RDWR | O_CREAT);
  fd_ = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, createMode);
  errno_ = fd_ < 0 ? errno : 0;
  struct stat st {};
  if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
    errno_ = S_ISDIR(st.st_mode) ? EISDIR : kNotARegularFile;
    Close();
  }
  return fd_ >= 0;
}

int64_t BinaryFile::Size() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
  return st.st_size;
}

size_t BinaryFile::ReadAt(int64_t offset, void* buf, size_t len) const {
  size_t done = 0;
  while (done < len) {
    const ssize_t n = ::pread(fd_, static_cast<char*>(buf) + done, len - done, offset + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void BinaryFile::WriteAt(int64_t offset, const void* buf, size_t len) {
  size_t done = 0;
  while (done < len) {
    const ssize_t n = ::pwrite(fd_, static_cast<const char*>(buf) + done, len - done, offset + done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileError("geschrieben", path_, errno);
    done += static_cast<size_t>(n);
  }
}

void BinaryFile::Truncate(int64_t size) {
  if (::ftruncate(fd_, size) != 0) throw FileError("geschrieben", path_, errno);
}

void BinaryFile::Sync() {
  if (::fsync(fd_) != 0) throw FileError("geschrieben", path_, errno);
}

void BinaryFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace tarifuhr
