#include "runtime/serial/device_return.h"

#include <algorithm>
#include <vector>

#include "runtime/serial/serial_os.h"

namespace {

// Watches whose device is back, in the order they saw it, not yet told.
std::vector<DeviceReturnWatch*>& Returned() {
  static std::vector<DeviceReturnWatch*> returned;
  return returned;
}

bool DevicePresent(const std::string& device) {
  std::string reason;
  return CheckSerialDevice(device, &reason) == 0;
}

}  // namespace

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

void DeviceReturnWatch::Start(const std::string& device, ComCallbackPtr fn, void* data) {
  Cancel();
  fn_ = fn != nullptr ? fn : lastFn_;
  data_ = fn != nullptr ? data : lastData_;
  if (fn_ == nullptr) return;  // nobody to tell
  device_ = device;
  // A pty that hung up or an adapter pulled out is usually gone already.
  seenAbsent_ = !DevicePresent(device_);
  timer_.start();
}

void DeviceReturnWatch::Cancel() {
  timer_.stop();
  auto& returned = Returned();
  returned.erase(std::remove(returned.begin(), returned.end(), this), returned.end());
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
  // Back: told at the outer loop's next turn, which this event wakes.
  timer_.stop();
  Returned().push_back(this);
}

void DeviceReturnWatch::Deliver() {
  // Forget first: the notification opens the port again, which cancels.
  const ComCallbackPtr fn = fn_;
  void* const data = data_;
  fn_ = nullptr;
  data_ = nullptr;
  if (fn != nullptr) fn(port_, COM_EVENT_DEVICE_BACK, data);
}

void DeliverDeviceReturns() {
  // A notification may cancel other watches (by closing their ports): take
  // one at a time from the list as it stands.
  auto& returned = Returned();
  while (!returned.empty()) {
    DeviceReturnWatch* watch = returned.front();
    returned.erase(returned.begin());
    watch->Deliver();
  }
}
