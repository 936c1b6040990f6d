#include "runtime/serial/serial_channel.h"

#include "runtime/engine/wait_core.h"
#include "runtime/serial/serial_os.h"
#include "runtime/serial/serial_report_sink.h"
#include "runtime/serial/tap_records.h"

#include <QByteArray>
#include <QMetaObject>
#include <QObject>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>

SerialChannelSeams g_serialChannelSeams;

namespace {

// How long a look at an unchanged input queue may sleep on the device. A raw
// poll without events (the firmware query) otherwise spins: 94 % of a core
// measured with no sleep, about 1 % with this one.
constexpr int kQuietQueueWaitMs = 3;

// How long past the moment the rest of a frame could have come a hold lasts:
// a UART's receive FIFO hands over what it has after about four quiet
// character times; the millisecond covers the timer's own granularity.
constexpr double kQuietCharacters = 4.0;
constexpr double kHoldSlackSeconds = 0.001;

// The port is watched again this many character times before a reply can
// first be whole, so the timer's granularity never makes it late.
constexpr double kWatchedCharacters = 2.0;
// Shorter quiet times than this (a fast line) are not worth a timer.
constexpr double kShortestQuietSeconds = 0.002;
// A reply that took at least this share of its line time kept the line's pace.
constexpr double kPacedShare = 0.9;

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A time limit counted from construction.
class Deadline {
 public:
  explicit Deadline(double seconds)
      : end_(Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                std::chrono::duration<double>(std::max(0.0, seconds)))) {}
  // Whole milliseconds left, rounded up so a short remainder is still waited
  // for; 0 once the limit has passed.
  int MillisecondsLeft() const {
    const double left = std::chrono::duration<double, std::milli>(end_ - Clock::now()).count();
    if (left <= 0.0) return 0;
    return static_cast<int>(std::min(std::ceil(left), 2.0e9));
  }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point end_;
};

QSerialPort::Parity ToQtParity(int parity) {
  if (parity == 1) return QSerialPort::OddParity;
  if (parity == 2) return QSerialPort::EvenParity;
  return QSerialPort::NoParity;
}

// Errors that mean the device itself is gone or broken for good: a USB adapter
// pulled out, the far side of a pseudo-terminal closed (its reads then return
// nothing or EIO forever).
bool IsLossOfDevice(QSerialPort::SerialPortError error) {
  return error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
         error == QSerialPort::ResourceError;
}

// Whether a setting failed for a reason that matters. Pseudo-terminals refuse
// the modem-line ioctls (ENOTTY, reported as an unsupported operation); the
// port works regardless.
bool SettingFailed(bool ok, const QSerialPort& serial) {
  return !ok && serial.error() != QSerialPort::UnsupportedOperationError &&
         serial.error() != QSerialPort::NoError;
}

// The frame hold changes when the port's own read notifier fires, which is
// sound only for Qt's serial port as we know it: exactly one read notifier,
// on, watching the port's handle. Returns it, or null with the reason.
QSocketNotifier* PortReadNotifier(const QSerialPort& serial, std::string* reason) {
  QSocketNotifier* found = nullptr;
  int count = 0;
  for (QSocketNotifier* notifier : serial.findChildren<QSocketNotifier*>()) {
    if (notifier->type() != QSocketNotifier::Read) continue;
    found = notifier;
    ++count;
  }
  if (count != 1) {
    *reason = std::to_string(count) + " read notifiers on the port";
    return nullptr;
  }
  if (!found->isEnabled()) {
    *reason = "the port's read notifier is off";
    return nullptr;
  }
  // A functional cast: the handle is a descriptor on Unix, a pointer elsewhere.
  if (found->socket() != qintptr(serial.handle())) {
    *reason = "the port's read notifier watches another handle";
    return nullptr;
  }
  return found;
}

int MapOpenError(QSerialPort::SerialPortError error) {
  switch (error) {
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::UnsupportedOperationError:  // a device that is not a terminal
      return RS232_NO_SERIAL_PORT;
    case QSerialPort::PermissionError:  // access denied, or in use (busy or locked)
    case QSerialPort::OpenError:
      return RS232_CANNOT_OPEN_PORT;
    default:
      return RS232_UNKNOWN_SYSTEM_ERROR;
  }
}

}  // namespace

SerialChannel::SerialChannel(int port)
    : port_(port),
      context_(std::make_unique<QObject>()),
      holdTimer_(std::make_unique<QTimer>()),
      quietTimer_(std::make_unique<QTimer>()) {
  for (QTimer* timer : {holdTimer_.get(), quietTimer_.get()}) {
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
  }
  QObject::connect(holdTimer_.get(), &QTimer::timeout, context_.get(), [this] { ReleaseHold(); });
  QObject::connect(quietTimer_.get(), &QTimer::timeout, context_.get(), [this] { EndQuiet(); });
}

SerialChannel::~SerialChannel() {
  Close();
}

void SerialChannel::Report(const std::string& device, const char* what,
                           const std::string& reason) const {
  // A spare port's user (the sensor search) shows its own outcome.
  if (port_ >= COM_SPARE_FIRST) return;
  ReportSerial(port_, device.c_str(), what, reason.c_str());
}

int SerialChannel::Open(const std::string& name, const SerialSettings& settings) {
  Close();
  const std::string device = SerialDevicePath(name);
  std::string reason;
  if (const int code = CheckSerialDevice(device, &reason); code != 0) {
    Report(device, "cannot open", reason);
    return code;
  }
  auto serial = std::make_unique<QSerialPort>();
  serial->setPortName(QString::fromLocal8Bit(device.c_str()));
  if (!serial->open(QIODevice::ReadWrite)) {
    // Refused by QSerialPort's lock file (named after the path) although this
    // user may open the device: another program holds it.
    const bool locked =
        serial->error() == QSerialPort::PermissionError && !SerialDeviceAccessDenied(device);
    Report(device, "cannot open",
           locked ? "busy: the device is open in another program (its lock file is taken)"
                  : serial->errorString().toStdString());
    return MapOpenError(serial->error());
  }
  if (!SerialOsClaimDevice(static_cast<long long>(serial->handle()))) {
    Report(device, "cannot open", "busy: the device is open in another port or program");
    serial->close();
    return RS232_CANNOT_OPEN_PORT;
  }
  serial->clearError();
  const bool configured =
      !SettingFailed(serial->setBaudRate(static_cast<qint32>(settings.baudRate)), *serial) &&
      !SettingFailed(serial->setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)),
                     *serial) &&
      !SettingFailed(serial->setParity(ToQtParity(settings.parity)), *serial) &&
      !SettingFailed(
          serial->setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop),
          *serial) &&
      !SettingFailed(serial->setFlowControl(QSerialPort::NoFlowControl), *serial);
  if (!configured) {
    Report(device, "cannot configure", serial->errorString().toStdString());
    serial->close();
    return RS232_IO_ERROR;
  }
  // Raise DTR and RTS as a terminal would; some cables and adapters expect
  // them. A pseudo-terminal has no modem lines and refuses; that is ignored.
  serial->setDataTerminalReady(true);
  serial->setRequestToSend(true);
  serial->clearError();
  SerialOsAskLowLatency(*serial);

  QObject::connect(serial.get(), &QSerialPort::readyRead, context_.get(),
                   [this] { OnReadyRead(); });
  QObject::connect(serial.get(), &QSerialPort::bytesWritten, context_.get(),
                   [this] { OnBytesWritten(); });
  QObject::connect(serial.get(), &QSerialPort::errorOccurred, context_.get(),
                   [this](QSerialPort::SerialPortError e) { OnError(e); });
  serial_ = std::move(serial);
  if (g_serialChannelSeams.opened != nullptr) g_serialChannelSeams.opened(*serial_);
  readNotifier_ = nullptr;
  if (SerialOsCountsInput() && !g_serialChannelSeams.portable) {
    readNotifier_ = PortReadNotifier(*serial_, &reason);
    if (!readNotifier_) Report(device, "frames not held", reason);
  }
  const int bits = 1 + settings.dataBits + (settings.parity != 0 ? 1 : 0) + settings.stopBits;
  byteSeconds_ = settings.baudRate > 0 ? bits / static_cast<double>(settings.baudRate) : 0.0;
  ++openings_;
  device_ = device;
  identity_ = SerialDeviceIdentityOf(device);
  settings_ = settings;
  timeoutSeconds_ = 10.0;
  hardwareHandshake_ = false;
  vanished_ = false;
  vanishReason_.clear();
  errorReports_ = 0;
  linePaced_ = false;  // judged anew for each device
  requestSentAt_ = -1;
  tapped_ = serial_->bytesAvailable();
  TapSerial(port_, SerialTapKind::kOpened, nullptr, 0, 0, device_.c_str());
  return 0;
}

void SerialChannel::Close() {
  suspended_ = false;
  Shut(SerialTapKind::kClosed);
}

SerialChannel::Kept SerialChannel::Keep() const {
  return {device_, timeoutSeconds_, hardwareHandshake_, notify_.installed};
}

void SerialChannel::PutBack(const Kept& kept) {
  device_ = kept.device;
  timeoutSeconds_ = kept.timeout;
  hardwareHandshake_ = kept.handshake;
  notify_.installed = kept.notification;
}

int SerialChannel::Suspend() {
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  const Kept kept = Keep();
  Shut(SerialTapKind::kClosed);
  // Shut forgets the notification; a suspended port keeps it for Resume.
  PutBack(kept);
  suspended_ = true;
  return 0;
}

int SerialChannel::Resume() {
  if (!suspended_) return RS232_PORT_NOT_OPEN;
  const Kept kept = Keep();
  const int code = Open(kept.device, settings_);  // Open's Close ends the suspension
  if (code != 0) {
    PutBack(kept);
    suspended_ = true;
    return code;
  }
  timeoutSeconds_ = kept.timeout;
  if (kept.handshake) SetHardwareHandshake(true);
  const ComNotification::Installed& n = kept.notification;
  if (n.fn != nullptr && n.mask != 0)
    InstallNotification(n.mask, n.notifyCount, n.eventChar, n.fn, n.data);
  return 0;
}

void SerialChannel::Shut(SerialTapKind how) {
  ++closings_;
  returnWatch_.Cancel();
  ReleaseHold();
  readNotifier_ = nullptr;
  if (serial_) {
    // Disconnect first: closing emits nothing we want to act on.
    QObject::disconnect(serial_.get(), nullptr, context_.get(), nullptr);
    serial_->close();
    serial_.reset();
    TapSerial(port_, how, nullptr, 0, 0, how == SerialTapKind::kLost ? vanishReason_.c_str() : "");
  }
  tapped_ = 0;
  notify_.Forget();
}

bool SerialChannel::Usable() {
  if (vanished_) CloseVanished();
  return serial_ != nullptr;
}

void SerialChannel::CloseVanished() {
  if (!serial_ || !vanished_) return;
  Report(device_, "device lost, port closed", vanishReason_);
  const ComCallbackPtr fn = notify_.installed.fn;
  void* const data = notify_.installed.data;
  Shut(SerialTapKind::kLost);
  returnWatch_.Start(device_, identity_, fn, data);
  if (fn == nullptr) return;
  // Tell the program once, from the event loop: this may run inside an
  // operation, and operations never run the notification. A port closed or
  // opened again before then has nothing more to hear of this loss.
  const unsigned long closing = closings_;
  QMetaObject::invokeMethod(
      context_.get(),
      [this, fn, data, closing] {
        if (closing == closings_) fn(port_, COM_EVENT_ERROR, data);
      },
      Qt::QueuedConnection);
}

int SerialChannel::SetHardwareHandshake(bool on) {
  serial_->clearError();
  const bool ok =
      serial_->setFlowControl(on ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
  if (SettingFailed(ok, *serial_)) {
    Report(device_, "cannot set handshake", serial_->errorString().toStdString());
    return RS232_IO_ERROR;
  }
  serial_->clearError();
  hardwareHandshake_ = on;
  return 0;
}

void SerialChannel::InstallNotification(int mask, int notifyCount, int eventChar, ComCallbackPtr fn,
                                        void* data) {
  notify_.Install(mask, notifyCount, eventChar, fn, data);
  const ComNotification::Installed& now = notify_.installed;
  returnWatch_.NoteNotification(now.fn, now.data);
  // What is queued now is not news to the new notification, including bytes
  // the OS still holds because the frame hold kept them there.
  ReleaseHold();
  if (serial_ && !vanished_) PullFromOs();
  notify_.examined = serial_ ? serial_->bytesAvailable() : 0;
  if (now.mask == 0) {
    TapSerial(port_, SerialTapKind::kNotifyRemoved);
  } else {
    TapSerial(port_, SerialTapKind::kNotifyInstalled, nullptr, 0, now.mask);
  }
}

// ---- Slots: note and queue, never call out --------------------------------------

void SerialChannel::OnReadyRead() {
  TapArrivals();
  ScheduleCheck();
  JudgeLinePace();
  HoldForRestOfFrame();
}

// Whether the reply to the last request came at the line's pace: no sooner
// than its bytes and the request's could cross the line at the set baud rate.
// A real line always does; a pseudo-terminal that answers at once does not.
void SerialChannel::JudgeLinePace() {
  if (requestSentAt_ < 0 || !serial_ || serial_->bytesAvailable() < notify_.installed.notifyCount)
    return;
  const double lineTime =
      static_cast<double>(requestBytes_ + notify_.installed.notifyCount) * byteSeconds_;
  linePaced_ = SteadySeconds() - requestSentAt_ >= kPacedShare * lineTime;
  requestSentAt_ = -1;
}

// A line paced at 19200 baud brings a frame a byte at a time, and the kernel
// wakes a reader for each one: 36 wake-ups a frame for a loop that waits for
// the whole. Once part of a frame is in, the OS is asked to report input only
// when the rest is there (its minimum count), so the frame wakes the program
// once, as soon as it is complete, however fast it comes. The bytes wait in
// the OS queue meanwhile, which GetInQLen still counts. A frame that stops
// short is taken in a few character times after the rest could have come.
// A whole frame leaves the count in place for those few character times: the
// next request, written at once by a loop, needs the same count again, and
// each change of it costs the terminal's settings being read and written.
// On the portable path every chunk wakes the program.
void SerialChannel::HoldForRestOfFrame() {
  const qint64 missing = notify_.installed.notifyCount - (serial_ ? serial_->bytesAvailable() : 0);
  if (missing <= 0 && wakeCount_ > 0) {
    holdTimer_->start(static_cast<int>(
        std::ceil((kQuietCharacters * byteSeconds_ + kHoldSlackSeconds) * 1000.0)));
    return;
  }
  const double earliest = static_cast<double>(missing) * byteSeconds_;
  Hold(missing, earliest);
  if (wakeCount_ > 0) QuietUntil(earliest);
}

// A request just went out: its reply can wake the program once, too. The
// earliest it can be whole counts the request's own time on the line before
// the reply's; a sensor slower than that costs one wake-up more.
// While the tap listens, the reply's first byte is taken in when it comes
// instead: the time it is shown with is the sensor's response time. The rest
// of the frame is held from there.
void SerialChannel::HoldForReply(int requestBytes) {
  const qint64 there = serial_->bytesAvailable() + OsQueueLength();
  const qint64 missing = notify_.installed.notifyCount - there;
  const bool timeFirstByte = SerialTapOn() && there == 0;
  const double earliest =
      static_cast<double>(requestBytes + (timeFirstByte ? 1 : missing)) * byteSeconds_;
  if (timeFirstByte) {
    ReleaseHold();
  } else {
    Hold(missing, earliest);
  }
  requestSentAt_ = SteadySeconds();
  requestBytes_ = requestBytes;
  if (missing == notify_.installed.notifyCount && (timeFirstByte || wakeCount_ > 0))
    QuietUntil(earliest);
}

// Even with the minimum count the kernel looks at a waiting poll for every
// byte that comes, which on a paced line is a task switch per byte. On a line
// seen to keep its pace the port is therefore not watched at all until
// shortly before the awaited bytes can first be there, `seconds` from now.
void SerialChannel::QuietUntil(double seconds) {
  const double quiet = seconds - kWatchedCharacters * byteSeconds_;
  if (!linePaced_ || !readNotifier_ || quiet < kShortestQuietSeconds) return;
  readNotifier_->setEnabled(false);
  quietTimer_->start(static_cast<int>(std::floor(quiet * 1000.0)));
}

// `seconds`: the earliest the missing bytes can all be there on a paced line.
void SerialChannel::Hold(qint64 missing, double seconds) {
  if (!readNotifier_ || !serial_ || vanished_ || notify_.installed.fn == nullptr ||
      !(notify_.installed.mask & COM_EVENT_RECEIVE) || byteSeconds_ <= 0.0 || missing <= 1) {
    ReleaseHold();
    return;
  }
  const int count = static_cast<int>(std::min<qint64>(missing, 255));
  if (count != wakeCount_) {
    if (!SerialOsWakeAtCount(*serial_, count)) {
      ReleaseHold();
      return;
    }
    wakeCount_ = count;
  }
  const double limit = seconds + kQuietCharacters * byteSeconds_ + kHoldSlackSeconds;
  holdTimer_->start(static_cast<int>(std::ceil(limit * 1000.0)));
}

// The port is watched again. A reply already whole by now came faster than
// the line could carry it: the line does not keep its pace (a pseudo-terminal
// answering at once), and the next reply is watched from the start.
void SerialChannel::EndQuiet() {
  quietTimer_->stop();
  if (!readNotifier_ || readNotifier_->isEnabled()) return;
  if (serial_ && serial_->bytesAvailable() + OsQueueLength() >= notify_.installed.notifyCount) {
    linePaced_ = false;
    requestSentAt_ = -1;  // when it came is not known: nothing to judge by
  }
  readNotifier_->setEnabled(true);
}

void SerialChannel::ReleaseHold() {
  holdTimer_->stop();
  EndQuiet();
  if (wakeCount_ == 0) return;
  wakeCount_ = 0;
  if (serial_) SerialOsWakeAtCount(*serial_, 0);
}

void SerialChannel::OnBytesWritten() {
  if (serial_ && serial_->bytesToWrite() == 0) {
    notify_.txDrained = true;
    ScheduleCheck();
  }
}

void SerialChannel::OnError(QSerialPort::SerialPortError error) {
  // Time-outs come from the engine's own short polls and mean "nothing yet".
  if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError) return;
  ++errorReports_;
  if (!IsLossOfDevice(error) || vanished_) return;
  vanished_ = true;
  // A hung-up terminal reads as end of data, and the error text then carries a
  // stale errno; name the kind of failure first so the line is not misleading.
  const std::string detail = serial_ ? serial_->errorString().toStdString() : "";
  if (error == QSerialPort::ReadError) {
    vanishReason_ = "read failed, line hung up (" + detail + ")";
  } else if (error == QSerialPort::WriteError) {
    vanishReason_ = "write failed (" + detail + ")";
  } else {
    vanishReason_ = "device disappeared (" + detail + ")";
  }
  // Closing here would delete the port's notifiers from inside their own
  // handler; close from the event loop instead (or from the next operation,
  // whichever comes first). Until then the port only reports the same error
  // again, which is ignored above.
  // The port may have been closed and opened again before this runs; only the
  // opening that lost its device is closed.
  const unsigned long opening = openings_;
  QMetaObject::invokeMethod(
      context_.get(),
      [this, opening] {
        if (opening == openings_) CloseVanished();
      },
      Qt::QueuedConnection);
}

void SerialChannel::ScheduleCheck() {
  if (checkPending_) return;
  checkPending_ = true;
  QMetaObject::invokeMethod(
      context_.get(), [this] { RunCheck(); }, Qt::QueuedConnection);
}

// Runs from the event loop only: the one place the notification function is
// called.
void SerialChannel::RunCheck() {
  checkPending_ = false;
  if (!serial_ || vanished_) return;
  if (notify_.Deferred()) return;
  const int events = notify_.TakeEvents(serial_->bytesAvailable(), [&](qint64 from, qint64 to) {
    return serial_->peek(to).mid(from).contains(static_cast<char>(notify_.installed.eventChar));
  });
  if (events != 0 && notify_.Call(port_, events)) ScheduleCheck();
}

// Every byte enters the port's buffer through a readyRead (from the event loop
// or from inside a wait of ours), so the tap sees each at the moment it is
// taken in, whoever reads it later.
void SerialChannel::TapArrivals() {
  if (!serial_) return;
  const qint64 queued = serial_->bytesAvailable();
  if (!SerialTapOn() || queued <= tapped_) {
    tapped_ = queued;
    return;
  }
  const QByteArray fresh = serial_->peek(queued).mid(tapped_);
  tapped_ = queued;
  TapSerial(port_, SerialTapKind::kReceived, reinterpret_cast<const uint8_t*>(fresh.constData()),
            static_cast<int>(fresh.size()));
}

// ---- Operations ---------------------------------------------------------------------

void SerialChannel::PullFromOs() {
  // A QSerialPort takes bytes in only when its notifier fires in the event
  // loop. Take in what the OS holds now; readyRead fired from here only queues
  // a check. Bounded so a device that never stops talking cannot hold us here.
  for (int i = 0; i < 64 && serial_ && !vanished_; ++i) {
    if (!serial_->waitForReadyRead(0)) break;
  }
  if (serial_) serial_->clearError();
}

// Bytes the OS holds that the port has not taken in yet; the portable path
// sees only what PullFromOs took in.
long SerialChannel::OsQueueLength() const {
  if (!serial_ || !readNotifier_) return 0;
  return SerialOsInputQueued(*serial_);
}

int SerialChannel::InputQueueLength() {
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  PullFromOs();
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  const long rounds = TheWaitCore().eventRounds;
  const bool eventsBetween = rounds != roundsAtLastLook_;
  roundsAtLastLook_ = rounds;
  qint64 queued = serial_->bytesAvailable() + OsQueueLength();
  if (queued == lastQueueLength_ && !eventsBetween) {
    // Nothing new since the last look, and no events processed in between:
    // a caller polling for a raw reply without the event loop would spin a
    // core. Sleep on the device until input is ready, a few milliseconds at
    // most, so its time-out is still seen in time. A caller that processes
    // events between looks already sleeps there.
    serial_->waitForReadyRead(kQuietQueueWaitMs);
    PullFromOs();
    if (!Usable()) return RS232_PORT_NOT_OPEN;
    queued = serial_->bytesAvailable() + OsQueueLength();
  }
  lastQueueLength_ = queued;
  return static_cast<int>(std::min<qint64>(queued, INT32_MAX));
}

int SerialChannel::Read(char* data, int count) {
  ForgetWaitDeadline();
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  if (count <= 0) return 0;
  const Deadline deadline(timeoutSeconds_);
  const auto missing = [&] {
    return count - static_cast<int>(std::min<qint64>(serial_->bytesAvailable(), count));
  };
  // Held bytes would not wake the waits below.
  if (missing() > 0) ReleaseHold();
  PullFromOs();
  while (Usable() && missing() > 0) {
    const int ms = deadline.MillisecondsLeft();
    if (ms == 0) break;
    serial_->clearError();
    serial_->waitForReadyRead(ms);
  }
  // Out of time or not, what came is handed over.
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  const qint64 got = serial_->read(data, count);
  if (got < 0) return RS232_IO_ERROR;
  notify_.Taken(got);
  tapped_ = std::max<qint64>(0, tapped_ - got);
  lastQueueLength_ = -1;
  return static_cast<int>(got);
}

int SerialChannel::Write(const char* data, int count) {
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  if (count <= 0) return 0;
  serial_->clearError();
  const qint64 queued = serial_->write(data, count);
  if (queued < 0) return Usable() ? RS232_IO_ERROR : RS232_PORT_NOT_OPEN;
  const Deadline deadline(timeoutSeconds_);
  while (Usable() && serial_->bytesToWrite() > 0) {
    serial_->clearError();
    if (serial_->waitForBytesWritten(deadline.MillisecondsLeft())) continue;
    if (!Usable()) break;
    // Not taken within the limit (handshake held off, or a refusal): drop the
    // rest rather than let half a frame trickle out later.
    const bool timedOut =
        serial_->error() == QSerialPort::TimeoutError || deadline.MillisecondsLeft() == 0;
    const qint64 gone = queued - serial_->bytesToWrite();
    if (gone > 0) {
      TapSerial(port_, SerialTapKind::kSent, reinterpret_cast<const uint8_t*>(data),
                static_cast<int>(gone));
    }
    serial_->clear(QSerialPort::Output);
    serial_->clearError();
    return timedOut ? RS232_TIMEOUT : RS232_IO_ERROR;
  }
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  TapSerial(port_, SerialTapKind::kSent, reinterpret_cast<const uint8_t*>(data),
            static_cast<int>(queued));
  HoldForReply(static_cast<int>(queued));
  return static_cast<int>(queued);
}

int SerialChannel::FlushInput() {
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  // A hold in place stays: with the queue empty its count is at most what the
  // next frame needs, so it can only report that frame early, never late.
  if (SerialTapOn()) {
    // What the flush throws away is shown, the bytes the OS holds included:
    // take those in first (on the assisted path only when it holds any, since
    // most flushes find nothing and the look costs a wait on the device).
    if (!readNotifier_ || OsQueueLength() > 0) {
      ReleaseHold();  // held bytes are not reported to the pull
      PullFromOs();
    }
    if (!Usable()) return RS232_PORT_NOT_OPEN;
    const qint64 queued = serial_->bytesAvailable();
    const QByteArray discarded = queued > 0 ? serial_->peek(queued) : QByteArray();
    TapSerial(port_, SerialTapKind::kInputFlushed,
              reinterpret_cast<const uint8_t*>(discarded.constData()),
              static_cast<int>(discarded.size()));
  }
  // clear() empties the port's own buffer and the OS queue (tcflush).
  serial_->clear(QSerialPort::Input);
  serial_->clearError();
  notify_.examined = 0;
  tapped_ = 0;
  lastQueueLength_ = -1;
  return 0;
}

int SerialChannel::FlushOutput() {
  if (!Usable()) return RS232_PORT_NOT_OPEN;
  const qint64 unsent = serial_->bytesToWrite();
  serial_->clear(QSerialPort::Output);
  serial_->clearError();
  TapSerial(port_, SerialTapKind::kOutputFlushed, nullptr, 0, static_cast<int>(unsent));
  return 0;
}
