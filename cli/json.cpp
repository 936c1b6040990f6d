#include "cli/json.h"

#include <cmath>
#include <cstdio>

namespace cli {
namespace {

// Length of the valid UTF-8 sequence at text[i], 0 when there is none.
size_t Utf8Length(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = lead < 0x80           ? 1
                  : (lead >> 5) == 0x6  ? 2
                  : (lead >> 4) == 0xE  ? 3
                  : (lead >> 3) == 0x1E ? 4
                                        : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  // Overlong forms and surrogates are no valid UTF-8 either.
  if (length == 2 && lead < 0xC2) return 0;
  if (length == 3 && lead == 0xE0 && byte(i + 1) < 0xA0) return 0;
  if (length == 3 && lead == 0xED && byte(i + 1) >= 0xA0) return 0;
  if (length == 4 && (lead > 0xF4 || (lead == 0xF0 && byte(i + 1) < 0x90) ||
                      (lead == 0xF4 && byte(i + 1) >= 0x90)))
    return 0;
  return length;
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t length = Utf8Length(text, i);
    if (length == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    if (length > 1) {
      out.append(text.substr(i, length));
      i += length;
      continue;
    }
    ++i;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view text) {
  return AddRaw(key, JsonString(text));
}

JsonObject& JsonObject::Add(std::string_view key, int64_t number) {
  return AddRaw(key, std::to_string(number));
}

JsonObject& JsonObject::Add(std::string_view key, bool flag) {
  return AddRaw(key, flag ? "true" : "false");
}

JsonObject& JsonObject::AddNumber(std::string_view key, double number, int decimals) {
  if (!std::isfinite(number)) return AddNull(key);
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, number);
  return AddRaw(key, text);
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string_view json) {
  fields_.push_back(JsonString(key) + ":" + std::string(json));
  return *this;
}

JsonObject& JsonObject::AddNull(std::string_view key) {
  return AddRaw(key, "null");
}

JsonObject& JsonObject::Append(const JsonObject& other) {
  fields_.insert(fields_.end(), other.fields_.begin(), other.fields_.end());
  return *this;
}

std::string JsonObject::Text() const {
  std::string text = "{";
  for (size_t i = 0; i < fields_.size(); ++i) text += (i > 0 ? "," : "") + fields_[i];
  return text + "}";
}

std::string JsonArray(const std::vector<std::string>& values) {
  std::string text = "[";
  for (size_t i = 0; i < values.size(); ++i) text += (i > 0 ? "," : "") + values[i];
  return text + "]";
}

JsonObject ResultObject(std::string_view command, int exitStatus) {
  JsonObject object;
  object.Add("format_version", kJsonFormatVersion).Add("command", command);
  object.Add("exit_status", exitStatus);
  return object;
}

}  // namespace cli
