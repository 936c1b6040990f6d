#include "ports/qt/port_probe.h"

#include "ports/probe_frames.h"
#include "protocol/frame.h"
#include "protocol/orders.h"
#include "runtime/com_devices.h"

namespace ports {

PortProbe::PortProbe(const std::string& device, const std::array<uint16_t, 16>& words)
    : device_(device), words_(words) {
  limit_.setSingleShot(true);
  connect(&limit_, &QTimer::timeout, this, [this] { OnLimit(); });
}

PortProbe::~PortProbe() {
  if (serial_) serial_->close();
}

void PortProbe::Start() {
  serial_ = std::make_unique<QSerialPort>();
  serial_->setPortName(QString::fromLocal8Bit(device_.c_str()));
  if (!serial_->open(QIODevice::ReadWrite)) {
    // Qt reports a lock held by another program, an exclusive open and a
    // refused access alike; the caller tells refused access apart beforehand.
    const QSerialPort::SerialPortError error = serial_->error();
    if (error == QSerialPort::PermissionError) {
      Finish(Outcome::kBusy);
    } else {
      result_.reason = serial_->errorString().toStdString();
      Finish(Outcome::kCannotOpen);
    }
    return;
  }
  // A device another port or program holds, under whatever name, is left to it.
  if (!ClaimComDevice(static_cast<long long>(serial_->handle()))) {
    Finish(Outcome::kBusy);
    return;
  }
  const bool configured = serial_->setBaudRate(19200) && serial_->setDataBits(QSerialPort::Data8) &&
                          serial_->setParity(QSerialPort::NoParity) &&
                          serial_->setStopBits(QSerialPort::OneStop) &&
                          serial_->setFlowControl(QSerialPort::NoFlowControl);
  if (!configured) {
    result_.reason = serial_->errorString().toStdString();
    Finish(Outcome::kCannotOpen);
    return;
  }
  serial_->clear(QSerialPort::AllDirections);
  connect(serial_.get(), &QSerialPort::readyRead, this, [this] { OnBytes(); });
  Send(protocol::kEchoCheck);
}

void PortProbe::Send(int order) {
  order_ = order;
  reply_.clear();
  const std::vector<uint8_t> frame = protocol::EncodeRequest(order, words_);
  serial_->write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
  limit_.start(static_cast<int>(protocol::ReplyLimit(order) * 1000.0));
}

void PortProbe::OnBytes() {
  if (Done()) return;
  const QByteArray bytes = serial_->readAll();
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
  if (!serial_) return;
  disconnect(serial_.get(), nullptr, this, nullptr);
  serial_->close();
}

void PortProbe::Finish(Outcome outcome) {
  limit_.stop();
  result_.outcome = outcome;
  if (serial_) {
    disconnect(serial_.get(), nullptr, this, nullptr);
    serial_->close();
  }
  emit finished();
}

}  // namespace ports
