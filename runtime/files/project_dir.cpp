// The program's directory.
#include <QCoreApplication>
#include <cstring>
#include <filesystem>
#include <string>

#include "runtime/utility.h"

int GetProjectDir(char* dir, size_t dirSize) {
  if (dir == nullptr || dirSize == 0) return -1;
  std::string path;
  if (QCoreApplication::instance() != nullptr) {
    path = QCoreApplication::applicationDirPath().toLocal8Bit().toStdString();
  } else {
    // Before the engine starts Qt cannot say; the kernel can.
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return -1;
    path = exe.parent_path().string();
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.size() + 1 > dirSize) return -1;
  std::memcpy(dir, path.c_str(), path.size() + 1);
  return 0;
}
