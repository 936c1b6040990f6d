// The sensor as vantrel-cli talks to it: one port of the engine's serial
// channel, the frames, the reply rule and the limits of protocol/. One request
// is outstanding at a time; every failure leaves its exit status and one line
// of reason. Runs on the one thread of the engine's waiting core.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "cli/port_argument.h"
#include "protocol/frame.h"

namespace cli {

class SensorLink {
 public:
  // `timeout`: seconds for every reply instead of the sensor's limits; 0 none.
  explicit SensorLink(double timeout);
  ~SensorLink();  // closes the port
  SensorLink(const SensorLink&) = delete;
  SensorLink& operator=(const SensorLink&) = delete;

  // Maps the port to the device given (if one was), opens it at 19200 8N1
  // without handshake, with the receive notification for 36-byte frames.
  // False with exit status 5 (not there, no permission, busy) or 3.
  bool Open(const PortArgument& port);
  // "COM1 (/dev/pts/3)": how results and failures name the port.
  const std::string& Label() const { return label_; }
  const std::string& Device() const { return device_; }
  std::string Name() const { return PortName(port_); }

  // Sends `order` with `words` and waits for the 36-byte frame that answers
  // it (protocol::ReplyAnswers) within the order's limit; a frame that answers
  // nothing is dropped and the wait goes on. Processes events while it waits.
  bool Exchange(int order, const protocol::Words& words, protocol::Words* reply);
  // The line check: the echo order answered with the reply sync 0x00AA.
  bool CheckLine();
  // Writes a parameter set to RAM (order 1) or EEPROM (order 3); no reply comes.
  bool Write(int order, const protocol::Words& words);
  // The firmware text: 72 raw bytes of text, after which the line stays
  // quiet. `text` gets the characters before the zero padding (Latin-1).
  bool ReadFirmware(std::string* text);

  // Seconds the sender of `order` waits for its reply.
  double Limit(int order) const;
  // Whether the last wait ended because SIGTERM or SIGINT came
  // (WatchTerminationSignals); it then fails without a failure line.
  bool Interrupted() const { return interrupted_; }
  // Whether the last wait ended at its limit without an answer.
  bool TimedOut() const { return timedOut_; }
  // Why the last operation failed, and the exit status it calls for.
  const std::string& Failure() const { return failure_; }
  int FailureStatus() const { return failureStatus_; }

  // Called by the engine with the events of the port (the receive
  // notification); public only for that.
  void OnEvents(int events);

 private:
  bool Fail(int status, const std::string& reason);
  bool Gone();
  bool Send(int order, const protocol::Words& words);
  void InstallNotification();

  double timeout_;
  int number_ = 0;  // the engine's port number; 0 while closed
  PortArgument port_;
  std::string label_, device_;
  bool writeOnLine_ = false;  // a write went out and no reply wait has run since
  double writtenAt_ = 0.0;    // Timer() of that write

  int awaited_ = 0;  // order whose answering frame the notification takes; 0 none
  bool received_ = false;
  int rejected_ = 0;  // frames that answered nothing, in the running wait
  std::array<uint8_t, protocol::kFrameLength> frame_{};

  bool lost_ = false;  // the engine closed the port: its device went away
  bool interrupted_ = false;
  bool timedOut_ = false;
  std::string failure_;
  int failureStatus_ = 0;
};

// The line's pixel count from the CCD information (order 10); false when the
// sensor does not answer. `type` and `resolution` may be null.
bool ReadCcd(SensorLink& link, uint16_t* pixels, uint16_t* type, uint16_t* resolution);

// The engine's reports of the serial ports (why a device cannot be opened,
// that it was lost) are kept instead of printed: vantrel-cli says each
// failure in one line of its own. The report last made, "" none.
void KeepSerialReports();
const std::string& LastSerialReport();

}  // namespace cli
