// The client side of a Telnet connection to a serial device server that
// speaks the COM-PORT-OPTION (RFC 2217): option negotiation, the line's
// settings, purges, the server's notifications, and the escaping of the
// data both ways. Pure: bytes in, bytes out; the caller owns the socket.
//
//   TelnetClient telnet;
//   send(telnet.Start());                        // right after the connect
//   telnet.Receive(in, n, &data, &reply);        // for every chunk received
//   send(reply);                                 // answers the server expects
//   ... until telnet.State() is kReady (or kRefused) ...
//   send(telnet.Encode(frame, 36));              // the sensor's data, escaped
//   send(telnet.Purge(kPurgeReceive));           // a flush of the input queue
//
// The client asks for BINARY both ways (so every byte value passes as it is:
// only 0xFF is doubled on the wire) and for the COM-PORT-OPTION; once the
// server agrees it sets the baud rate, data size, parity and stop size,
// switches flow control off and raises DTR and RTS. The line is ready when
// the server has acknowledged the four settings with the values asked for.
// Acknowledgements of the control settings (flow control, DTR, RTS) and of a
// purge are not waited for: a server in front of a line without modem lines
// (a pseudo-terminal, a three-wire adapter) may never send them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace netport {

// The line's settings as RFC 2217 numbers them.
struct LineSettings {
  uint32_t baudRate = 19200;
  uint8_t dataSize = 8;
  uint8_t parity = 1;    // 1 none, 2 odd, 3 even
  uint8_t stopSize = 1;  // 1 one stop bit, 2 two
};

// What a purge discards at the server (RFC 2217 PURGE-DATA).
constexpr uint8_t kPurgeReceive = 1;   // the server's buffer of bytes from the line
constexpr uint8_t kPurgeTransmit = 2;  // the server's buffer of bytes for the line
constexpr uint8_t kPurgeBoth = 3;

// NOTIFY-LINESTATE bits that mean bytes from the line were damaged or lost.
constexpr uint8_t kLineErrorBits = 0x1E;  // break, framing, parity, overrun

enum class TelnetState {
  kNegotiating,  // waiting for the server to agree and to acknowledge the settings
  kReady,        // the line is set; data may flow
  kRefused,      // the server will not set the line; Reason() says why
};

class TelnetClient {
 public:
  explicit TelnetClient(const LineSettings& settings = LineSettings{});

  // The bytes to send at once after connecting: the requests for BINARY both
  // ways and for the COM-PORT-OPTION.
  std::vector<uint8_t> Start();

  // Takes `count` bytes received from the server. The line's data among them
  // is appended to *data (escapes undone); what the protocol must answer is
  // appended to *reply, to be sent before anything else.
  void Receive(const uint8_t* bytes, size_t count, std::vector<uint8_t>* data,
               std::vector<uint8_t>* reply);

  // The line's data as it goes on the wire: 0xFF doubled; while the server has
  // not agreed to BINARY from us, a CR is followed by a NUL as plain Telnet
  // asks (so the server does not take CR LF for a line end).
  std::vector<uint8_t> Encode(const uint8_t* bytes, size_t count) const;

  // PURGE-DATA for `which` (kPurgeReceive, kPurgeTransmit, kPurgeBoth); empty
  // before the server agreed to the COM-PORT-OPTION.
  std::vector<uint8_t> Purge(uint8_t which) const;

  TelnetState State() const { return state_; }
  const std::string& Reason() const { return reason_; }

  // What the server told last: NOTIFY-LINESTATE, NOTIFY-MODEMSTATE (0 before
  // any), how many line-state notices carried an error bit, and whether it
  // asked the client to hold its data (FLOWCONTROL-SUSPEND, until RESUME).
  uint8_t LineState() const { return lineState_; }
  uint8_t ModemState() const { return modemState_; }
  int LineErrorNotices() const { return lineErrorNotices_; }
  bool SendingSuspended() const { return suspended_; }
  // Purge acknowledgements received (a server may send none).
  int PurgeAcknowledgements() const { return purgeAcks_; }

 private:
  enum class Parse { kData, kIac, kOption, kSub, kSubIac, kDataAfterCr };
  struct Side {
    bool enabled = false;
    bool asked = false;  // our request is out, its answer not yet in
  };

  void OnCommand(uint8_t command, uint8_t option, std::vector<uint8_t>* reply);
  void OnSubnegotiation(std::vector<uint8_t>* reply);
  void SendSettings(std::vector<uint8_t>* reply);
  void CheckReady();
  void Refuse(const std::string& reason);

  LineSettings settings_;
  Parse parse_ = Parse::kData;
  uint8_t command_ = 0;
  std::vector<uint8_t> sub_;
  // Options by side: ours (WILL/WONT from us) and theirs (DO/DONT from us).
  Side usBinary_, themBinary_, usComPort_, usSga_, themSga_;
  bool settingsSent_ = false;
  // Settings acknowledged with the value asked for: baud, data, parity, stop.
  bool acked_[4] = {false, false, false, false};
  TelnetState state_ = TelnetState::kNegotiating;
  std::string reason_;
  uint8_t lineState_ = 0;
  uint8_t modemState_ = 0;
  int lineErrorNotices_ = 0;
  bool suspended_ = false;
  int purgeAcks_ = 0;
};

}  // namespace netport
