#include "ports/qt/port_probe.h"

#include <QSerialPort>

#include "ports/probe_frames.h"
#include "protocol/frame.h"
#include "protocol/orders.h"
#include "runtime/com_devices.h"
#include "runtime/net_device.h"
#include "runtime/rs232.h"

namespace ports {

PortProbe::PortProbe(const std::string& device, const std::array<uint16_t, 16>& words)
    : device_(device), words_(words) {
  limit_.setSingleShot(true);
  connect(&limit_, &QTimer::timeout, this, [this] { OnLimit(); });
}

PortProbe::~PortProbe() {
  if (line_) line_->close();
}

void PortProbe::Start() {
  if (IsNetworkDevice(device_)) {
    StartNetwork();
    return;
  }
  auto serial = std::make_unique<QSerialPort>();
  serial->setPortName(QString::fromLocal8Bit(device_.c_str()));
  if (!serial->open(QIODevice::ReadWrite)) {
    // Qt reports a lock held by another program, an exclusive open and a
    // refused access alike; the caller tells refused access apart beforehand.
    const QSerialPort::SerialPortError error = serial->error();
    if (error == QSerialPort::PermissionError) {
      Finish(Outcome::kBusy);
    } else {
      result_.reason = serial->errorString().toStdString();
      Finish(Outcome::kCannotOpen);
    }
    return;
  }
  // A device another port or program holds, under whatever name, is left to it.
  if (!ClaimComDevice(static_cast<long long>(serial->handle()))) {
    Finish(Outcome::kBusy);
    return;
  }
  const bool configured = serial->setBaudRate(19200) && serial->setDataBits(QSerialPort::Data8) &&
                          serial->setParity(QSerialPort::NoParity) &&
                          serial->setStopBits(QSerialPort::OneStop) &&
                          serial->setFlowControl(QSerialPort::NoFlowControl);
  if (!configured) {
    result_.reason = serial->errorString().toStdString();
    Finish(Outcome::kCannotOpen);
    return;
  }
  serial->clear(QSerialPort::AllDirections);
  line_ = std::move(serial);
  Listen();
}

// The server is claimed as the engine's ports claim it, and reached in the
// background; a server held by another port or program is left to it.
void PortProbe::StartNetwork() {
  std::string error;
  line_ = OpenNetworkDevice(
      device_,
      [this](int code, const std::string& reason) {
        if (code == 0) {
          Listen();
        } else if (code == RS232_CANNOT_OPEN_PORT && reason.rfind("busy", 0) == 0) {
          Finish(Outcome::kBusy);
        } else {
          result_.reason = reason;
          Finish(Outcome::kCannotOpen);
        }
      },
      &error);
  if (!line_) {
    result_.reason = error;
    Finish(Outcome::kCannotOpen);
  }
}

void PortProbe::Listen() {
  connect(line_.get(), &QIODevice::readyRead, this, [this] { OnBytes(); });
  Send(protocol::kEchoCheck);
}

void PortProbe::Send(int order) {
  order_ = order;
  reply_.clear();
  const std::vector<uint8_t> frame = protocol::EncodeRequest(order, words_);
  line_->write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
  limit_.start(static_cast<int>(protocol::ReplyLimit(order) * 1000.0));
}

void PortProbe::OnBytes() {
  if (Done()) return;
  const QByteArray bytes = line_->readAll();
  reply_.insert(reply_.end(), bytes.begin(), bytes.end());
  if (reply_.size() < static_cast<size_t>(protocol::ReplyLength(order_))) return;
  limit_.stop();
  if (order_ == protocol::kEchoCheck) {
    if (JudgeLineCheck(reply_) == LineCheck::kWrongSync) {
      Finish(Outcome::kWrongSync);
      return;
    }
    // A sensor: its firmware text names it in the list.
    sensorFound_ = true;
    Send(protocol::kFirmwareInfo);
    return;
  }
  if (const auto text = FirmwareText(reply_)) result_.firmware = *text;
  Finish(Outcome::kSensor);
}

void PortProbe::OnLimit() {
  Finish(sensorFound_ ? Outcome::kSensor : Outcome::kNoAnswer);
}

void PortProbe::Stop() {
  limit_.stop();
  if (!line_) return;
  disconnect(line_.get(), nullptr, this, nullptr);
  line_->close();
}

void PortProbe::Finish(Outcome outcome) {
  limit_.stop();
  result_.outcome = outcome;
  if (line_) {
    disconnect(line_.get(), nullptr, this, nullptr);
    line_->close();
  }
  emit finished();
}

}  // namespace ports
