// One connection to a network port's server: the TCP socket on the
// user-interface thread and, for rfc2217://, the Telnet client that sets the
// line and escapes its bytes. What the sensor sent lands, escapes undone, in
// Input(); what the program sends goes out escaped.
//
// Connecting runs in the background: the host name is looked up on Qt's
// resolver thread and the connect waits in the event loop, so nothing here
// blocks. Start() ends in one call of `settled` from the event loop: 0 once
// the line is ready (connected, and for RFC 2217 the settings acknowledged),
// else an RS232_ code and the reason, naming host and port. Past the time
// limit it is RS232_TIMEOUT.
//
// Slots only take bytes in and call onArrived / onLost, which must only note
// and queue (the serial channel's rule: no program code runs inside a socket
// call).
// Private to the engine's serial part.
#pragma once

#include <QByteArray>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "netport/port_url.h"
#include "netport/telnet_client.h"

class QObject;
class QTcpSocket;

class NetLink {
 public:
  using Settled = std::function<void(int code, const std::string& reason)>;

  NetLink();
  ~NetLink();  // closes
  NetLink(const NetLink&) = delete;
  NetLink& operator=(const NetLink&) = delete;

  // Connects to `url`'s server (or takes over the connection a return watch
  // parked for it) and brings the line up with `settings`.
  void Start(const netport::PortUrl& url, const netport::LineSettings& settings,
             double limitSeconds, Settled settled);
  bool Ready() const { return ready_; }
  // The connection ended (or failed) after it was ready; LossReason() says how.
  bool Lost() const { return lost_; }
  const std::string& LossReason() const { return lossReason_; }

  // The sensor's bytes taken in and not yet read.
  QByteArray& Input() { return input_; }
  // Takes in what the socket holds now, without waiting; returns the number of
  // the sensor's bytes that came with it.
  qint64 Pull();
  // Waits up to `ms` for more from the socket and takes it in; false when
  // nothing came or the connection ended.
  bool WaitForMore(int ms);
  // Sends the sensor's bytes and hands them to the OS, waiting at most `ms`
  // (also while the server holds the client's data back). Returns `count`,
  // RS232_TIMEOUT, or RS232_PORT_NOT_OPEN when the connection ended. Bytes
  // the OS has not taken by then cannot be taken back: the connection is
  // ended (and lost) rather than let the rest of a frame go out later.
  int Send(const char* data, int count, int ms);
  // Asks an RFC 2217 server to discard its buffered bytes (kPurgeReceive,
  // kPurgeTransmit); the request leaves with the next data or event round,
  // and its acknowledgement is not awaited. Nothing on a raw TCP link.
  void Purge(uint8_t which);
  // Line errors the server reported so far (RFC 2217 line-state notices).
  int LineErrorNotices() const { return telnet_.LineErrorNotices(); }
  void Close();

  std::function<void()> onArrived;                     // new bytes in Input(), from a slot
  std::function<void(const std::string& why)> onLost;  // from a slot, once

 private:
  void Adopt(std::unique_ptr<QTcpSocket> socket);
  void OnConnected();
  void OnReadable();
  void OnEnded(const std::string& why, int code);
  void Settle(int code, const std::string& reason);
  void Take(const QByteArray& raw);
  void CheckNegotiation();

  std::unique_ptr<QObject> context_;
  std::unique_ptr<QTcpSocket> socket_;
  QTimer limit_;
  netport::PortUrl url_;
  netport::TelnetClient telnet_;
  bool telnet_on_ = false;
  Settled settled_;
  bool ready_ = false;
  bool lost_ = false;
  std::string lossReason_;
  QByteArray input_;
};

// A connection a return watch made to a lost port's server once it accepted
// again, kept for the port's next opening (which takes it over rather than
// connecting a second time, which a one-client server would refuse). Kept
// for a few seconds; a newer one for the same server replaces it.
void ParkReturnedConnection(const netport::PortUrl& url, std::unique_ptr<QTcpSocket> socket);

// Makes a socket fit to carry the line: no Nagle delay, and a silent server
// found within kNetLossSeconds.
void TuneNetSocket(QTcpSocket& socket);
