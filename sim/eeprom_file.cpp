#include "sim/eeprom_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace sim {
namespace {

bool ParseValue(std::string text, uint16_t* value) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return false;
  const auto last = text.find_last_not_of(" \t\r");
  text = text.substr(first, last - first + 1);
  if (text.size() > 5) return false;
  unsigned long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<unsigned long>(c - '0');
  }
  if (v > 65535) return false;
  *value = static_cast<uint16_t>(v);
  return true;
}

std::string Errno(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

EepromLoad LoadEepromFile(const std::string& path, Words* words, std::string* message) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *message = "EEPROM file " + path + " not found; using the default parameter set";
    return EepromLoad::kMissing;
  }
  std::stringstream all;
  all << in.rdbuf();
  std::string text = all.str();
  if (!text.empty() && text.back() == '\n') text.pop_back();
  std::vector<std::string> lines;
  std::stringstream split(text);
  for (std::string line; std::getline(split, line, '\n');) lines.push_back(line);
  Words parsed{};
  bool ok = lines.size() == parsed.size();
  for (size_t i = 0; ok && i < parsed.size(); ++i) ok = ParseValue(lines[i], &parsed[i]);
  if (!ok) {
    *message = "EEPROM file " + path +
               " is not 16 lines of values 0..65535; using the default parameter set";
    return EepromLoad::kCorrupt;
  }
  *words = parsed;
  message->clear();
  return EepromLoad::kLoaded;
}

bool SaveEepromFile(const std::string& path, const Words& words, std::string* error) {
  std::string text;
  for (uint16_t w : words) text += std::to_string(w) + "\n";

  std::string temp = path + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    *error = Errno("cannot create a temporary file beside " + path);
    return false;
  }
  temp = name.data();
  size_t done = 0;
  bool ok = true;
  while (ok && done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      *error = Errno("cannot write " + temp);
      ok = false;
    }
  }
  // mkstemp creates the file 0600; the EEPROM file is ordinary data.
  if (ok && fchmod(fd, 0644) != 0) {
    *error = Errno("cannot set the mode of " + temp);
    ok = false;
  }
  if (ok && fsync(fd) != 0) {
    *error = Errno("cannot flush " + temp);
    ok = false;
  }
  if (close(fd) != 0 && ok) {
    *error = Errno("cannot close " + temp);
    ok = false;
  }
  if (ok && rename(temp.c_str(), path.c_str()) != 0) {
    *error = Errno("cannot rename " + temp + " to " + path);
    ok = false;
  }
  if (!ok) unlink(temp.c_str());
  return ok;
}

}  // namespace sim
