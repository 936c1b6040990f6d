#include "runtime/serial/net_channel.h"

#include <QByteArray>
#include <QEventLoop>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cstring>

#include "runtime/engine/wait_core.h"
#include "runtime/serial/serial_report_sink.h"
#include "runtime/serial/tap_records.h"

namespace {

// As a local port: a look at an unchanged input queue sleeps on the socket
// this long, so that a raw poll without events does not spin a core.
constexpr int kQuietQueueWaitMs = 3;

netport::LineSettings LineOf(const SerialSettings& settings) {
  netport::LineSettings line;
  line.baudRate = static_cast<uint32_t>(settings.baudRate);
  line.dataSize = static_cast<uint8_t>(settings.dataBits);
  line.parity = static_cast<uint8_t>(settings.parity == 1 ? 2 : settings.parity == 2 ? 3 : 1);
  line.stopSize = static_cast<uint8_t>(settings.stopBits);
  return line;
}

// Milliseconds left of a limit counted from construction; 0 once passed.
class MsLeft {
 public:
  explicit MsLeft(double seconds)
      : end_(Clock::now() + std::chrono::milliseconds(
                                static_cast<long long>(std::max(0.0, seconds) * 1000.0 + 0.5))) {}
  int operator()() const {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<long long>(left, 2000000000LL)) : 0;
  }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point end_;
};

}  // namespace

NetChannel::NetChannel(int port) : port_(port), context_(std::make_unique<QObject>()) {}

NetChannel::~NetChannel() {
  Close();
}

void NetChannel::Report(const char* what, const std::string& reason) const {
  // A spare port's user (the sensor search) shows its own outcome.
  if (port_ >= COM_SPARE_FIRST) return;
  ReportSerial(port_, device_.c_str(), what, reason.c_str());
}

int NetChannel::Open(const std::string& device, const SerialSettings& settings) {
  Close();
  device_ = device;
  std::string reason;
  if (!netport::ParsePortUrl(device, &url_, &reason)) {
    Report("cannot open", reason);
    return RS232_NO_SERIAL_PORT;
  }
  settings_ = settings;
  // Claimed before the server is reached: a second program must not disturb
  // the first one's connection.
  if (!lock_.Take(url_, &reason)) {
    Report("cannot open", reason);
    return RS232_CANNOT_OPEN_PORT;
  }
  if (const int code = Connect(); code != 0) {
    lock_.Release();
    return code;
  }
  ++openings_;
  timeoutSeconds_ = 10.0;
  vanished_ = false;
  vanishReason_.clear();
  errorReports_ = 0;
  lineErrorsReported_ = 0;
  tapped_ = 0;
  TapSerial(port_, SerialTapKind::kOpened, nullptr, 0, 0, device_.c_str());
  return 0;
}

// Waits for the connection in an event loop of its own: paints and timers go
// on, the operator's input waits until the open has ended.
int NetChannel::Connect() {
  auto link = std::make_unique<NetLink>();
  bool settled = false;
  int result = 0;
  std::string reason;
  QEventLoop loop;
  link->Start(url_, LineOf(settings_), kNetOpenSeconds, [&](int code, const std::string& why) {
    settled = true;
    result = code;
    reason = why;
    loop.quit();
  });
  if (!settled) loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (!settled) {
    // The application is ending and ended every event loop.
    link.reset();
    Report("cannot open", "the program is ending");
    return RS232_UNKNOWN_SYSTEM_ERROR;
  }
  if (result != 0) {
    Report("cannot open", reason);
    return result;
  }
  link_ = std::move(link);
  link_->onArrived = [this] { OnArrived(); };
  link_->onLost = [this](const std::string& why) { OnLost(why); };
  // A fresh connection starts empty: whatever came with it belongs to before.
  link_->Pull();
  link_->Input().clear();
  return 0;
}

void NetChannel::Close() {
  suspended_ = false;
  Shut(SerialTapKind::kClosed);
}

void NetChannel::Shut(SerialTapKind how) {
  ++closings_;
  returnWatch_.Cancel();
  if (link_) {
    link_->Close();
    link_.reset();
    TapSerial(port_, how, nullptr, 0, 0, how == SerialTapKind::kLost ? vanishReason_.c_str() : "");
  }
  // A lost port keeps its claim while it watches for the server's return.
  if (how == SerialTapKind::kClosed) lock_.Release();
  tapped_ = 0;
  notify_.Forget();
}

int NetChannel::Suspend() {
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  const ComNotification::Installed kept = notify_.installed;
  Shut(SerialTapKind::kClosed);
  notify_.installed = kept;
  suspended_ = true;
  return 0;
}

int NetChannel::Resume() {
  if (!suspended_) return RS232_PORT_NOT_OPEN;
  const double timeout = timeoutSeconds_;
  const ComNotification::Installed kept = notify_.installed;
  const int code = Open(device_, settings_);  // Open's Close ends the suspension
  if (code != 0) {
    notify_.installed = kept;
    suspended_ = true;
    return code;
  }
  timeoutSeconds_ = timeout;
  if (kept.fn != nullptr && kept.mask != 0)
    InstallNotification(kept.mask, kept.notifyCount, kept.eventChar, kept.fn, kept.data);
  return 0;
}

bool NetChannel::Usable() {
  if (vanished_) CloseVanished();
  return link_ != nullptr && link_->Ready();
}

int NetChannel::SetHardwareHandshake(bool on) {
  if (!on) return 0;
  Report("cannot set handshake", "a network port's handshake is set at its server");
  return RS232_IO_ERROR;
}

void NetChannel::InstallNotification(int mask, int notifyCount, int eventChar, ComCallbackPtr fn,
                                     void* data) {
  notify_.Install(mask, notifyCount, eventChar, fn, data);
  const ComNotification::Installed& now = notify_.installed;
  returnWatch_.NoteNotification(now.fn, now.data);
  // What is queued now is not news to the new notification.
  if (link_ && !vanished_) link_->Pull();
  notify_.examined = link_ ? link_->Input().size() : 0;
  if (now.mask == 0) {
    TapSerial(port_, SerialTapKind::kNotifyRemoved);
  } else {
    TapSerial(port_, SerialTapKind::kNotifyInstalled, nullptr, 0, now.mask);
  }
}

// ---- From the link's slots: note and queue, never call out ------------------------

void NetChannel::OnArrived() {
  TapArrivals();
  ScheduleCheck();
  if (link_ && link_->LineErrorNotices() > lineErrorsReported_) {
    lineErrorsReported_ = link_->LineErrorNotices();
    Report("line error", "the server reports framing, parity, overrun or break on the line");
  }
}

void NetChannel::OnLost(const std::string& why) {
  ++errorReports_;
  if (vanished_) return;
  vanished_ = true;
  vanishReason_ = why;
  // Closed from the event loop (or the next operation): this runs inside one
  // of the socket's signals.
  const unsigned long opening = openings_;
  QMetaObject::invokeMethod(
      context_.get(),
      [this, opening] {
        if (opening == openings_) CloseVanished();
      },
      Qt::QueuedConnection);
}

void NetChannel::CloseVanished() {
  if (!link_ || !vanished_) return;
  Report("connection lost, port closed", vanishReason_);
  const ComCallbackPtr fn = notify_.installed.fn;
  void* const data = notify_.installed.data;
  Shut(SerialTapKind::kLost);
  returnWatch_.Start(url_, fn, data);
  if (fn == nullptr) return;
  const unsigned long closing = closings_;
  QMetaObject::invokeMethod(
      context_.get(),
      [this, fn, data, closing] {
        if (closing == closings_) fn(port_, COM_EVENT_ERROR, data);
      },
      Qt::QueuedConnection);
}

void NetChannel::ScheduleCheck() {
  if (checkPending_) return;
  checkPending_ = true;
  QMetaObject::invokeMethod(
      context_.get(), [this] { RunCheck(); }, Qt::QueuedConnection);
}

// Runs from the event loop only: the one place the notification function is
// called.
void NetChannel::RunCheck() {
  checkPending_ = false;
  if (!link_ || vanished_) return;
  if (notify_.Deferred()) return;
  const QByteArray& input = link_->Input();
  const int events = notify_.TakeEvents(input.size(), [&](qint64 from, qint64) {
    return input.indexOf(static_cast<char>(notify_.installed.eventChar),
                         static_cast<qsizetype>(from)) >= 0;
  });
  if (events != 0 && notify_.Call(port_, events)) ScheduleCheck();
}

// Bytes are shown to the tap when they are taken in, whoever reads them later.
void NetChannel::TapArrivals() {
  if (!link_) return;
  const QByteArray& input = link_->Input();
  const qint64 queued = input.size();
  if (!SerialTapOn() || queued <= tapped_) {
    tapped_ = queued;
    return;
  }
  TapSerial(port_, SerialTapKind::kReceived,
            reinterpret_cast<const uint8_t*>(input.constData()) + tapped_,
            static_cast<int>(queued - tapped_));
  tapped_ = queued;
}

void NetChannel::Forget(qint64 taken) {
  notify_.Taken(taken);
  tapped_ = std::max<qint64>(0, tapped_ - taken);
  lastQueueLength_ = -1;
}

// ---- Operations --------------------------------------------------------------------------

int NetChannel::Write(const char* data, int count) {
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  if (count <= 0) return 0;
  const int sent = link_->Send(data, count, MsLeft(timeoutSeconds_)());
  if (sent == RS232_PORT_NOT_OPEN) return Usable() ? RS232_IO_ERROR : RS232_PORT_NOT_OPEN;
  if (sent < 0) return sent;
  TapSerial(port_, SerialTapKind::kSent, reinterpret_cast<const uint8_t*>(data), sent);
  notify_.txDrained = true;
  ScheduleCheck();
  return sent;
}

int NetChannel::Read(char* data, int count) {
  ForgetWaitDeadline();
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  if (count <= 0) return 0;
  const MsLeft left(timeoutSeconds_);
  link_->Pull();
  TapArrivals();
  while (Usable() && link_->Input().size() < count) {
    const int ms = left();
    if (ms == 0) break;
    link_->WaitForMore(ms);
    if (link_) TapArrivals();
  }
  // Out of time or not, what came is handed over.
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  QByteArray& input = link_->Input();
  const int got = static_cast<int>(std::min<qint64>(count, input.size()));
  std::memcpy(data, input.constData(), static_cast<size_t>(got));
  input.remove(0, got);
  Forget(got);
  return got;
}

int NetChannel::InputQueueLength() {
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  link_->Pull();
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  TapArrivals();
  const long rounds = TheWaitCore().eventRounds;
  const bool eventsBetween = rounds != roundsAtLastLook_;
  roundsAtLastLook_ = rounds;
  qint64 queued = link_->Input().size();
  if (queued == lastQueueLength_ && !eventsBetween) {
    link_->WaitForMore(kQuietQueueWaitMs);
    if (!Usable()) return RS232_PORT_NOT_OPEN;
    TapArrivals();
    queued = link_->Input().size();
  }
  lastQueueLength_ = queued;
  return static_cast<int>(std::min<qint64>(queued, INT32_MAX));
}

int NetChannel::FlushInput() {
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  // What the OS holds is part of the queue: taken in, then discarded with it.
  link_->Pull();
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  TapArrivals();
  QByteArray& input = link_->Input();
  TapSerial(port_, SerialTapKind::kInputFlushed,
            reinterpret_cast<const uint8_t*>(input.constData()), static_cast<int>(input.size()));
  input.clear();
  notify_.examined = 0;
  tapped_ = 0;
  lastQueueLength_ = -1;
  link_->Purge(netport::kPurgeReceive);
  return 0;
}

int NetChannel::FlushOutput() {
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  // Every write has left before it returned: only the server may still hold
  // bytes for the line.
  link_->Purge(netport::kPurgeTransmit);
  TapSerial(port_, SerialTapKind::kOutputFlushed, nullptr, 0, 0);
  return 0;
}
