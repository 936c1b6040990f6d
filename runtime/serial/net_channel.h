// A port whose line ends at a serial device server on the network
// ("rfc2217://HOST:PORT" or "tcp://HOST:PORT"), behind the same contracts as a
// local port (runtime/rs232.h, SerialChannel): the input queue and its length,
// both flushes, ComRd's time limit, the receive notification from the event
// loop only, the serial tap (with the URL as the device), the loss of the
// line told once and its return when the server accepts again.
//
// What differs, and why:
// - Open connects in the background and waits for it in an event loop that
//   leaves out the operator's input: the window keeps painting, and no
//   command runs nested inside an open. A connect (with, for RFC 2217, the
//   line's settings acknowledged) that takes longer than kNetOpenSeconds is
//   RS232_TIMEOUT; an unknown host RS232_NO_SERIAL_PORT; a refused connection
//   or a server that closes it at once RS232_CANNOT_OPEN_PORT; settings the
//   server will not take RS232_IO_ERROR. The report names host and port.
// - The port is claimed by a lock file of its server (NetPortLock) before the
//   connect: a second program on the same server gets RS232_CANNOT_OPEN_PORT
//   ("busy") at once and never reaches the server.
// - What arrives before the open returns is discarded, and an RFC 2217
//   server is asked to purge what it kept: a fresh connection starts empty.
// - FlushInput and FlushOutput also ask an RFC 2217 server to purge its
//   buffers; the acknowledgement is not awaited.
// - The handshake (RTS/CTS) is the server's own setting: SetHardwareHandshake
//   answers RS232_IO_ERROR for "on" and 0 for "off".
// - A raw TCP link carries the bytes as they are; its line is set at the server.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "netport/port_url.h"
#include "runtime/serial/com_channel.h"
#include "runtime/serial/com_notification.h"
#include "runtime/serial/net_link.h"
#include "runtime/serial/net_lock.h"
#include "runtime/serial/net_return_watch.h"
#include "runtime/serial_tap.h"

constexpr double kNetOpenSeconds = 3.0;

class NetChannel : public ComChannel {
 public:
  explicit NetChannel(int port);
  ~NetChannel() override;
  NetChannel(const NetChannel&) = delete;
  NetChannel& operator=(const NetChannel&) = delete;

  int Open(const std::string& device, const SerialSettings& settings) override;
  void Close() override;
  int Suspend() override;
  int Resume() override;
  bool Usable() override;
  void SetTimeout(double seconds) override { timeoutSeconds_ = seconds; }
  int SetHardwareHandshake(bool on) override;
  void InstallNotification(int mask, int notifyCount, int eventChar, ComCallbackPtr fn,
                           void* data) override;
  int Write(const char* data, int count) override;
  int Read(char* data, int count) override;
  int InputQueueLength() override;
  int FlushInput() override;
  int FlushOutput() override;
  long ErrorReports() const override { return errorReports_; }
  bool Networked() const override { return true; }

 private:
  int Connect();
  void OnArrived();
  void OnLost(const std::string& why);
  void ScheduleCheck();
  void RunCheck();
  void CloseVanished();
  void Shut(SerialTapKind how);
  void TapArrivals();
  void Forget(qint64 taken);
  void Report(const char* what, const std::string& reason) const;

  const int port_;
  std::unique_ptr<QObject> context_;  // receiver of the queued checks
  std::unique_ptr<NetLink> link_;
  NetPortLock lock_;
  std::string device_;  // the URL as the port was given it
  netport::PortUrl url_;
  SerialSettings settings_;
  double timeoutSeconds_ = 10.0;
  bool suspended_ = false;

  ComNotification notify_;
  qint64 tapped_ = 0;            // bytes at the front of the input the tap has been shown
  qint64 lastQueueLength_ = -1;  // what InputQueueLength reported last (-1: read or flushed since)
  long roundsAtLastLook_ = -1;
  bool checkPending_ = false;

  unsigned long openings_ = 0;
  unsigned long closings_ = 0;
  bool vanished_ = false;
  std::string vanishReason_;
  long errorReports_ = 0;
  int lineErrorsReported_ = 0;
  NetReturnWatch returnWatch_{port_};
};
