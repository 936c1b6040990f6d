#include "runtime/serial/net_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace {

QString LockFolder() {
  const QFileInfo runLock("/run/lock");
  if (runLock.isDir() && runLock.isWritable()) return runLock.absoluteFilePath();
  return QDir::tempPath();
}

}  // namespace

NetPortLock::NetPortLock() = default;

NetPortLock::~NetPortLock() {
  Release();
}

bool NetPortLock::Take(const netport::PortUrl& url, std::string* reason) {
  Release();
  const QString path = LockFolder() + "/vantrel-net-" +
                       QString::fromStdString(netport::PortUrlLockName(url)) + ".lock";
  auto file = std::make_unique<QLockFile>(path);
  // A lock is stale only when its owner no longer runs, never by its age: a
  // program may hold its port for days.
  file->setStaleLockTime(0);
  if (file->tryLock(0)) {
    file_ = std::move(file);
    return true;
  }
  if (file->error() == QLockFile::LockFailedError) {
    qint64 pid = 0;
    QString host, application;
    file->getLockInfo(&pid, &host, &application);
    *reason = "busy: " + netport::HostAndPort(url) + " is held by another port or program (" +
              (pid > 0 ? "process " + std::to_string(pid) + ", " : std::string()) + "lock file " +
              path.toStdString() + ")";
  } else {
    *reason = "cannot make the lock file " + path.toStdString();
  }
  return false;
}

void NetPortLock::Release() {
  if (file_) file_->unlock();
  file_.reset();
}

bool NetPortLock::Held() const {
  return file_ != nullptr;
}
