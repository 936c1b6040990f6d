#include "runtime/serial/net_return_watch.h"

#include <QTcpSocket>

#include "runtime/serial/device_return.h"
#include "runtime/serial/net_link.h"

NetReturnWatch::NetReturnWatch(int port) : port_(port) {
  tryTimer_.setInterval(kNetReturnTryMs);
  QObject::connect(&tryTimer_, &QTimer::timeout, &tryTimer_, [this] { Try(); });
  steadyTimer_.setSingleShot(true);
  steadyTimer_.setInterval(kNetReturnSteadyMs);
  QObject::connect(&steadyTimer_, &QTimer::timeout, &steadyTimer_, [this] { Steady(); });
}

NetReturnWatch::~NetReturnWatch() {
  Cancel();
}

void NetReturnWatch::NoteNotification(ComCallbackPtr fn, void* data) {
  if (fn == nullptr) return;
  lastFn_ = fn;
  lastData_ = data;
}

void NetReturnWatch::Start(const netport::PortUrl& url, ComCallbackPtr fn, void* data) {
  Cancel();
  fn_ = fn != nullptr ? fn : lastFn_;
  data_ = fn != nullptr ? data : lastData_;
  if (fn_ == nullptr) return;  // nobody to tell
  url_ = url;
  tryTimer_.start();
}

void NetReturnWatch::Cancel() {
  tryTimer_.stop();
  steadyTimer_.stop();
  DropProbe();
  ForgetDeviceReturns(this);
  fn_ = nullptr;
  data_ = nullptr;
}

void NetReturnWatch::DropProbe() {
  if (!probe_) return;
  QObject::disconnect(probe_.get(), nullptr, &tryTimer_, nullptr);
  probe_->abort();
  probe_.release()->deleteLater();  // this may run inside one of its signals
}

// One try at a time: a try still connecting (a slow name lookup, a host that
// does not answer) is left to finish or to fail, up to its limit.
void NetReturnWatch::Try() {
  if (probe_ && probeAge_.elapsed() < kNetReturnTryLimitMs) return;
  DropProbe();
  probeAge_.start();
  probe_ = std::make_unique<QTcpSocket>();
  QObject::connect(probe_.get(), &QTcpSocket::connected, &tryTimer_, [this] {
    tryTimer_.stop();
    steadyTimer_.start();
  });
  // Refused, unknown, or dropped at once: not back; the next try follows.
  QObject::connect(probe_.get(), &QTcpSocket::errorOccurred, &tryTimer_, [this] {
    steadyTimer_.stop();
    DropProbe();
    if (fn_ != nullptr && !tryTimer_.isActive()) tryTimer_.start();
  });
  probe_->connectToHost(QString::fromStdString(url_.host), url_.port);
}

void NetReturnWatch::Steady() {
  if (!probe_ || probe_->state() != QAbstractSocket::ConnectedState) return;
  QObject::disconnect(probe_.get(), nullptr, &tryTimer_, nullptr);
  TuneNetSocket(*probe_);
  ParkReturnedConnection(url_, std::move(probe_));
  QueueDeviceReturn(this, [this] { Deliver(); });
}

void NetReturnWatch::Deliver() {
  const ComCallbackPtr fn = fn_;
  void* const data = data_;
  // Forgotten first: the notification opens the port again, which cancels.
  fn_ = nullptr;
  data_ = nullptr;
  if (fn != nullptr) fn(port_, COM_EVENT_DEVICE_BACK, data);
}
