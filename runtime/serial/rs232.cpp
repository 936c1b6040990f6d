// The serial operations: argument checks, the table of ports, and the hand-over
// to the port's channel.
#include "runtime/rs232.h"

#include <QCoreApplication>
#include <array>
#include <memory>

#include "netport/port_url.h"
#include "runtime/serial/net_channel.h"
#include "runtime/serial/port_channel.h"
#include "runtime/serial/serial_channel.h"
#include "runtime/serial/serial_report_sink.h"

namespace {

std::array<std::unique_ptr<ComChannel>, COM_PORT_COUNT + 1>& Channels() {
  static std::array<std::unique_ptr<ComChannel>, COM_PORT_COUNT + 1> channels;
  return channels;
}

bool ValidPort(int port) {
  return port >= 1 && port <= COM_PORT_COUNT;
}

// Ports still open when the application object goes away are closed while it
// still exists (their notifiers belong to its event dispatcher), which also
// releases the device locks.
void CloseAllPorts() {
  for (auto& channel : Channels()) {
    if (channel) channel->Close();
  }
}

// The channel that carries `device`: a serial device's, or a network port's
// for a URL. A port that changes between the two gets a new channel.
ComChannel& Channel(int port, const std::string& device) {
  static bool cleanupRegistered = false;
  if (!cleanupRegistered && QCoreApplication::instance() != nullptr) {
    qAddPostRoutine(CloseAllPorts);
    cleanupRegistered = true;
  }
  auto& channel = Channels()[port];
  const bool networked = netport::IsPortUrl(device);
  if (channel && channel->Networked() != networked) {
    channel->Close();
    channel.reset();
  }
  if (!channel) {
    if (networked) {
      channel = std::make_unique<NetChannel>(port);
    } else {
      channel = std::make_unique<SerialChannel>(port);
    }
  }
  return *channel;
}

// The channel of an open port, or null (with the code to return in *code).
ComChannel* OpenChannel(int port, int* code) {
  if (!ValidPort(port)) {
    *code = RS232_INVALID_PORT_NUMBER;
    return nullptr;
  }
  auto& channel = Channels()[port];
  if (!channel || !channel->Usable()) {
    *code = RS232_PORT_NOT_OPEN;
    return nullptr;
  }
  return channel.get();
}

bool SupportedBaudRate(long rate) {
  // The rates every serial driver of the platforms we run on sets directly.
  static constexpr long kRates[] = {110,   300,   600,   1200,   2400,   4800,   9600,
                                    19200, 38400, 57600, 115200, 230400, 460800, 921600};
  for (const long r : kRates) {
    if (r == rate) return true;
  }
  return false;
}

}  // namespace

int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize) {
  if (!ValidPort(port)) return RS232_INVALID_PORT_NUMBER;
  if (!SupportedBaudRate(baudRate) || parity < 0 || parity > 2 || dataBits < 5 || dataBits > 8 ||
      (stopBits != 1 && stopBits != 2) || inputQueueSize <= 0 || outputQueueSize <= 0) {
    return RS232_INVALID_PARAMETER;
  }
  if (QCoreApplication::instance() == nullptr) {
    ReportSerial(port, deviceName != nullptr ? deviceName : "", "cannot open",
                 "the engine is not started");
    return RS232_UNKNOWN_SYSTEM_ERROR;
  }
  const std::string device =
      (deviceName != nullptr && deviceName[0] != '\0') ? deviceName : ComPortDevice(port);
  SerialSettings settings;
  settings.baudRate = baudRate;
  settings.parity = parity;
  settings.dataBits = dataBits;
  settings.stopBits = stopBits;
  return Channel(port, device).Open(device, settings);
}

int CloseCom(int port) {
  if (!ValidPort(port)) return RS232_INVALID_PORT_NUMBER;
  if (Channels()[port]) Channels()[port]->Close();
  return 0;
}

int SuspendCom(int port) {
  int code = 0;
  ComChannel* channel = OpenChannel(port, &code);
  if (!channel) return code;
  return channel->Suspend();
}

int ResumeCom(int port) {
  if (!ValidPort(port)) return RS232_INVALID_PORT_NUMBER;
  if (!Channels()[port]) return RS232_PORT_NOT_OPEN;
  return Channels()[port]->Resume();
}

int SetComTime(int port, double seconds) {
  int code = 0;
  ComChannel* channel = OpenChannel(port, &code);
  if (!channel) return code;
  if (!(seconds >= 0.0)) return RS232_INVALID_PARAMETER;
  channel->SetTimeout(seconds);
  return 0;
}

int SetCTSMode(int port, int mode) {
  int code = 0;
  ComChannel* channel = OpenChannel(port, &code);
  if (!channel) return code;
  if (mode != 0 && mode != 1) return RS232_INVALID_PARAMETER;
  return channel->SetHardwareHandshake(mode == 1);
}

int InstallComCallback(int port, int eventMask, int notifyCount, int eventChar, ComCallbackPtr fn,
                       void* callbackData) {
  int code = 0;
  ComChannel* channel = OpenChannel(port, &code);
  if (!channel) return code;
  const bool removing = eventMask == 0 || fn == nullptr;
  if (!removing) {
    if ((eventMask & ~(COM_EVENT_CHAR | COM_EVENT_TX_EMPTY | COM_EVENT_RECEIVE)) != 0) {
      return RS232_INVALID_PARAMETER;
    }
    if ((eventMask & COM_EVENT_RECEIVE) && notifyCount <= 0) return RS232_INVALID_PARAMETER;
    if ((eventMask & COM_EVENT_CHAR) && (eventChar < 0 || eventChar > 255)) {
      return RS232_INVALID_PARAMETER;
    }
  }
  channel->InstallNotification(eventMask, notifyCount, eventChar, fn, callbackData);
  return 0;
}

int ComWrt(int port, const char* buffer, int count) {
  int code = 0;
  ComChannel* channel = OpenChannel(port, &code);
  if (!channel) return code;
  if (count < 0 || (count > 0 && buffer == nullptr)) return RS232_INVALID_PARAMETER;
  return channel->Write(buffer, count);
}

int ComRd(int port, char* buffer, int count) {
  int code = 0;
  ComChannel* channel = OpenChannel(port, &code);
  if (!channel) return code;
  if (count < 0 || (count > 0 && buffer == nullptr)) return RS232_INVALID_PARAMETER;
  return channel->Read(buffer, count);
}

int GetInQLen(int port) {
  int code = 0;
  ComChannel* channel = OpenChannel(port, &code);
  if (!channel) return code;
  return channel->InputQueueLength();
}

int FlushInQ(int port) {
  int code = 0;
  ComChannel* channel = OpenChannel(port, &code);
  if (!channel) return code;
  return channel->FlushInput();
}

int FlushOutQ(int port) {
  int code = 0;
  ComChannel* channel = OpenChannel(port, &code);
  if (!channel) return code;
  return channel->FlushOutput();
}

const ComChannel* PortChannel(int port) {
  return ValidPort(port) ? Channels()[port].get() : nullptr;
}
