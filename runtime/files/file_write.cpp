// Whole files and record files on the system's own calls, so that every step
// is checked and its reason known: a buffered write that the disk refused only
// in part (a full disk, a size limit) must never reach the rename, and the
// data must be on the disk before the old file is replaced. On Windows, where
// none of that is at hand, QSaveFile and QFile stand in.
#include "runtime/file_write.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#else
#include <io.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#endif

namespace {

std::string Reason(int error) {
  return std::strerror(error != 0 ? error : EIO);
}

#ifndef _WIN32

// Why a path that exists is no file to replace; "" for a regular file.
std::string NotARegularFile(mode_t mode) {
  if (S_ISREG(mode)) return "";
  if (S_ISFIFO(mode)) return "a named pipe, not a file";
  if (S_ISDIR(mode)) return "a directory, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a file";
  if (S_ISSOCK(mode)) return "a socket, not a file";
  return "not a regular file";
}

// Writes every byte; 0, or the error of the write that failed.
int WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The rename itself is kept by the disk only once its directory is synced;
// a file system that cannot sync a directory has nothing more to lose.
void SyncDirectory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

#endif

}  // namespace

#ifndef _WIN32

std::string WriteFileWhole(const std::string& path, std::string_view bytes) {
  if (path.empty()) return "no file name";
  std::string target = path;
  mode_t mode = NewFileMode();
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (const std::string refused = NotARegularFile(info.st_mode); !refused.empty()) return refused;
    mode = info.st_mode & 07777;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) target = resolved;
  }
  // Beside the target, so that the rename stays on one file system; hidden,
  // so that nobody takes it for the file while it is being written.
  std::string temporary = DirectoryOf(target) + "/." + NameOf(target) + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return Reason(errno);
  int error = WriteAll(fd, bytes.data(), bytes.size());
  if (error == 0 && ::fchmod(fd, mode) != 0) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return Reason(error);
  }
  SyncDirectory(DirectoryOf(target));
  return "";
}

RecordFile::~RecordFile() {
  Close();
}

std::string RecordFile::Create(const std::string& path) {
  Close();
  if (path.empty()) return "no file name";
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
  whole_ = 0;
  return fd_ < 0 ? Reason(errno) : "";
}

std::string RecordFile::Append(std::string_view record) {
  if (fd_ < 0) return "not open";
  const int error = WriteAll(fd_, record.data(), record.size());
  if (error == 0) {
    whole_ += static_cast<long long>(record.size());
    return "";
  }
  // Part of the record may be on the disk: cut it off (a pipe or a device
  // cannot be cut, and keeps what went out).
  [[maybe_unused]] const int cut = ::ftruncate(fd_, static_cast<off_t>(whole_));
  ::close(fd_);
  fd_ = -1;
  return Reason(error);
}

std::string RecordFile::Close() {
  if (fd_ < 0) return "";
  int error = 0;
  // A pipe or a terminal has nothing to sync (EINVAL): only a disk's refusal counts.
  if (::fsync(fd_) != 0 && errno != EINVAL && errno != ENOTSUP) error = errno;
  if (::close(fd_) != 0 && error == 0) error = errno;
  fd_ = -1;
  return error == 0 ? "" : Reason(error);
}

#else

std::string WriteFileWhole(const std::string& path, std::string_view bytes) {
  if (path.empty()) return "no file name";
  const QFileInfo info(QString::fromLocal8Bit(path.c_str()));
  if (info.exists() && !info.isFile())
    return info.isDir() ? "a directory, not a file" : "not a regular file";
  QSaveFile file(info.filePath());
  // Unbuffered: a refused write shows at the write, not lost in a flush.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return file.errorString().toStdString();
  const qint64 size = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), size) != size) {
    const std::string reason = file.errorString().toStdString();
    file.cancelWriting();
    return reason;
  }
  if (!file.commit()) return file.errorString().toStdString();
  return "";
}

RecordFile::~RecordFile() {
  Close();
}

std::string RecordFile::Create(const std::string& path) {
  Close();
  if (path.empty()) return "no file name";
  fd_ = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  whole_ = 0;
  return fd_ < 0 ? Reason(errno) : "";
}

std::string RecordFile::Append(std::string_view record) {
  if (fd_ < 0) return "not open";
  const char* data = record.data();
  size_t left = record.size();
  while (left > 0) {
    const int n = ::_write(fd_, data, static_cast<unsigned>(left));
    if (n <= 0) {
      const int error = n < 0 ? errno : EIO;
      ::_chsize_s(fd_, whole_);
      ::_close(fd_);
      fd_ = -1;
      return Reason(error);
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  whole_ += static_cast<long long>(record.size());
  return "";
}

std::string RecordFile::Close() {
  if (fd_ < 0) return "";
  int error = ::_commit(fd_) != 0 ? errno : 0;
  if (::_close(fd_) != 0 && error == 0) error = errno;
  fd_ = -1;
  return error == 0 ? "" : Reason(error);
}

#endif
