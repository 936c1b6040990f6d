// Watching for the return of a port's device after the engine closed the port
// because the device went away. Private to the engine's serial channel and
// event loop.
//
// The watch looks at the device path every kDeviceWatchMs (a stat of the path,
// symlinks followed). A device counts as there once the path has been seen
// without a serial device and then with one again: a device that never went
// away (an error on a device still present) is never announced, so a port that
// keeps failing cannot be brought up over and over. The portable OS layer
// cannot check a path, so there nothing is announced.
//
// What appears is compared with the device that was lost (SameSerialDevice):
// the same device is told as COM_EVENT_DEVICE_BACK and the watch ends; a
// different one is told as COM_EVENT_OTHER_DEVICE (and named on stderr), left
// alone, and the watch goes on, for the lost device may come back once that
// one has gone.
//
// Both are told once, and only from the outer event loop between its rounds
// (DeliverDeviceReturns): never inside ProcessSystemEvents, so never while an
// operation or an acquisition loop runs.
#pragma once

#include <QTimer>
#include <functional>
#include <string>

#include "runtime/rs232.h"
#include "runtime/serial/serial_os.h"

constexpr int kDeviceWatchMs = 250;

// Whether `now` is the device `lost` was: the same USB serial number when
// either has one (an adapter keeps it wherever it is plugged in; another
// adapter of the same make at the same name does not share it), else the same
// known device number (and, for a pseudo-terminal, the same terminal).
bool SameSerialDevice(const SerialDeviceIdentity& lost, const SerialDeviceIdentity& now);

class DeviceReturnWatch {
 public:
  explicit DeviceReturnWatch(int port);
  ~DeviceReturnWatch();
  DeviceReturnWatch(const DeviceReturnWatch&) = delete;
  DeviceReturnWatch& operator=(const DeviceReturnWatch&) = delete;

  // The notification the program installed last on the port (fn null: none);
  // a return is told to it when none was installed at the loss.
  void NoteNotification(ComCallbackPtr fn, void* data);
  // Starts watching `device` after the loss of the device `lost`, for the
  // notification installed at that moment (fn null: the last one noted).
  // Replaces an earlier watch.
  void Start(const std::string& device, const SerialDeviceIdentity& lost, ComCallbackPtr fn,
             void* data);
  // Ends the watch, and forgets an appearance not yet told.
  void Cancel();

 private:
  void Look();
  void Deliver(int event);

  const int port_;
  QTimer timer_;
  std::string device_;
  SerialDeviceIdentity lost_{};
  bool seenAbsent_ = false;
  ComCallbackPtr fn_ = nullptr;
  void* data_ = nullptr;
  ComCallbackPtr lastFn_ = nullptr;
  void* lastData_ = nullptr;
};

// Tells every device that appeared to its notification. Called by
// RunUserInterface between rounds of event processing.
void DeliverDeviceReturns();

// Queues `deliver` for the next DeliverDeviceReturns, on behalf of `owner`
// (a watch); every watch of a port, local or on the network, is told this way.
void QueueDeviceReturn(const void* owner, std::function<void()> deliver);
// Forgets what `owner` queued and was not yet told.
void ForgetDeviceReturns(const void* owner);
