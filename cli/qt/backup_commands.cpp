// backup and restore: one sensor's whole parameter state in the backup file
// format the desktop program reads and writes.
#include <QDateTime>

#include "cli/parameter_check.h"
#include "cli/qt/commands.h"
#include "cli/qt/set_files.h"
#include "cli/results.h"
#include "fields/latin1.h"
#include "protocol/orders.h"
#include "protocol/parameter_ranges.h"
#include "sets/verify_text.h"

namespace cli {
namespace {

// The first value of either set the sensor does not accept on a line of
// `pixels`, as "FILE: eeprom.power 2000 is outside 0..1000 (Power)"; "" none.
std::string RefusedSet(const std::string& path, const sets::Backup& backup, uint16_t pixels) {
  for (const auto& [name, set] :
       {std::pair{"eeprom", &backup.eeprom}, std::pair{"ram", &backup.ram}}) {
    FileValues values{};
    for (int i = 0; i < protocol::kFrameWords; ++i) values[i] = (*set)[i];
    const int refused = FirstRefused(values.data(), pixels);
    if (refused >= 0)
      return path + ": " + name + "." + RefusedText(refused, values[refused], pixels) +
             "; nothing was sent";
  }
  return "";
}

// Writes `set` to the store and, unless told not to, reads it back: "" when
// it holds the set (or was not read back), else what differs.
bool WriteStore(SensorLink& link, Store store, const protocol::Words& set, bool verify,
                uint16_t pixels, std::string* differs) {
  if (!link.Write(WriteOrder(store), set)) return false;
  if (!verify) return true;
  protocol::Words held{};
  if (!link.Exchange(ReadOrder(store), protocol::Words{}, &held)) return false;
  if (held != set) *differs = sets::VerifyText(StoreName(store), set, held, pixels);
  return true;
}

}  // namespace

CommandResult Backup(const Invocation& invocation) {
  CommandResult result;
  SensorLink link(invocation.timeout);
  if (!OpenLink(invocation, &link, &result)) return result;
  sets::Backup backup;
  if (!link.Exchange(protocol::kReadRam, protocol::Words{}, &backup.ram) ||
      !link.Exchange(protocol::kReadEeprom, protocol::Words{}, &backup.eeprom) ||
      !link.ReadFirmware(&backup.firmware) ||
      !ReadCcd(link, &backup.ccdPixels, &backup.ccdType, &backup.ccdResolution)) {
    return LinkFailed(link, &result);
  }
  backup.taken = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
  backup.port = link.Name();
  backup.device = link.Device();
  const std::string text = sets::BackupText(backup);
  result.json.Add("taken", backup.taken);
  AddIdentityJson(&result.json,
                  {backup.firmware, backup.ccdType, backup.ccdPixels, backup.ccdResolution});
  result.json.AddRaw("ram", ParametersJson(backup.ram))
      .AddRaw("eeprom", ParametersJson(backup.eeprom));
  if (invocation.output.empty()) {
    result.data = text;
    return result;
  }
  std::string failure;
  if (!WriteWholeFile(invocation.output, text, &failure)) return result.Fail(kExitFile, failure);
  result.json.Add("file", invocation.output);
  result.note = "backup of " + link.Label() + " written to " + invocation.output + "\n";
  return result;
}

CommandResult Restore(const Invocation& invocation) {
  CommandResult result;
  const std::string& path = invocation.operands.front();
  result.json.Add("file", path);
  sets::Backup backup;
  std::string failure;
  if (!ReadBackupFile(path, &backup, &failure))
    return result.Fail(kExitFile, failure + "; nothing was sent");
  if (const std::string refused = RefusedSet(path, backup, protocol::kLongestLine);
      !refused.empty())
    return result.Fail(kExitFile, refused);
  if (invocation.dryRun) {
    const std::string eeprom = RequestHex(protocol::kWriteEeprom, backup.eeprom);
    const std::string ram = RequestHex(protocol::kWriteRam, backup.ram);
    result.json.Add("dry_run", true).Add("eeprom_request", eeprom).Add("ram_request", ram);
    result.data = "would send to EEPROM: " + eeprom + "\nwould send to RAM: " + ram + "\n";
    return result;
  }
  SensorLink link(invocation.timeout);
  if (!OpenLink(invocation, &link, &result)) return result;
  uint16_t pixels = 0, type = 0;
  if (!ReadCcd(link, &pixels, &type, nullptr)) return LinkFailed(link, &result);
  if (type != backup.ccdType && !invocation.force) {
    return result.Fail(kExitFile, path + ": taken from a sensor with CCD type " +
                                      std::to_string(backup.ccdType) + ", " + link.Label() +
                                      " has type " + std::to_string(type) +
                                      " (--force restores it anyway); nothing was sent");
  }
  if (const std::string refused = RefusedSet(path, backup, pixels); !refused.empty())
    return result.Fail(kExitFile, refused);
  const bool verify = !invocation.noVerify;
  std::string eepromDiffers, ramDiffers;
  if (!WriteStore(link, Store::kEeprom, backup.eeprom, verify, pixels, &eepromDiffers) ||
      !WriteStore(link, Store::kRam, backup.ram, verify, pixels, &ramDiffers)) {
    return LinkFailed(link, &result);
  }
  result.json.Add("verified", verify && eepromDiffers.empty() && ramDiffers.empty());
  if (!eepromDiffers.empty() || !ramDiffers.empty()) {
    const std::string both = eepromDiffers.empty() ? ramDiffers
                             : ramDiffers.empty()  ? eepromDiffers
                                                   : eepromDiffers + "; " + ramDiffers;
    return result.Fail(kExitDiffer, link.Label() + ": " + both);
  }
  result.note = link.Label() +
                (verify ? ": EEPROM and RAM hold the backup " + path
                        : ": the backup " + path + " was sent (not read back)") +
                "\n";
  return result;
}

}  // namespace cli
