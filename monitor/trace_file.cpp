#include "monitor/trace_file.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace monitor {
namespace {

constexpr std::string_view kMagic = "vantrel-trace";
constexpr int kVersion = 1;

struct KindName {
  EntryKind kind;
  char direction;
  std::string_view word;
};

constexpr KindName kKinds[] = {
    {EntryKind::kRequest, '>', "request"},
    {EntryKind::kReply, '<', "reply"},
    {EntryKind::kTimeout, '-', "timeout"},
    {EntryKind::kInputFlushed, '-', "input-flushed"},
    {EntryKind::kOutputFlushed, '-', "output-flushed"},
    {EntryKind::kNotifyInstalled, '-', "notify-installed"},
    {EntryKind::kNotifyRemoved, '-', "notify-removed"},
    {EntryKind::kOpened, '-', "opened"},
    {EntryKind::kClosed, '-', "closed"},
    {EntryKind::kLost, '-', "lost"},
};

const KindName& NameOf(EntryKind kind) {
  for (const KindName& name : kKinds)
    if (name.kind == kind) return name;
  return kKinds[0];
}

// Milliseconds with three decimals; to_chars does not follow the C locale,
// which the Qt layer sets from the environment (a decimal comma would not read
// back).
std::string Millis(double ms) {
  // Room for any finite double in fixed notation (309 digits before the point).
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, ms, std::chars_format::fixed, 3);
  if (result.ec != std::errc()) return "nan";  // not finite: refused when read back
  return std::string(buffer, result.ptr);
}

constexpr char kHexDigits[] = "0123456789abcdef";

std::string Hex(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return "-";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t byte : bytes) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
  }
  return out;
}

// The text stays one token of plain ASCII whatever it holds: spaces, '#',
// '%', control bytes and bytes beyond ASCII become %XX.
std::string PercentEncode(const std::string& text) {
  std::string out;
  for (char c : text) {
    auto byte = static_cast<uint8_t>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == '#' || c == '%') {
      out += '%';
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::vector<uint8_t>> ParseHex(std::string_view token) {
  std::vector<uint8_t> bytes;
  if (token == "-") return bytes;
  if (token.size() % 2 != 0) return std::nullopt;
  for (size_t i = 0; i < token.size(); i += 2) {
    int high = HexDigit(token[i]);
    int low = HexDigit(token[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return bytes;
}

std::optional<std::string> PercentDecode(std::string_view token) {
  std::string out;
  for (size_t i = 0; i < token.size(); ++i) {
    if (token[i] != '%') {
      out += token[i];
      continue;
    }
    int high = i + 1 < token.size() ? HexDigit(token[i + 1]) : -1;
    int low = i + 2 < token.size() ? HexDigit(token[i + 2]) : -1;
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

std::optional<double> ParseNumber(std::string_view token) {
  double value = 0.0;
  auto result = std::from_chars(token.data(), token.data() + token.size(), value);
  if (result.ec != std::errc() || result.ptr != token.data() + token.size()) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> ParseInt(std::string_view token) {
  int value = 0;
  auto result = std::from_chars(token.data(), token.data() + token.size(), value);
  if (result.ec != std::errc() || result.ptr != token.data() + token.size()) return std::nullopt;
  return value;
}

// Splits at spaces and tabs; a token starting with '#' begins the comment,
// which is not part of the entry.
std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> tokens;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    size_t end = line.find_first_of(" \t", i);
    if (end == std::string_view::npos) end = line.size();
    tokens.push_back(line.substr(i, end - i));
    i = end;
  }
  return tokens;
}

// Reads one entry line into `entry`; on failure returns the reason.
std::string ParseEntry(std::string_view line, LineEntry* entry) {
  std::vector<std::string_view> tokens = Tokens(line);
  if (tokens.size() < 4) return "an entry needs a time, a direction, a kind and bytes";

  std::optional<double> time = ParseNumber(tokens[0]);
  if (!time) return "bad time '" + std::string(tokens[0]) + "'";
  entry->timeMs = *time;

  const KindName* kind = nullptr;
  for (const KindName& name : kKinds)
    if (name.word == tokens[2]) kind = &name;
  if (kind == nullptr) return "unknown kind '" + std::string(tokens[2]) + "'";
  entry->kind = kind->kind;
  if (tokens[1].size() != 1 || tokens[1][0] != kind->direction)
    return "direction of " + std::string(kind->word) + " must be '" + kind->direction + "'";

  std::optional<std::vector<uint8_t>> bytes = ParseHex(tokens[3]);
  if (!bytes) return "bad bytes '" + std::string(tokens[3]) + "' (hex digits in pairs, or -)";
  entry->bytes = std::move(*bytes);

  std::vector<std::string_view> seen;
  for (size_t i = 4; i < tokens.size(); ++i) {
    std::string_view field = tokens[i];
    size_t equals = field.find('=');
    if (equals == std::string_view::npos)
      return "field '" + std::string(field) + "' is not key=value";
    std::string_view key = field.substr(0, equals);
    std::string_view value = field.substr(equals + 1);
    for (std::string_view earlier : seen)
      if (earlier == key) return "field '" + std::string(key) + "' given twice";
    seen.push_back(key);

    std::optional<double> number;
    std::optional<int> integer;
    if (key == "order" && (integer = ParseInt(value))) {
      entry->order = *integer;
    } else if (key == "value" && (integer = ParseInt(value))) {
      entry->value = *integer;
    } else if (key == "response" && (number = ParseNumber(value))) {
      entry->responseMs = *number;
    } else if (key == "limit" && (number = ParseNumber(value))) {
      entry->limitMs = *number;
    } else if (key == "text") {
      std::optional<std::string> text = PercentDecode(value);
      if (!text) return "bad percent escape in text '" + std::string(value) + "'";
      entry->text = std::move(*text);
    } else if (key == "order" || key == "value" || key == "response" || key == "limit") {
      return "bad number in field '" + std::string(field) + "'";
    } else {
      return "unknown field '" + std::string(key) + "'";
    }
  }
  return "";
}

}  // namespace

std::string TraceHeader() {
  return std::string(kMagic) + " " + std::to_string(kVersion) + "\n";
}

std::string TraceLine(const LineEntry& entry, std::string_view comment) {
  const KindName& name = NameOf(entry.kind);
  std::string line = Millis(entry.timeMs);
  line += ' ';
  line += name.direction;
  line += ' ';
  line += name.word;
  line += ' ';
  line += Hex(entry.bytes);
  // A field at its default value is left out; the reader restores it.
  const LineEntry defaults;
  if (entry.order != defaults.order) line += " order=" + std::to_string(entry.order);
  if (entry.responseMs != defaults.responseMs) line += " response=" + Millis(entry.responseMs);
  if (entry.limitMs != defaults.limitMs) line += " limit=" + Millis(entry.limitMs);
  if (entry.value != defaults.value) line += " value=" + std::to_string(entry.value);
  if (!entry.text.empty()) line += " text=" + PercentEncode(entry.text);
  if (!comment.empty()) {
    line += " # ";
    // The comment must not end the line early.
    for (char c : comment) line += (c == '\n' || c == '\r') ? ' ' : c;
  }
  line += '\n';
  return line;
}

TraceReadResult ReadTrace(std::string_view text) {
  TraceReadResult result;
  int number = 0;
  size_t start = 0;
  while (start < text.size() || number == 0) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    // Lines ending in CR LF, as an editor on Windows leaves them.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    if (number == 1) {
      while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
      std::string expected = TraceHeader();
      expected.pop_back();
      if (line == expected) continue;
      result.errorLine = 1;
      if (line.substr(0, kMagic.size() + 1) == std::string(kMagic) + " ")
        result.error = "unsupported trace version '" + std::string(line.substr(kMagic.size() + 1)) +
                       "' (this program reads version " + std::to_string(kVersion) + ")";
      else
        result.error = "not a trace file: the first line must be '" + expected + "'";
      return result;
    }
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;

    LineEntry entry;
    std::string error = ParseEntry(line, &entry);
    if (!error.empty()) {
      result.errorLine = number;
      result.error = error;
      return result;
    }
    result.entries.push_back(std::move(entry));
  }
  result.ok = true;
  return result;
}

}  // namespace monitor
