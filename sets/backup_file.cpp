#include "sets/backup_file.h"

#include <algorithm>
#include <vector>

#include "fields/words.h"

namespace sets {
namespace {

constexpr std::string_view kHeader = "vantrel-backup 1";
constexpr std::string_view kHeaderStart = "vantrel-backup ";

// Every key of a backup, in the order the writer writes them: the texts, the
// CCD information, then both parameter sets named by the word table.
enum Key { kTaken, kPort, kDevice, kFirmware, kCcdType, kCcdPixels, kCcdResolution, kRam0 };
constexpr int kEeprom0 = kRam0 + fields::kParameterWords;
constexpr int kKeys = kEeprom0 + fields::kParameterWords;
static_assert(fields::kParameterWords == std::tuple_size_v<decltype(Backup::ram)>);

const std::vector<std::string>& Keys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k = {"taken",    "port",       "device",        "firmware",
                                  "ccd.type", "ccd.pixels", "ccd.resolution"};
    for (const fields::Word& word : fields::kParameters)
      k.push_back(std::string("ram.") + word.name);
    for (const fields::Word& word : fields::kParameters)
      k.push_back(std::string("eeprom.") + word.name);
    return k;
  }();
  return keys;
}

int KeyIndex(std::string_view key) {
  const std::vector<std::string>& keys = Keys();
  const auto it = std::find(keys.begin(), keys.end(), key);
  return it == keys.end() ? -1 : static_cast<int>(it - keys.begin());
}

std::string* TextOf(Backup& b, int key) {
  switch (key) {
    case kTaken:
      return &b.taken;
    case kPort:
      return &b.port;
    case kDevice:
      return &b.device;
    case kFirmware:
      return &b.firmware;
    default:
      return nullptr;
  }
}

uint16_t* WordOf(Backup& b, int key) {
  if (key == kCcdType) return &b.ccdType;
  if (key == kCcdPixels) return &b.ccdPixels;
  if (key == kCcdResolution) return &b.ccdResolution;
  if (key >= kEeprom0) return &b.eeprom[key - kEeprom0];
  if (key >= kRam0) return &b.ram[key - kRam0];
  return nullptr;
}

std::string Hex2(unsigned char c) {
  constexpr char kDigits[] = "0123456789abcdef";
  return {kDigits[c >> 4], kDigits[c & 15]};
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsControl(unsigned char c) {
  return c < 0x20 || c == 0x7f;
}

// Printable ASCII stays; a backslash doubles; control bytes, a space at either
// end (the reader trims blanks there) and, for the Latin-1 firmware, bytes
// above 0x7f become \xHH. UTF-8 texts keep their bytes above 0x7f.
std::string Escape(std::string_view raw, bool keepHigh) {
  std::string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    const auto c = static_cast<unsigned char>(raw[i]);
    const bool edgeSpace = c == ' ' && (i == 0 || i + 1 == raw.size());
    if (c == '\\') {
      out += "\\\\";
    } else if (IsControl(c) || edgeSpace || (c >= 0x80 && !keepHigh)) {
      out += "\\x" + Hex2(c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// A value quoted in an error message: short, one line, as the person typed it
// (control bytes as \xHH).
std::string Quoted(std::string_view value) {
  constexpr size_t kShown = 24;
  std::string out = "'";
  for (const char c : value.substr(0, kShown))
    out += IsControl(static_cast<unsigned char>(c)) ? "\\x" + Hex2(c) : std::string(1, c);
  return out + (value.size() > kShown ? "...'" : "'");
}

bool Unescape(std::string_view value, bool keepHigh, std::string* out, std::string* what) {
  std::string text;
  for (size_t i = 0; i < value.size(); ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    if (c == '\\') {
      if (i + 1 < value.size() && value[i + 1] == '\\') {
        text += '\\';
        ++i;
        continue;
      }
      const int high = i + 3 < value.size() ? HexValue(value[i + 2]) : -1;
      const int low = i + 3 < value.size() ? HexValue(value[i + 3]) : -1;
      if (i + 1 < value.size() && value[i + 1] == 'x' && high >= 0 && low >= 0) {
        text += static_cast<char>(high * 16 + low);
        i += 3;
        continue;
      }
      const size_t shown = i + 1 < value.size() && value[i + 1] == 'x' ? 4 : 2;
      *what = "bad escape " + Quoted(value.substr(i, shown)) + " (only \\\\ and \\xHH)";
      return false;
    }
    if (IsControl(c) && c != '\t') {
      *what = "control byte 0x" + Hex2(c) + " in the text, write it as \\x" + Hex2(c);
      return false;
    }
    if (c >= 0x80 && !keepHigh) {
      *what = "byte 0x" + Hex2(c) + " in the firmware text, write it as \\x" + Hex2(c);
      return false;
    }
    text += static_cast<char>(c);
  }
  *out = std::move(text);
  return true;
}

bool ParseWord(std::string_view value, uint16_t* out, std::string* what) {
  if (value.empty() || value[0] < '0' || value[0] > '9') {
    *what = Quoted(value) + " is not a decimal number";
    return false;
  }
  uint32_t n = 0;
  size_t i = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
    n = std::min<uint32_t>(n * 10 + (value[i] - '0'), 65536);  // capped: no overflow
  if (i < value.size()) {
    *what = "trailing characters " + Quoted(value.substr(i)) + " after the number";
    return false;
  }
  if (n > 65535) {
    *what = Quoted(value) + " out of range 0..65535";
    return false;
  }
  *out = static_cast<uint16_t>(n);
  return true;
}

std::string_view Trim(std::string_view s) {
  const size_t begin = s.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return s.substr(begin, s.find_last_not_of(" \t") - begin + 1);
}

bool Fail(std::string* error, int line, const std::string& what) {
  *error = "line " + std::to_string(line) + ": " + what;
  return false;
}

}  // namespace

std::string BackupText(const Backup& backup) {
  Backup b = backup;  // the field accessors take a mutable backup
  std::string out = std::string(kHeader) + "\n";
  out += "# Vantrel sensor backup: texts escaped (\\\\, \\xHH), words decimal 0..65535\n";
  for (int key = 0; key < kKeys; ++key) {
    if (key == kRam0) out += "# RAM parameter set, package order\n";
    if (key == kEeprom0) out += "# EEPROM parameter set, package order\n";
    out += Keys()[key] + ": ";
    if (const std::string* text = TextOf(b, key))
      out += Escape(*text, key != kFirmware);
    else
      out += std::to_string(*WordOf(b, key));
    out += '\n';
  }
  return out;
}

bool ParseBackup(std::string_view text, Backup* out, std::string* error) {
  if (text.empty()) return Fail(error, 1, "empty file");
  if (text.size() > kBackupFileMax) {
    const auto before = text.substr(0, kBackupFileMax);
    const int line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
    return Fail(
        error, line,
        "file longer than 64 KiB (" + std::to_string(text.size()) + " bytes), not a backup");
  }
  Backup read;
  std::array<int, kKeys> seenOn{};  // line of each key, 0 until met
  int lineNo = 0;
  for (size_t pos = 0; pos < text.size();) {
    const size_t end = std::min(text.find('\n', pos), text.size());
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lineNo == 1) {
      if (line == kHeader) continue;
      if (line.substr(0, kHeaderStart.size()) == kHeaderStart)
        return Fail(error, 1,
                    "backup version " + Quoted(line.substr(kHeaderStart.size())) +
                        " is not readable here, this program reads version 1");
      return Fail(error, 1, "not a Vantrel backup, the first line must be 'vantrel-backup 1'");
    }
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return Fail(error, lineNo, "expected 'key: value'");
    const std::string_view key = Trim(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));
    const int index = KeyIndex(key);
    if (index < 0) return Fail(error, lineNo, "unknown key " + Quoted(key));
    if (seenOn[index] != 0)
      return Fail(error, lineNo,
                  "duplicate key " + Quoted(key) + " (first on line " +
                      std::to_string(seenOn[index]) + ")");
    seenOn[index] = lineNo;
    std::string what;
    if (std::string* field = TextOf(read, index)) {
      if (!Unescape(value, index != kFirmware, field, &what))
        return Fail(error, lineNo, std::string(key) + ": " + what);
      if (index == kFirmware && field->size() > kBackupFirmwareMax)
        return Fail(error, lineNo,
                    "firmware text of " + std::to_string(field->size()) + " bytes, at most " +
                        std::to_string(kBackupFirmwareMax));
    } else if (!ParseWord(value, WordOf(read, index), &what)) {
      return Fail(error, lineNo, std::string(key) + ": " + what);
    }
  }
  const auto missing = std::find(seenOn.begin(), seenOn.end(), 0);
  if (missing != seenOn.end()) {
    const auto more = std::count(missing + 1, seenOn.end(), 0);
    return Fail(error, lineNo + 1,
                "missing key '" + Keys()[missing - seenOn.begin()] + "'" +
                    (more > 0 ? " and " + std::to_string(more) + " more" : ""));
  }
  *out = std::move(read);
  return true;
}

}  // namespace sets
