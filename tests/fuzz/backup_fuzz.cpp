// Fuzz target: sensor backup files, as a restore reads them. Any text is either
// refused with a line at fault or read into a backup whose written form reads
// back to the same backup and is written again unchanged.
#include <cstdlib>
#include <string>
#include <string_view>

#include "sets/backup_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  sets::Backup read;
  std::string error;
  if (!sets::ParseBackup(text, &read, &error)) {
    if (error.rfind("line ", 0) != 0 || error.find(": ") == std::string::npos)
      std::abort();                            // refused without saying where
    if (read != sets::Backup{}) std::abort();  // touched on failure
    return 0;
  }
  const std::string written = sets::BackupText(read);
  sets::Backup again;
  if (!sets::ParseBackup(written, &again, &error)) std::abort();  // own text refused
  if (again != read) std::abort();                                // lost on the way
  if (sets::BackupText(again) != written) std::abort();           // not written back unchanged
  return 0;
}
