// One serial port of the engine: the open device, its queues, the receive
// notification and what happens when the device goes away.
//
// Everything runs on the user-interface thread. The rule that keeps this
// re-entrant: no code of the program ever runs inside a QSerialPort method.
// The slots connected to the port only note what happened and queue a check;
// the check runs later from the event loop and is the one place that calls the
// notification function. That is why ComRd, GetInQLen, ComWrt and the flushes
// (which drive the port synchronously) can never run the notification, and why
// the notification function may itself read, flush, close or process events.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <string>

#include "runtime/rs232.h"
#include "runtime/serial/com_channel.h"
#include "runtime/serial/com_notification.h"
#include "runtime/serial/device_return.h"
#include "runtime/serial_tap.h"

class QObject;

class SerialChannel : public ComChannel {
 public:
  // `port` is the number the notification function is called with and that
  // diagnostics name.
  explicit SerialChannel(int port);
  ~SerialChannel() override;
  SerialChannel(const SerialChannel&) = delete;
  SerialChannel& operator=(const SerialChannel&) = delete;

  // Closes whatever is open, then opens and configures `device` (a path; on
  // Unix a bare name is looked up in /dev). Returns 0 or
  // an RS232_ code; on failure one line naming the device and the reason goes
  // to stderr and the channel stays closed. DTR and RTS are raised where the
  // device supports it (a pseudo-terminal does not; that is not a failure).
  // The device is claimed by what it is, not by its name: while one port
  // holds it, opening it again (by another name, from another port or another
  // program) gives RS232_CANNOT_OPEN_PORT, "busy" on stderr. Its identity
  // (SerialDeviceIdentityOf) is kept for the watch after a loss.
  //
  // The opened port runs one of two paths. The assisted path, where the OS
  // layer counts the bytes the kernel holds and Qt's port reads through one
  // read notifier of its own, lets that notifier wake only once a whole frame
  // can be there (HoldForRestOfFrame). The portable path uses QSerialPort's
  // public operations alone; a build without the OS layer runs it, and so does
  // a port whose notifier is not as expected (one line on stderr says so).
  // The driver is asked for low latency where it has such a setting.
  int Open(const std::string& device, const SerialSettings& settings) override;
  // Closes the device and forgets the notification (and a suspension).
  // Harmless when closed.
  void Close() override;
  // Lets go of the open device but keeps the settings, the time limit, the
  // handshake and the notification; operations meanwhile see a closed port.
  // Returns 0, or RS232_PORT_NOT_OPEN when no device is open.
  int Suspend() override;
  // Opens the suspended device again with everything Suspend kept. Returns 0
  // or the open error (the port then stays suspended); RS232_PORT_NOT_OPEN
  // when nothing is suspended.
  int Resume() override;
  // True while the device is open and has not gone away. A device that went
  // away is closed here (once), so every later operation sees a closed port.
  bool Usable() override;

  // The time limit of Read and of a Write that cannot complete, in seconds.
  void SetTimeout(double seconds) override { timeoutSeconds_ = seconds; }
  // Returns 0 or RS232_IO_ERROR.
  int SetHardwareHandshake(bool on) override;
  // fn null or mask 0 removes the notification. Bytes already queued when the
  // notification is installed do not count as newly arrived. On the assisted
  // path, bytes that cannot yet make up the notify count wait in the OS until
  // they can, or until the line has been quiet for a few characters past the
  // moment they could; so an event character in a frame is reported with the
  // frame, and alone a few character times after it arrived at the latest.
  void InstallNotification(int mask, int notifyCount, int eventChar, ComCallbackPtr fn,
                           void* data) override;

  // The operations below return RS232_PORT_NOT_OPEN when the port is closed or
  // the device went away.
  //
  // Queues `count` bytes and hands them to the OS before returning; a reply to
  // them may then wake the program once, when the notify count is there. Returns
  // count; RS232_TIMEOUT when the OS did not take them all within the time
  // limit (the rest is discarded so that no stale half frame goes out later).
  int Write(const char* data, int count) override;
  // Reads up to `count` bytes, waiting at most the time limit; returns the
  // number read. Ends the running wait's deadline (the reply is being read).
  int Read(char* data, int count) override;
  // Bytes waiting, including those the OS holds: they are taken in first (and
  // on the assisted path those arriving meanwhile are counted where they lie).
  // When nothing arrived since the last call it first sleeps on the device
  // for a few milliseconds (waking at once for a byte); no events are processed.
  int InputQueueLength() override;
  // Discard queued input / output, the OS's included. Return 0.
  int FlushInput() override;
  int FlushOutput() override;

  // Error reports received from the device since the last Open (the harmless
  // ones included, time-outs of the engine's own polls excepted); lets tests see
  // that a lost device is not polled over and over.
  long ErrorReports() const override { return errorReports_; }
  bool Networked() const override { return false; }

 private:
  void OnReadyRead();
  void OnBytesWritten();
  void OnError(QSerialPort::SerialPortError error);
  void ScheduleCheck();
  void RunCheck();
  void CloseVanished();
  // Closes the device; the tap hears `how` (closed by the program, or lost).
  void Shut(SerialTapKind how);
  void TapArrivals();
  void PullFromOs();
  long OsQueueLength() const;
  void HoldForRestOfFrame();
  void HoldForReply(int requestBytes);
  void Hold(qint64 missing, double seconds);
  void ReleaseHold();
  void JudgeLinePace();
  void QuietUntil(double seconds);
  void EndQuiet();
  void Report(const std::string& device, const char* what, const std::string& reason) const;

  const int port_;
  std::unique_ptr<QObject> context_;  // receiver of the queued checks; lives as long as the channel
  std::unique_ptr<QSerialPort> serial_;
  std::string device_;
  SerialSettings settings_;
  double timeoutSeconds_ = 10.0;
  bool hardwareHandshake_ = false;
  bool suspended_ = false;
  // What a suspended port keeps for Resume: its device, time limit, handshake
  // and notification.
  struct Kept {
    std::string device;
    double timeout;
    bool handshake;
    ComNotification::Installed notification;
  };
  Kept Keep() const;
  void PutBack(const Kept& kept);

  // Notification.
  ComNotification notify_;
  qint64 tapped_ = 0;            // bytes at the front of the input queue the tap has been shown
  qint64 lastQueueLength_ = -1;  // what InputQueueLength reported last (-1: read or flushed since)
  long roundsAtLastLook_ = -1;   // event rounds at the last InputQueueLength()
  bool checkPending_ = false;

  // Loss of the device.
  unsigned long openings_ =
      0;  // successful opens so far; tells queued work which opening it was for
  unsigned long closings_ = 0;  // closes so far; a loss event queued before a later close is void
  // Quiet while a frame comes in at the line's pace (see HoldForRestOfFrame).
  // Set on the assisted path only; null on the portable path.
  QPointer<QSocketNotifier> readNotifier_;
  std::unique_ptr<QTimer> holdTimer_;   // ends a hold whose bytes stopped short
  int wakeCount_ = 0;                   // the OS's minimum count while held; 0: none
  std::unique_ptr<QTimer> quietTimer_;  // ends the unwatched part of a paced reply
  bool linePaced_ = false;              // the last reply kept the line's pace
  double requestSentAt_ = -1;           // steady seconds of the request awaiting its reply
  int requestBytes_ = 0;                // that request's length
  double byteSeconds_ = 0.0;            // one character's time on the line

  SerialDeviceIdentity identity_{};  // of the device opened last
  bool vanished_ = false;
  std::string vanishReason_;
  long errorReports_ = 0;
  DeviceReturnWatch returnWatch_{port_};  // after a loss, until the device is back
};

// Test seams of the serial channel, set only through
// runtime/testing/serial_inspect.h; the program leaves them as they are.
struct SerialChannelSeams {
  bool portable = false;  // ports opened from now on run the portable path
  // Called with each newly opened port before the channel looks at it.
  void (*opened)(QSerialPort& port) = nullptr;
  // Stands for the system's USB serial number of a device (pseudo-terminals
  // have none), so that a test can say which device is which.
  std::string (*usbSerial)(const SerialDeviceIdentity& device) = nullptr;
};
extern SerialChannelSeams g_serialChannelSeams;
