#include "cli/qt/sensor_link.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cli/exit_codes.h"
#include "protocol/orders.h"
#include "protocol/raw_replies.h"
#include "runtime/event_wait.h"
#include "runtime/rs232.h"
#include "runtime/serial_reports.h"
#include "runtime/utility.h"

namespace cli {
namespace {

constexpr long kBaudRate = 19200;
constexpr int kQueueSize = 4096;
constexpr double kPortTimeout = 2.0;  // the port's own limit for a read or a write
constexpr int kBufferLength = 1024;   // the most a raw reply is read into
// One request's time on the line at 19200 baud, 10 bits a byte, and a little
// more: a write has left the wire by then and the port may close.
constexpr double kWriteOnLineSeconds = protocol::kFrameLength * 10.0 / kBaudRate + 0.005;

std::string g_lastReport;

void KeepReport(const SerialReport& report, void*) {
  g_lastReport = std::string(report.what) + ": " + report.reason;
}

void OnPortEvents(int /*port*/, int events, void* data) {
  static_cast<SensorLink*>(data)->OnEvents(events);
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", seconds);
  return text;
}

}  // namespace

void KeepSerialReports() {
  SetSerialReportSink(KeepReport, nullptr);
}

const std::string& LastSerialReport() {
  return g_lastReport;
}

SensorLink::SensorLink(double timeout) : timeout_(timeout) {}

SensorLink::~SensorLink() {
  if (number_ == 0) return;
  // A write just made must leave the wire before the port closes.
  if (writeOnLine_) {
    const double until = writtenAt_ + kWriteOnLineSeconds;
    SetWaitDeadline(until);
    while (Timer() < until) ProcessSystemEvents();
  }
  CloseCom(number_);
}

bool SensorLink::Fail(int status, const std::string& reason) {
  failureStatus_ = status;
  failure_ = label_ + ": " + reason;
  return false;
}

double SensorLink::Limit(int order) const {
  return timeout_ > 0.0 ? timeout_ : protocol::ReplyLimit(order);
}

void SensorLink::InstallNotification() {
  InstallComCallback(number_, COM_EVENT_RECEIVE, protocol::kFrameLength, protocol::kRequestSync,
                     OnPortEvents, this);
}

bool SensorLink::Open(const PortArgument& port) {
  port_ = port;
  const int number = port.number;
  if (!port.device.empty()) SetComPortDevice(number, port.device.c_str());
  device_ = ComPortDevice(number);
  label_ = PortLabel(port, device_);
  g_lastReport.clear();
  const int opened = OpenComConfig(number, "", kBaudRate, 0, 8, 1, kQueueSize, kQueueSize);
  if (opened < 0) {
    return Fail(kExitPort, g_lastReport.empty()
                               ? "cannot open (error " + std::to_string(opened) + ")"
                               : g_lastReport);
  }
  number_ = number;
  SetComTime(number_, kPortTimeout);
  FlushInQ(number_);
  FlushOutQ(number_);
  SetCTSMode(number_, 0);
  InstallNotification();
  return true;
}

void SensorLink::OnEvents(int events) {
  // The engine tells a lost device once, whatever the mask: the waits need
  // not ask the port at every round.
  if ((events & COM_EVENT_ERROR) != 0) lost_ = true;
  if ((events & COM_EVENT_RECEIVE) == 0) return;
  uint8_t frame[protocol::kFrameLength];
  const int got = ComRd(number_, reinterpret_cast<char*>(frame), protocol::kFrameLength);
  // Bytes behind the frame belong to no request.
  FlushInQ(number_);
  if (got != protocol::kFrameLength || awaited_ == 0 || received_ ||
      !protocol::ReplyAnswers(frame, awaited_)) {
    ++rejected_;
    return;
  }
  std::copy(frame, frame + protocol::kFrameLength, frame_.begin());
  received_ = true;
}

bool SensorLink::Gone() {
  if (!lost_ && GetInQLen(number_) == RS232_PORT_NOT_OPEN) lost_ = true;
  return lost_;
}

bool SensorLink::Send(int order, const protocol::Words& words) {
  const std::vector<uint8_t> request = protocol::EncodeRequest(order, words);
  const int written = ComWrt(number_, reinterpret_cast<const char*>(request.data()),
                             static_cast<int>(request.size()));
  if (written == protocol::kFrameLength) return true;
  if (Gone()) return Fail(kExitLine, "sensor lost: " + LastSerialReport());
  return Fail(kExitLine, "could not send " + protocol::OrderName(order) + " (error " +
                             std::to_string(written) + ")");
}

bool SensorLink::Exchange(int order, const protocol::Words& words, protocol::Words* reply) {
  FlushInQ(number_);
  // A write still on its way must reach the sensor: its output is not flushed.
  if (!writeOnLine_) FlushOutQ(number_);
  writeOnLine_ = false;
  received_ = false;
  rejected_ = 0;
  timedOut_ = false;
  awaited_ = order;
  if (!Send(order, words)) return false;
  const double start = Timer();
  const double limit = Limit(order);
  SetWaitDeadline(start + limit);
  for (;;) {
    ProcessSystemEvents();
    // A frame taken in during the last round counts, even at the limit.
    if (received_) break;
    if (TerminationRequested()) {
      interrupted_ = true;
      return false;
    }
    if (lost_) return Fail(kExitLine, "sensor lost: " + LastSerialReport());
    if (Timer() - start > limit) {
      // A loss is said as such, never as a time-out.
      if (Gone()) return Fail(kExitLine, "sensor lost: " + LastSerialReport());
      timedOut_ = true;
      std::string reason =
          "no answer to " + protocol::OrderName(order) + " within " + Seconds(limit);
      if (rejected_ > 0)
        reason += " (" + std::to_string(rejected_) + " frame" + (rejected_ > 1 ? "s" : "") +
                  " that answered nothing dropped)";
      return Fail(kExitLine, reason);
    }
  }
  awaited_ = 0;
  *reply = protocol::DecodeWords(frame_.data());
  return true;
}

bool SensorLink::CheckLine() {
  protocol::Words echo{};
  if (!Exchange(protocol::kEchoCheck, protocol::Words{}, &echo)) return false;
  const uint16_t sync = protocol::SyncOf(frame_.data());
  if (sync == protocol::kReplySync) return true;
  char text[96];
  std::snprintf(text, sizeof text,
                "the line check's reply starts with 0x%04X, not the reply sync 0x%04X", sync,
                protocol::kReplySync);
  return Fail(kExitLine, text);
}

bool SensorLink::Write(int order, const protocol::Words& words) {
  if (!Send(order, words)) return false;
  writeOnLine_ = true;
  writtenAt_ = Timer();
  return true;
}

bool SensorLink::ReadFirmware(std::string* text) {
  // The raw reply is read whole, not cut into frames by the notification.
  InstallComCallback(number_, 0, protocol::kFrameLength, protocol::kRequestSync, nullptr, nullptr);
  FlushInQ(number_);
  if (!writeOnLine_) FlushOutQ(number_);
  writeOnLine_ = false;
  const bool sent = Send(protocol::kFirmwareInfo, protocol::Words{});
  // Once the count is there the line must stay quiet a moment: bytes still
  // coming make the reply no firmware text (the program's rule).
  int waiting = 0, quietFrom = -1, quietLooks = 0;
  double quietStart = 0.0;
  const double start = Timer();
  const double limit = Limit(protocol::kFirmwareInfo);
  bool lost = false, late = false;
  while (sent) {
    waiting = GetInQLen(number_);
    if (waiting == RS232_PORT_NOT_OPEN) {
      lost = true;
      break;
    }
    if (Timer() - start > limit) {
      late = waiting < protocol::kFirmwareReplyLength;
      break;
    }
    if (waiting < protocol::kFirmwareReplyLength) continue;
    if (waiting != quietFrom) {
      quietFrom = waiting;
      quietStart = Timer();
      quietLooks = 0;
    } else if (++quietLooks >= protocol::kRawReplyQuietLooks ||
               Timer() - quietStart > protocol::kRawReplyQuiet) {
      break;
    }
  }
  char bytes[kBufferLength];
  const int got =
      sent && !lost && waiting > 0 ? ComRd(number_, bytes, std::min(waiting, kBufferLength)) : 0;
  if (!lost) {
    InstallNotification();
    FlushInQ(number_);
  }
  if (!sent) return false;
  if (lost || Gone()) return Fail(kExitLine, "sensor lost: " + LastSerialReport());
  if (late) {
    return Fail(kExitLine, "no firmware text within " + Seconds(limit) + " (" +
                               std::to_string(got) + " of " +
                               std::to_string(protocol::kFirmwareReplyLength) + " bytes came)");
  }
  const auto* raw = reinterpret_cast<const uint8_t*>(bytes);
  if (got != protocol::kFirmwareReplyLength || !protocol::IsFirmwareText(raw, got)) {
    return Fail(kExitLine, "the firmware reply is no firmware text (" + std::to_string(got) +
                               " bytes, " + std::to_string(protocol::kFirmwareReplyLength) +
                               " of text expected)");
  }
  text->assign(bytes, static_cast<size_t>(protocol::FirmwareTextLength(raw, got)));
  return true;
}

bool ReadCcd(SensorLink& link, uint16_t* pixels, uint16_t* type, uint16_t* resolution) {
  protocol::Words reply{};
  if (!link.Exchange(protocol::kCcdInfo, protocol::Words{}, &reply)) return false;
  *pixels = reply[1];
  if (type != nullptr) *type = reply[0];
  if (resolution != nullptr) *resolution = reply[2];
  return true;
}

}  // namespace cli
