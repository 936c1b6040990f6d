// Watching for a lost network port's server to accept again. Private to the
// engine's network channel.
//
// After the connection was lost the watch tries to connect every
// kNetReturnTryMs (a try that has not connected within kNetReturnTryLimitMs is given up). A server
// that accepts and keeps the connection for kNetReturnSteadyMs counts as back: the connection is
// parked for the port's next opening (ParkReturnedConnection), and COM_EVENT_DEVICE_BACK is told
// once, from the outer event loop between its rounds, as for a local device (device_return.h). A
// server that accepts and drops the connection at once (one whose line cannot be opened) is not
// back; the watch goes on. Nothing is sent to the server.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <memory>

#include "netport/port_url.h"
#include "runtime/rs232.h"

class QTcpSocket;

constexpr int kNetReturnTryMs = 500;
constexpr int kNetReturnSteadyMs = 200;
constexpr int kNetReturnTryLimitMs = 3000;

class NetReturnWatch {
 public:
  explicit NetReturnWatch(int port);
  ~NetReturnWatch();
  NetReturnWatch(const NetReturnWatch&) = delete;
  NetReturnWatch& operator=(const NetReturnWatch&) = delete;

  // The notification installed last (fn null: none); told when none was
  // installed at the loss.
  void NoteNotification(ComCallbackPtr fn, void* data);
  // Starts watching `url`'s server for the notification installed at the
  // loss (fn null: the last one noted). Replaces an earlier watch.
  void Start(const netport::PortUrl& url, ComCallbackPtr fn, void* data);
  // Ends the watch, and forgets a return not yet told.
  void Cancel();

 private:
  void Try();
  void Steady();
  void Deliver();
  void DropProbe();

  const int port_;
  QTimer tryTimer_;
  QTimer steadyTimer_;
  std::unique_ptr<QTcpSocket> probe_;
  QElapsedTimer probeAge_;
  netport::PortUrl url_;
  ComCallbackPtr fn_ = nullptr;
  void* data_ = nullptr;
  ComCallbackPtr lastFn_ = nullptr;
  void* lastData_ = nullptr;
};
