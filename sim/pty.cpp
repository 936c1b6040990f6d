#include "sim/pty.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace sim {
namespace {

std::string Reason(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

bool OpenPty(PtyEnds* pty, std::string* error) {
  *pty = PtyEnds{};
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0) {
    *error = Reason("posix_openpt");
    return false;
  }
  char name[128] = {};
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    *error = Reason("preparing the pty");
    close(master);
    return false;
  }
  const int keeper = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (keeper < 0) {
    *error = Reason(std::string("opening ") + name);
    close(master);
    return false;
  }
  termios tio{};
  if (tcgetattr(keeper, &tio) != 0) {
    *error = Reason("tcgetattr");
    close(keeper);
    close(master);
    return false;
  }
  cfmakeraw(&tio);
  cfsetispeed(&tio, B19200);
  cfsetospeed(&tio, B19200);
  if (tcsetattr(keeper, TCSANOW, &tio) != 0) {
    *error = Reason("tcsetattr");
    close(keeper);
    close(master);
    return false;
  }
  pty->master = master;
  pty->keeper = keeper;
  pty->slave_path = name;
  return true;
}

void ClosePty(PtyEnds* pty) {
  if (pty->keeper >= 0) close(pty->keeper);
  if (pty->master >= 0) close(pty->master);
  pty->keeper = -1;
  pty->master = -1;
}

bool MakeLink(const std::string& link, const std::string& target, std::string* error) {
  struct stat st {};
  if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    *error = link + " exists and is not a symlink; not replacing it";
    return false;
  }
  // A fresh symlink under a temporary name, renamed over the old one: the
  // path never points nowhere while it is replaced.
  const std::string temp = link + ".new-" + std::to_string(getpid());
  unlink(temp.c_str());
  if (symlink(target.c_str(), temp.c_str()) != 0) {
    *error = Reason("symlink " + temp);
    return false;
  }
  if (rename(temp.c_str(), link.c_str()) != 0) {
    *error = Reason("rename " + temp + " to " + link);
    unlink(temp.c_str());
    return false;
  }
  return true;
}

void RemoveLink(const std::string& link, const std::string& target) {
  std::vector<char> buffer(4096);
  const ssize_t n = readlink(link.c_str(), buffer.data(), buffer.size() - 1);
  if (n < 0) return;
  if (std::string(buffer.data(), static_cast<size_t>(n)) == target) unlink(link.c_str());
}

}  // namespace sim
