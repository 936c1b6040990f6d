#include "runtime/serial/net_link.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QTcpSocket>
#include <chrono>
#include <cmath>
#include <map>
#include <vector>

#include "runtime/rs232.h"
#include "runtime/serial/serial_os.h"

namespace {

// How long a returned connection waits for the port to take it over.
constexpr int kParkedMs = 5000;

std::map<std::string, std::unique_ptr<QTcpSocket>>& Parked() {
  static std::map<std::string, std::unique_ptr<QTcpSocket>> parked;
  return parked;
}

std::unique_ptr<QTcpSocket> TakeParked(const netport::PortUrl& url) {
  auto& parked = Parked();
  const auto it = parked.find(netport::PortUrlLockName(url));
  if (it == parked.end()) return nullptr;
  std::unique_ptr<QTcpSocket> socket = std::move(it->second);
  parked.erase(it);
  if (socket->state() != QAbstractSocket::ConnectedState) return nullptr;
  return socket;
}

// Milliseconds left of a limit counted from construction; 0 once passed.
class MsLeft {
 public:
  explicit MsLeft(int ms) : end_(Clock::now() + std::chrono::milliseconds(std::max(ms, 0))) {}
  int operator()() const {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
  }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point end_;
};

}  // namespace

void ParkReturnedConnection(const netport::PortUrl& url, std::unique_ptr<QTcpSocket> socket) {
  // Sockets must go while the application object still exists.
  static bool cleanupRegistered = false;
  if (!cleanupRegistered && QCoreApplication::instance() != nullptr) {
    qAddPostRoutine([] { Parked().clear(); });
    cleanupRegistered = true;
  }
  const std::string key = netport::PortUrlLockName(url);
  QTcpSocket* const raw = socket.get();
  Parked()[key] = std::move(socket);
  QTimer::singleShot(kParkedMs, raw, [key, raw] {
    auto& parked = Parked();
    const auto it = parked.find(key);
    if (it != parked.end() && it->second.get() == raw) parked.erase(it);
  });
}

void TuneNetSocket(QTcpSocket& socket) {
  // A 36-byte request must leave at once, not wait for the reply to the last.
  socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
  socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
  NetOsDetectSilentServer(static_cast<long long>(socket.socketDescriptor()));
}

NetLink::NetLink() : context_(std::make_unique<QObject>()) {
  limit_.setSingleShot(true);
  QObject::connect(&limit_, &QTimer::timeout, context_.get(), [this] {
    if (ready_) return;
    const std::string where = netport::HostAndPort(url_);
    const bool connected = socket_ && socket_->state() == QAbstractSocket::ConnectedState;
    Settle(RS232_TIMEOUT,
           connected
               ? where + " accepted the connection but did not set the line (RFC 2217) within " +
                     std::to_string(limit_.interval() / 1000) + " s"
               : "no connection to " + where + " within " +
                     std::to_string(limit_.interval() / 1000) + " s");
  });
}

NetLink::~NetLink() {
  Close();
}

void NetLink::Start(const netport::PortUrl& url, const netport::LineSettings& settings,
                    double limitSeconds, Settled settled) {
  Close();
  url_ = url;
  telnet_ = netport::TelnetClient(settings);
  telnet_on_ = url.transport == netport::Transport::kRfc2217;
  settled_ = std::move(settled);
  limit_.start(static_cast<int>(std::lround(limitSeconds * 1000.0)));
  if (std::unique_ptr<QTcpSocket> parked = TakeParked(url)) {
    Adopt(std::move(parked));
    // Told from the event loop, as a fresh connection would be.
    QMetaObject::invokeMethod(
        context_.get(),
        [this] {
          if (!socket_) return;
          OnConnected();
          OnReadable();
        },
        Qt::QueuedConnection);
    return;
  }
  Adopt(std::make_unique<QTcpSocket>());
  socket_->connectToHost(QString::fromStdString(url.host), url.port);
}

void NetLink::Adopt(std::unique_ptr<QTcpSocket> socket) {
  socket_ = std::move(socket);
  QTcpSocket* const s = socket_.get();
  QObject::connect(s, &QTcpSocket::connected, context_.get(), [this] { OnConnected(); });
  QObject::connect(s, &QTcpSocket::readyRead, context_.get(), [this] { OnReadable(); });
  QObject::connect(s, &QTcpSocket::disconnected, context_.get(), [this] {
    OnEnded(netport::HostAndPort(url_) + " closed the connection", RS232_CANNOT_OPEN_PORT);
  });
  QObject::connect(s, &QTcpSocket::errorOccurred, context_.get(),
                   [this](QAbstractSocket::SocketError error) {
                     const std::string where = netport::HostAndPort(url_);
                     switch (error) {
                       case QAbstractSocket::SocketTimeoutError:
                         return;  // the end of one of our own short waits
                       case QAbstractSocket::HostNotFoundError:
                         OnEnded("unknown host " + url_.host, RS232_NO_SERIAL_PORT);
                         return;
                       case QAbstractSocket::ConnectionRefusedError:
                         OnEnded("connection refused by " + where + " (no server listening there)",
                                 RS232_CANNOT_OPEN_PORT);
                         return;
                       case QAbstractSocket::RemoteHostClosedError:
                         OnEnded(where + " closed the connection", RS232_CANNOT_OPEN_PORT);
                         return;
                       default:
                         OnEnded(where + ": " + socket_->errorString().toStdString(),
                                 RS232_UNKNOWN_SYSTEM_ERROR);
                     }
                   });
}

void NetLink::OnConnected() {
  TuneNetSocket(*socket_);
  if (!telnet_on_) {
    Settle(0, "");
    return;
  }
  const std::vector<uint8_t> hello = telnet_.Start();
  socket_->write(reinterpret_cast<const char*>(hello.data()), static_cast<qint64>(hello.size()));
  socket_->flush();
}

void NetLink::OnReadable() {
  if (!socket_) return;
  const qint64 before = input_.size();
  Take(socket_->readAll());
  if (!ready_) {
    CheckNegotiation();
    return;
  }
  if (input_.size() > before && onArrived) onArrived();
}

void NetLink::Take(const QByteArray& raw) {
  if (raw.isEmpty()) return;
  if (!telnet_on_) {
    input_.append(raw);
    return;
  }
  std::vector<uint8_t> data;
  std::vector<uint8_t> reply;
  telnet_.Receive(reinterpret_cast<const uint8_t*>(raw.constData()),
                  static_cast<size_t>(raw.size()), &data, &reply);
  input_.append(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
  if (!reply.empty()) {
    socket_->write(reinterpret_cast<const char*>(reply.data()), static_cast<qint64>(reply.size()));
    socket_->flush();
  }
}

void NetLink::CheckNegotiation() {
  if (telnet_.State() == netport::TelnetState::kReady) {
    Settle(0, "");
  } else if (telnet_.State() == netport::TelnetState::kRefused) {
    Settle(RS232_IO_ERROR, netport::HostAndPort(url_) + ": " + telnet_.Reason());
  }
}

void NetLink::OnEnded(const std::string& why, int code) {
  if (!ready_) {
    if (settled_) Settle(code, why);
    return;
  }
  if (lost_) return;
  lost_ = true;
  lossReason_ = why;
  if (onLost) onLost(why);
}

void NetLink::Settle(int code, const std::string& reason) {
  limit_.stop();
  if (!settled_) return;
  Settled settled = std::move(settled_);
  settled_ = nullptr;
  if (code == 0) {
    ready_ = true;
  } else if (socket_) {
    QObject::disconnect(socket_.get(), nullptr, context_.get(), nullptr);
    socket_->abort();
    socket_.release()->deleteLater();  // this may run inside one of its signals
  }
  settled(code, reason);
}

qint64 NetLink::Pull() {
  if (!socket_ || lost_) return 0;
  const qint64 before = input_.size();
  // The socket takes in what the OS holds only in its notifier or a wait;
  // a wait of no time takes it now (its readyRead lands in OnReadable).
  socket_->waitForReadyRead(0);
  if (socket_) Take(socket_->readAll());
  return input_.size() - before;
}

bool NetLink::WaitForMore(int ms) {
  if (!socket_ || lost_) return false;
  const bool came = socket_->waitForReadyRead(ms);
  if (socket_) Take(socket_->readAll());
  return came && !lost_;
}

int NetLink::Send(const char* data, int count, int ms) {
  if (!socket_ || !ready_ || lost_) return RS232_PORT_NOT_OPEN;
  const MsLeft left(ms);
  // The server asked for the client's data to be held back (its buffer to the
  // line is full): wait for it to resume, within the limit.
  while (telnet_on_ && telnet_.SendingSuspended()) {
    if (left() == 0) return RS232_TIMEOUT;
    WaitForMore(left());
    if (lost_ || !socket_) return RS232_PORT_NOT_OPEN;
  }
  if (telnet_on_) {
    const std::vector<uint8_t> wire =
        telnet_.Encode(reinterpret_cast<const uint8_t*>(data), static_cast<size_t>(count));
    socket_->write(reinterpret_cast<const char*>(wire.data()), static_cast<qint64>(wire.size()));
  } else {
    socket_->write(data, count);
  }
  socket_->flush();
  while (socket_ && !lost_ && socket_->bytesToWrite() > 0) {
    if (left() == 0) {
      // The rest cannot be taken back from the socket; rather than let half a
      // frame reach the sensor later, the connection ends here.
      OnEnded(netport::HostAndPort(url_) + " took no data within the port's time limit",
              RS232_TIMEOUT);
      socket_->abort();
      return RS232_TIMEOUT;
    }
    socket_->waitForBytesWritten(left());
  }
  if (!socket_ || lost_) return RS232_PORT_NOT_OPEN;
  return count;
}

void NetLink::Purge(uint8_t which) {
  if (!telnet_on_ || !socket_ || !ready_ || lost_) return;
  const std::vector<uint8_t> request = telnet_.Purge(which);
  socket_->write(reinterpret_cast<const char*>(request.data()),
                 static_cast<qint64>(request.size()));
}

void NetLink::Close() {
  limit_.stop();
  settled_ = nullptr;
  if (socket_) {
    QObject::disconnect(socket_.get(), nullptr, context_.get(), nullptr);
    socket_->flush();
    socket_->abort();
    socket_.release()->deleteLater();  // Close may run inside one of its signals
  }
  ready_ = false;
  lost_ = false;
  lossReason_.clear();
  input_.clear();
}
