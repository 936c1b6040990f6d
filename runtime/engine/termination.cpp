// SIGTERM and SIGINT end the process the way the program chooses: the handler
// only writes a byte into a pipe (about the only thing a signal handler may
// safely do); the pipe's notifier, in the event loop, notes the request and
// calls the program's reaction (a program with panels asks its outer loop to
// quit, then closes its port and exits with 0, as when the desktop session
// ends or the operator presses Ctrl+C). The byte also wakes a wait asleep in
// ProcessSystemEvents at once.
//
// The handler serves once (SA_RESETHAND): a second SIGTERM or SIGINT ends a
// process that cannot get back to its loop.
#include "runtime/event_wait.h"

#if defined(__unix__)

#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace {

int g_pipe[2] = {-1, -1};
bool g_requested = false;
void (*g_then)() = nullptr;

void OnTerminate(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void WatchTerminationSignals(void (*then)()) {
  g_then = then;
  if (g_pipe[0] >= 0 || QCoreApplication::instance() == nullptr) return;
  if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier =
      new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
    char bytes[16];
    while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    g_requested = true;
    if (g_then != nullptr) g_then();
  });
  struct sigaction action = {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

bool TerminationRequested() {
  return g_requested;
}

#else

// Elsewhere the platform's own session end reaches the program.
void WatchTerminationSignals(void (*)()) {}
bool TerminationRequested() {
  return false;
}

#endif
