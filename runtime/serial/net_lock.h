// The claim on a network port's server, so that one program talks to one
// sensor line at a time. A serial device server may accept two clients at
// once (raw TCP servers usually do) and would then mix both programs' frames,
// so the claim cannot be left to the server: it is a lock file named after the
// server's host and port (netport::PortUrlLockName), in /run/lock where this
// user may write there, else in the temporary folder. The file holds the
// owner's process id; a file left by a process that no longer runs is taken
// over. Both transports to one server share the lock, and so do every port of
// one program and the probes of Find sensor.
// Private to the engine's serial part.
#pragma once

#include <memory>
#include <string>

#include "netport/port_url.h"

class QLockFile;

class NetPortLock {
 public:
  NetPortLock();
  ~NetPortLock();  // releases
  NetPortLock(const NetPortLock&) = delete;
  NetPortLock& operator=(const NetPortLock&) = delete;

  // Takes the lock of `url`'s server at once or not at all; false when
  // another holder (in this program or another) has it, or the file cannot be
  // made, with the reason in *reason.
  bool Take(const netport::PortUrl& url, std::string* reason);
  void Release();
  bool Held() const;

 private:
  std::unique_ptr<QLockFile> file_;
};
