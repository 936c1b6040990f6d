// What the serial operations (rs232.cpp) ask of one open port, whatever
// carries its line: a local serial device (SerialChannel) or a serial device
// server on the network (NetChannel). The contracts are the ones of
// runtime/rs232.h; each implementation says what it adds.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <string>

#include "runtime/rs232.h"

struct SerialSettings {
  long baudRate = 19200;
  int parity = 0;    // 0 none, 1 odd, 2 even
  int dataBits = 8;  // 5..8
  int stopBits = 1;  // 1 or 2
};

class ComChannel {
 public:
  virtual ~ComChannel() = default;

  // Closes whatever is open, then opens `device` with `settings`. Returns 0 or
  // an RS232_ code, with one report naming the device and the reason.
  virtual int Open(const std::string& device, const SerialSettings& settings) = 0;
  // Closes the port and forgets the notification (and a suspension).
  virtual void Close() = 0;
  // Lets go of the device, keeping the settings, time limit, handshake and
  // notification for Resume; RS232_PORT_NOT_OPEN when nothing is open.
  virtual int Suspend() = 0;
  virtual int Resume() = 0;
  // True while the port is open and its line has not been lost; a lost line
  // is closed here (once), so every later operation sees a closed port.
  virtual bool Usable() = 0;
  virtual void SetTimeout(double seconds) = 0;
  virtual int SetHardwareHandshake(bool on) = 0;
  virtual void InstallNotification(int mask, int notifyCount, int eventChar, ComCallbackPtr fn,
                                   void* data) = 0;
  virtual int Write(const char* data, int count) = 0;
  virtual int Read(char* data, int count) = 0;
  virtual int InputQueueLength() = 0;
  virtual int FlushInput() = 0;
  virtual int FlushOutput() = 0;
  // Error reports since the last Open (tests: a lost line is not polled over
  // and over).
  virtual long ErrorReports() const = 0;
  // True for a channel to a server on the network.
  virtual bool Networked() const = 0;
};
