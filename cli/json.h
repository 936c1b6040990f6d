// JSON output of vantrel-cli: one object per result, built field by field in
// the order given. Texts are UTF-8; every other byte is escaped. Pure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Version of every JSON result's layout, carried as "format_version".
constexpr int kJsonFormatVersion = 1;

// `text` as a JSON string, quotes included. Bytes that are not valid UTF-8
// (a firmware text's Latin-1) become U+FFFD rather than an invalid document.
std::string JsonString(std::string_view text);

class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view text);
  JsonObject& Add(std::string_view key, const char* text) {
    return Add(key, std::string_view(text));
  }
  JsonObject& Add(std::string_view key, int64_t number);
  JsonObject& Add(std::string_view key, int number) {
    return Add(key, static_cast<int64_t>(number));
  }
  JsonObject& Add(std::string_view key, bool flag);
  JsonObject& AddNumber(std::string_view key, double number, int decimals);
  // `json`, a value already written as JSON (an object, an array).
  JsonObject& AddRaw(std::string_view key, std::string_view json);
  JsonObject& AddNull(std::string_view key);
  // The fields of `other`, after these.
  JsonObject& Append(const JsonObject& other);
  // "{...}" on one line.
  std::string Text() const;

 private:
  std::vector<std::string> fields_;
};

// "[a,b,...]" of values already written as JSON.
std::string JsonArray(const std::vector<std::string>& values);

// The frame of every --json result: the format version, the command and the
// exit status, before the command's own fields.
JsonObject ResultObject(std::string_view command, int exitStatus);

}  // namespace cli
