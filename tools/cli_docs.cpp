// Writes vantrel-cli's man page and bash completion, made from its one table
// of commands and options, at build time:
//   vantrel-cli-docs VERSION MAN_PAGE COMPLETION
#include <cstdio>
#include <fstream>
#include <string>

#include "cli/help_text.h"

namespace {

bool Write(const char* path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (out) return true;
  std::fprintf(stderr, "vantrel-cli-docs: cannot write %s\n", path);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: vantrel-cli-docs VERSION MAN_PAGE COMPLETION\n");
    return 2;
  }
  return Write(argv[2], cli::ManPage(argv[1])) && Write(argv[3], cli::BashCompletion()) ? 0 : 1;
}
