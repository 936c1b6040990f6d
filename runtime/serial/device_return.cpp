#include "runtime/serial/device_return.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

// Watches whose device appeared again, with what tells it, in the order they
// saw it, not yet told.
std::vector<std::pair<const void*, std::function<void()>>>& Appeared() {
  static std::vector<std::pair<const void*, std::function<void()>>> appeared;
  return appeared;
}

bool DevicePresent(const std::string& device) {
  std::string reason;
  return CheckSerialDevice(device, &reason) == 0;
}

}  // namespace

bool SameSerialDevice(const SerialDeviceIdentity& lost, const SerialDeviceIdentity& now) {
  if (!lost.usbSerial.empty() || !now.usbSerial.empty()) return lost.usbSerial == now.usbSerial;
  return lost.number != 0 && lost.number == now.number && lost.instance == now.instance;
}

DeviceReturnWatch::DeviceReturnWatch(int port) : port_(port) {
  timer_.setInterval(kDeviceWatchMs);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Look(); });
}

DeviceReturnWatch::~DeviceReturnWatch() {
  Cancel();
}

void DeviceReturnWatch::NoteNotification(ComCallbackPtr fn, void* data) {
  if (fn == nullptr) return;
  lastFn_ = fn;
  lastData_ = data;
}

void DeviceReturnWatch::Start(const std::string& device, const SerialDeviceIdentity& lost,
                              ComCallbackPtr fn, void* data) {
  Cancel();
  fn_ = fn != nullptr ? fn : lastFn_;
  data_ = fn != nullptr ? data : lastData_;
  if (fn_ == nullptr) return;  // nobody to tell
  device_ = device;
  lost_ = lost;
  // A pty that hung up or an adapter pulled out is usually gone already.
  seenAbsent_ = !DevicePresent(device_);
  timer_.start();
}

void DeviceReturnWatch::Cancel() {
  timer_.stop();
  ForgetDeviceReturns(this);
  fn_ = nullptr;
  data_ = nullptr;
}

void DeviceReturnWatch::Look() {
  const bool present = DevicePresent(device_);
  if (!seenAbsent_) {
    seenAbsent_ = !present;
    return;
  }
  if (!present) return;
  const SerialDeviceIdentity now = SerialDeviceIdentityOf(device_);
  if (SameSerialDevice(lost_, now)) {
    // Back: told at the outer loop's next turn, which this event wakes.
    timer_.stop();
    QueueDeviceReturn(this, [this] { Deliver(COM_EVENT_DEVICE_BACK); });
    return;
  }
  // Another device: never adopted. It has to go before anything at the path
  // counts again.
  seenAbsent_ = false;
  std::fprintf(stderr, "COM%d %s: a different device appeared (%s%s%s), left alone\n", port_,
               device_.c_str(), now.realPath.c_str(), now.usbSerial.empty() ? "" : ", S/N ",
               now.usbSerial.c_str());
  QueueDeviceReturn(this, [this] { Deliver(COM_EVENT_OTHER_DEVICE); });
}

void DeviceReturnWatch::Deliver(int event) {
  const ComCallbackPtr fn = fn_;
  void* const data = data_;
  // Forget first when the watch ends: the notification opens the port again,
  // which cancels.
  if (event == COM_EVENT_DEVICE_BACK) {
    fn_ = nullptr;
    data_ = nullptr;
  }
  if (fn != nullptr) fn(port_, event, data);
}

void DeliverDeviceReturns() {
  // A notification may cancel other watches (by closing their ports): take
  // one at a time from the list as it stands.
  auto& appeared = Appeared();
  while (!appeared.empty()) {
    const std::function<void()> deliver = std::move(appeared.front().second);
    appeared.erase(appeared.begin());
    deliver();
  }
}

void QueueDeviceReturn(const void* owner, std::function<void()> deliver) {
  Appeared().emplace_back(owner, std::move(deliver));
}

void ForgetDeviceReturns(const void* owner) {
  auto& appeared = Appeared();
  appeared.erase(std::remove_if(appeared.begin(), appeared.end(),
                                [owner](const auto& a) { return a.first == owner; }),
                 appeared.end());
}
