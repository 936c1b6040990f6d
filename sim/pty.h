// The pseudo-terminal that stands in for the sensor's serial line, and the
// symlink that gives it a stable name.
#pragma once

#include <string>

namespace sim {

struct PtyEnds {
  int master = -1;         // the sensor's end, non-blocking
  int keeper = -1;         // the slave, kept open by the sensor (see OpenPty)
  std::string slave_path;  // /dev/pts/N: the PC's serial device
};

// Opens a pty, puts its line in raw mode (no echo, no line editing, no
// character translation: frames are binary) and keeps a descriptor of the
// slave open, so the PC closing and reopening its port never hangs up the
// master. On failure *error says why and nothing stays open.
bool OpenPty(PtyEnds* pty, std::string* error);
void ClosePty(PtyEnds* pty);

// Makes `link` a symlink to `target`. An existing symlink at `link` (a stale
// one from an earlier run) is replaced atomically; any other file there is
// refused and left alone.
bool MakeLink(const std::string& link, const std::string& target, std::string* error);
// Removes `link` if it is still a symlink to `target`.
void RemoveLink(const std::string& link, const std::string& target);

}  // namespace sim
