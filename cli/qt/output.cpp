#include "cli/qt/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/command_table.h"
#include "cli/exit_codes.h"

namespace cli {
namespace {

bool g_closed = false;
std::string g_failure;

}  // namespace

bool Print(std::string_view text) {
  if (g_closed || !g_failure.empty()) return false;
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  if (written && std::fflush(stdout) == 0) return true;
  // SIGPIPE is ignored: a reader gone shows as EPIPE here.
  if (errno == EPIPE) {
    g_closed = true;
  } else {
    g_failure = errno != 0 ? std::strerror(errno) : "write failed";
  }
  return false;
}

bool OutputClosed() {
  return g_closed;
}

const std::string& OutputFailure() {
  return g_failure;
}

void Complain(const std::string& line) {
  std::fprintf(stderr, "%s: %s\n", kProgram, line.c_str());
  std::fflush(stderr);
}

int FinalStatus(int status) {
  if (g_closed) return kExitDone;
  if (!g_failure.empty()) {
    Complain("standard output: " + g_failure);
    return kExitFile;
  }
  return status;
}

}  // namespace cli
