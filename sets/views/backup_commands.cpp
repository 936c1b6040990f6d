#include "sets/views/backup_commands.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "display/controls.h"
#include "link/port.h"
#include "link/sensor_info.h"
#include "param/range_check.h"
#include "param/transfer.h"
#include "protocol/parameter_ranges.h"
#include "runtime/file_write.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"
#include "sets/backup_file.h"
#include "sets/sensor/sensor_sets.h"
#include "sets/verify_text.h"
#include "watch/qt/main_panel.h"

namespace sets {
namespace {

constexpr char kFilter[] = "*.backup";
constexpr char kDefaultName[] = "sensor.backup";

void Say(const QString& text) {
  watch::SayInStatusLine(text);
}

QString Shown(const std::string& path) {
  return QDir::toNativeSeparators(QString::fromLocal8Bit(path.c_str()));
}

bool Confirmed(const std::string& question) {
  return ConfirmPopup("Restore sensor backup", question.c_str()) == 1;
}

// The backup's words the sensor would not accept, store by store; empty when
// it takes them all.
std::string RefusedWords(const Backup& backup) {
  const std::string eeprom = protocol::OutOfRangeText(backup.eeprom.data(), PixelLimit());
  const std::string ram = protocol::OutOfRangeText(backup.ram.data(), PixelLimit());
  std::string refused = eeprom.empty() ? "" : "EEPROM " + eeprom;
  if (!ram.empty()) refused += (refused.empty() ? "RAM " : "; RAM ") + ram;
  return refused;
}

// The EEPROM keeps its set over power-off: the operator sees what the restore
// changes there, and says yes, before anything is written.
bool EepromWriteConfirmed(const Backup& backup) {
  ParameterSet present{};
  std::string question;
  if (ReadSensorStore(EEPROM, &present) == StoreReadResult::kRead) {
    const std::string changes = protocol::ChangesText(present.data(), backup.eeprom.data());
    question = changes.empty() ? "The sensor's EEPROM holds the backup's set already.\n"
                               : "The restore writes into the sensor's EEPROM, which keeps "
                                 "them over power-off:\n\n" +
                                     changes;
  } else {
    question =
        "The EEPROM's present values could not be read. The restore writes into the "
        "sensor's EEPROM, which keeps them over power-off:\n\n" +
        protocol::ValuesText(backup.eeprom.data());
  }
  question += "\nThen the RAM set. Restore?";
  return ConfirmPopup("Write the sensor's EEPROM", question.c_str()) == 1;
}

// Reads `store` back after a write and says what differs; empty when it holds `sent`.
std::string ReadBack(int32_t store, const ParameterSet& sent) {
  const char* name = store == EEPROM ? "EEPROM" : "RAM";
  ParameterSet held{};
  if (ReadSensorStore(store, &held, true) != StoreReadResult::kRead)
    return std::string(name) + " did not answer the read-back";
  return held == sent ? std::string() : VerifyText(name, sent, held, PixelLimit());
}

std::string Ask(const char* title, int button) {
  char path[UI_PATH_MAX] = "";
  const QByteArray dir = QDir::currentPath().toLocal8Bit();
  if (FileSelectPopup(dir.constData(), kDefaultName, kFilter, title, button, 0, 1, 1, 1, path) <= 0)
    return std::string();
  return path;
}

}  // namespace

bool TakeBackup(const std::string& path) {
  const SensorHold hold;
  if (!hold.held()) {
    Say(QString("Backup not taken: %1").arg(QString::fromStdString(SensorHold::BusyText())));
    return false;
  }
  Backup backup;
  if (ReadSensorStore(RAM, &backup.ram) != StoreReadResult::kRead ||
      ReadSensorStore(EEPROM, &backup.eeprom) != StoreReadResult::kRead) {
    Say("Backup not taken: the sensor did not answer");
    return false;
  }
  backup.taken = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
  backup.port = "COM" + std::to_string(com);
  backup.device = ComPortDevice(com);
  backup.firmware = szVersion;
  backup.ccdType = ccdtype;
  backup.ccdPixels = ccdmaxpixel;
  backup.ccdResolution = ccdresolution;
  // An existing backup stays as it was unless the new one is whole on the disk.
  const std::string reason = WriteFileWhole(path, BackupText(backup));
  if (!reason.empty()) {
    Say(QString("Backup not saved: %1: %2")
            .arg(Shown(path), QString::fromLocal8Bit(reason.c_str())));
    return false;
  }
  Say(QString("Backup of COM%1 saved to %2").arg(com).arg(Shown(path)));
  return true;
}

bool RestoreBackup(const std::string& path) {
  const QString shown = Shown(path);
  const QFileInfo info(QString::fromLocal8Bit(path.c_str()));
  // A pipe or a device is no backup, and reading one could wait for ever.
  if (!info.isFile() || info.size() > static_cast<qint64>(kBackupFileMax)) {
    Say(QString("Restore refused: %1: not a backup file").arg(shown));
    return false;
  }
  QFile file(info.filePath());
  if (!file.open(QIODevice::ReadOnly)) {
    Say(QString("Restore refused: %1: %2").arg(shown, file.errorString()));
    return false;
  }
  const QByteArray bytes = file.readAll();
  Backup backup;
  std::string error;
  if (!ParseBackup(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &backup,
                   &error)) {
    Say(QString("Restore refused: %1: %2").arg(shown, QString::fromStdString(error)));
    return false;
  }
  // Nothing the sensor would not accept is sent, not even the other store's set.
  const std::string refused = RefusedWords(backup);
  if (!refused.empty()) {
    Say(QString("Restore refused: %1: %2").arg(shown, QString::fromStdString(refused)));
    return false;
  }
  const SensorHold hold;
  if (!hold.held()) {
    Say(QString("Restore not started: %1").arg(QString::fromStdString(SensorHold::BusyText())));
    return false;
  }
  if (backup.ccdType != ccdtype) {
    const std::string question = "The backup was taken from a sensor with CCD type " +
                                 std::to_string(backup.ccdType) + "; this sensor has type " +
                                 std::to_string(ccdtype) + ". Restore it anyway?";
    if (!Confirmed(question)) {
      Say(QString("Restore cancelled: %1 is from another CCD type").arg(shown));
      return false;
    }
  }
  if (!EepromWriteConfirmed(backup)) {
    Say(QString("Restore cancelled: the sensor keeps its sets"));
    return false;
  }
  // The sensor's RAM no longer holds what the panels were read from.
  ForgetSensorSet();
  if (!WriteSensorStore(EEPROM, backup.eeprom)) {
    Say(QString("Restore stopped: nothing could be sent"));
    return false;
  }
  const std::string eeprom = ReadBack(EEPROM, backup.eeprom);
  if (!WriteSensorStore(RAM, backup.ram)) {
    Say(QString("Restore stopped after EEPROM: the RAM set could not be sent"));
    return false;
  }
  const std::string ram = ReadBack(RAM, backup.ram);
  if (eeprom.empty() && ram.empty()) {
    Say(QString("Restored %1: EEPROM and RAM hold the backup").arg(shown));
    return true;
  }
  Say(QString("Restore of %1: %2")
          .arg(shown, QString::fromStdString(eeprom.empty() ? ram
                                             : ram.empty()  ? eeprom
                                                            : eeprom + "; " + ram)));
  return false;
}

void TakeBackupAsked() {
  const std::string path = Ask("Back up sensor", UI_FILE_BUTTON_OK);
  if (!path.empty()) TakeBackup(path);
}

void RestoreBackupAsked() {
  const std::string path = Ask("Restore sensor backup", UI_FILE_BUTTON_LOAD);
  if (!path.empty()) RestoreBackup(path);
}

}  // namespace sets
