// Network ports for features' own probes (runtime/net_device.h): the link and
// the claim of an engine port, behind a QIODevice.
#include "runtime/net_device.h"

#include <QIODevice>
#include <QTimer>
#include <cstring>

#include "netport/port_url.h"
#include "runtime/rs232.h"
#include "runtime/serial/net_channel.h"
#include "runtime/serial/net_link.h"
#include "runtime/serial/net_lock.h"

namespace {

// How long a probe's write may wait for the OS to take it.
constexpr int kWriteLimitMs = 1000;

class NetLineDevice : public QIODevice {
 public:
  NetLineDevice() {
    QIODevice::open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    link_.onArrived = [this] { emit readyRead(); };
  }
  ~NetLineDevice() override { link_.Close(); }

  void Start(const netport::PortUrl& url,
             std::function<void(int code, const std::string& reason)> opened) {
    std::string reason;
    if (!lock_.Take(url, &reason)) {
      // Told from the event loop, as a connection's end would be.
      QTimer::singleShot(0, this, [opened, reason] { opened(RS232_CANNOT_OPEN_PORT, reason); });
      return;
    }
    link_.Start(url, netport::LineSettings{}, kNetOpenSeconds,
                [this, opened](int code, const std::string& why) {
                  if (code == 0) {
                    link_.Pull();
                    link_.Input().clear();  // a fresh connection starts empty
                  }
                  opened(code, why);
                });
  }

  // Ends the connection and lets go of the server at once.
  void close() override {
    link_.Close();
    lock_.Release();
    QIODevice::close();
  }
  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override {
    return const_cast<NetLink&>(link_).Input().size() + QIODevice::bytesAvailable();
  }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    QByteArray& input = link_.Input();
    const qint64 got = std::min<qint64>(maxSize, input.size());
    std::memcpy(data, input.constData(), static_cast<size_t>(got));
    input.remove(0, got);
    return got;
  }
  qint64 writeData(const char* data, qint64 size) override {
    const int sent = link_.Send(data, static_cast<int>(size), kWriteLimitMs);
    return sent < 0 ? -1 : sent;
  }

 private:
  NetLink link_;
  NetPortLock lock_;
};

}  // namespace

bool IsNetworkDevice(const std::string& device) {
  return netport::IsPortUrl(device);
}

std::unique_ptr<QIODevice> OpenNetworkDevice(
    const std::string& url, std::function<void(int code, const std::string& reason)> opened,
    std::string* error) {
  netport::PortUrl parsed;
  if (!netport::ParsePortUrl(url, &parsed, error)) return nullptr;
  auto device = std::make_unique<NetLineDevice>();
  device->Start(parsed, std::move(opened));
  return device;
}
