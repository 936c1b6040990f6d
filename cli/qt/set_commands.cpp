// get, send and compare: the sensor's parameter sets, parameter files and the
// program's defaults.
#include "cli/parameter_check.h"
#include "cli/qt/commands.h"
#include "cli/qt/set_files.h"
#include "cli/results.h"
#include "protocol/orders.h"
#include "protocol/parameter_defaults.h"
#include "protocol/parameter_ranges.h"
#include "sets/verify_text.h"

namespace cli {
namespace {

protocol::Words Low16(const FileValues& values) {
  protocol::Words words{};
  for (int i = 0; i < protocol::kFrameWords; ++i) words[i] = static_cast<uint16_t>(values[i]);
  return words;
}

// The file's values, refused as the desktop program refuses a set it would
// send: a value outside what the sensor accepts on a line of `pixels`, or an
// evaluation window that runs backward. "FILE: line 1: power 2000 is outside
// 0..1000 (Power); nothing was sent".
bool Accepted(const std::string& path, const FileValues& values, uint16_t pixels,
              CommandResult* result) {
  const int refused = FirstRefused(values.data(), pixels);
  if (refused >= 0) {
    result->Fail(kExitFile, path + ": line " + std::to_string(refused + 1) + ": " +
                                RefusedText(refused, values[refused], pixels) +
                                "; nothing was sent");
    return false;
  }
  const uint32_t from = values[protocol::kEvaluationFrom], to = values[protocol::kEvaluationTo];
  if (protocol::WindowRunsForward(static_cast<uint16_t>(from), static_cast<uint16_t>(to)))
    return true;
  result->Fail(kExitFile, path + ": lines 7 and 8: the evaluation from pixel " +
                              std::to_string(from) + " is beyond the evaluation to pixel " +
                              std::to_string(to) + "; nothing was sent");
  return false;
}

}  // namespace

CommandResult Get(const Invocation& invocation) {
  CommandResult result;
  SensorLink link(invocation.timeout);
  if (!OpenLink(invocation, &link, &result)) return result;
  protocol::Words words{};
  if (!link.Exchange(ReadOrder(invocation.store), protocol::Words{}, &words))
    return LinkFailed(link, &result);
  result.json.Add("store", StoreName(invocation.store));
  result.json.AddRaw("parameters", ParametersJson(words));
  if (invocation.output.empty()) {
    result.data = ParameterFileText(words);
    return result;
  }
  std::string failure;
  if (!WriteParameterFile(invocation.output, words, &failure))
    return result.Fail(kExitFile, failure);
  result.json.Add("file", invocation.output);
  result.note = std::string(StoreName(invocation.store)) + " of " + link.Label() + " written to " +
                invocation.output + "\n";
  return result;
}

CommandResult Send(const Invocation& invocation) {
  CommandResult result;
  const std::string& path = invocation.operands.front();
  const char* store = StoreName(invocation.store);
  result.json.Add("store", store).Add("file", path);
  FileValues values{};
  std::string failure;
  if (!ReadParameterFile(path, &values, &failure))
    return result.Fail(kExitFile, failure + "; nothing was sent");
  // What no line accepts is refused before the port is opened.
  if (!Accepted(path, values, protocol::kLongestLine, &result)) return result;
  const protocol::Words words = Low16(values);
  const int order = WriteOrder(invocation.store);
  if (invocation.dryRun) {
    result.json.Add("dry_run", true).Add("request", RequestHex(order, words));
    result.data = std::string("would send to ") + store + ": " + RequestHex(order, words) + "\n";
    return result;
  }
  SensorLink link(invocation.timeout);
  if (!OpenLink(invocation, &link, &result)) return result;
  // The pixel positions against the sensor's own line.
  uint16_t pixels = 0;
  if (!ReadCcd(link, &pixels, nullptr, nullptr)) return LinkFailed(link, &result);
  if (!Accepted(path, values, pixels, &result)) return result;
  if (!link.Write(order, words)) return LinkFailed(link, &result);
  result.json.Add("sent", true);
  if (invocation.noVerify) {
    result.note = "sent the 16 parameters of " + path + " to " + store + " of " + link.Label() +
                  " (not read back)\n";
    return result;
  }
  protocol::Words held{};
  if (!link.Exchange(ReadOrder(invocation.store), protocol::Words{}, &held))
    return LinkFailed(link, &result);
  result.json.Add("verified", held == words);
  if (held != words)
    return result.Fail(kExitDiffer,
                       link.Label() + ": " + sets::VerifyText(store, words, held, pixels));
  result.note = link.Label() + ": " + store + " holds the 16 parameters of " + path + "\n";
  return result;
}

namespace {

// One side of a comparison: the sensor's RAM or EEPROM, the defaults, or a
// file. The sensor is opened for the first side that needs it.
bool ReadSource(const Invocation& invocation, const std::string& source, SensorLink* link,
                bool* opened, protocol::Words* words, CommandResult* result) {
  if (source == "defaults") {
    *words = protocol::kParameterDefaults;
    return true;
  }
  if (source == "ram" || source == "eeprom") {
    if (!*opened && !OpenLink(invocation, link, result)) return false;
    *opened = true;
    const int order = source == "ram" ? protocol::kReadRam : protocol::kReadEeprom;
    if (link->Exchange(order, protocol::Words{}, words)) return true;
    LinkFailed(*link, result);
    return false;
  }
  FileValues values{};
  std::string failure;
  if (!ReadParameterFile(source, &values, &failure)) {
    result->Fail(kExitFile, failure);
    return false;
  }
  for (int i = 0; i < protocol::kFrameWords; ++i) {
    if (values[i] > 0xFFFF) {
      result->Fail(kExitFile, source + ": line " + std::to_string(i + 1) + ": " +
                                  std::to_string(values[i]) + " is above 65535");
      return false;
    }
  }
  *words = Low16(values);
  return true;
}

}  // namespace

CommandResult Compare(const Invocation& invocation) {
  CommandResult result;
  SensorLink link(invocation.timeout);
  bool opened = false;
  const std::string& a = invocation.operands[0];
  const std::string& b = invocation.operands[1];
  protocol::Words first{}, second{};
  if (!ReadSource(invocation, a, &link, &opened, &first, &result) ||
      !ReadSource(invocation, b, &link, &opened, &second, &result)) {
    return result;
  }
  AddCompareJson(&result.json, a, first, b, second);
  if (first == second) {
    result.note = CompareText(a, first, b, second);
  } else {
    result.status = kExitDiffer;
    result.data = CompareText(a, first, b, second);
  }
  return result;
}

}  // namespace cli
