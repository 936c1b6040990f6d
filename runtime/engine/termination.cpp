// SIGTERM and SIGINT end the program the way its own quit does: the handler
// only writes a byte into a pipe (about the only thing a signal handler may
// safely do), and the pipe's notifier, in the event loop, asks the outer loop
// to quit. The program then closes its port, discards its panels and exits
// with 0, as when the desktop session ends or the operator presses Ctrl+C.
//
// The handler serves once (SA_RESETHAND): a second SIGTERM or SIGINT ends a
// process that cannot get back to its outer loop.
#if defined(__unix__)

#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

#include "runtime/userint.h"

namespace {

int g_pipe[2] = {-1, -1};

void OnTerminate(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void InstallTerminationHandler() {
  if (g_pipe[0] >= 0) return;
  if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier =
      new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
    char bytes[16];
    while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    QuitUserInterface(0);
  });
  struct sigaction action = {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

#else

// Elsewhere the platform's own session end reaches the program.
void InstallTerminationHandler() {}

#endif
