// Watching for the return of a port's device after the engine closed the port
// because the device went away. Private to the engine's serial channel and
// event loop.
//
// The watch looks at the device path every kDeviceWatchMs (a stat of the path,
// symlinks followed). The device counts as back once the path has been seen
// without a serial device and then with one again: a device that never went
// away (an error on a device still present) is never announced, so a port that
// keeps failing cannot be brought up over and over. The portable OS layer
// cannot check a path, so there nothing is announced.
//
// The return is told once, as COM_EVENT_DEVICE_BACK, and only from the outer
// event loop between its rounds (DeliverDeviceReturns): never inside
// ProcessSystemEvents, so never while an operation or an acquisition loop runs.
#pragma once

#include <QTimer>
#include <string>

#include "runtime/rs232.h"

constexpr int kDeviceWatchMs = 250;

class DeviceReturnWatch {
 public:
  explicit DeviceReturnWatch(int port);
  ~DeviceReturnWatch();
  DeviceReturnWatch(const DeviceReturnWatch&) = delete;
  DeviceReturnWatch& operator=(const DeviceReturnWatch&) = delete;

  // The notification the program installed last on the port (fn null: none);
  // a return is told to it when none was installed at the loss.
  void NoteNotification(ComCallbackPtr fn, void* data);
  // Starts watching `device` after a loss, for the notification installed at
  // that moment (fn null: the last one noted). Replaces an earlier watch.
  void Start(const std::string& device, ComCallbackPtr fn, void* data);
  // Ends the watch, and forgets a return not yet told.
  void Cancel();

 private:
  friend void DeliverDeviceReturns();
  void Look();
  void Deliver();

  const int port_;
  QTimer timer_;
  std::string device_;
  bool seenAbsent_ = false;
  ComCallbackPtr fn_ = nullptr;
  void* data_ = nullptr;
  ComCallbackPtr lastFn_ = nullptr;
  void* lastData_ = nullptr;
};

// Tells every device that came back to its notification. Called by
// RunUserInterface between rounds of event processing.
void DeliverDeviceReturns();
