// The sensor search on one serial device, through the engine's serial
// operations on a spare port (runtime/rs232.h): opened at 19200 8N1 on the
// user-interface thread, the line check sent, then (when a sensor answered)
// the firmware query; each reply awaited up to the program's limit, taken in
// by the port's receive notification. Many probes run side by side, each on a
// spare port of its own.
#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ports/search_result.h"

namespace ports {

class PortProbe : public QObject {
  Q_OBJECT
 public:
  // `port`: a spare port (COM_SPARE_FIRST ...) for this probe alone; `words`
  // are the 16 words the requests carry (the program's set).
  PortProbe(int port, const std::string& device, const std::array<uint16_t, 16>& words);
  ~PortProbe() override;

  // Opens the device and sends the line check; `finished` follows (at once
  // when the device cannot be opened).
  void Start();
  const PortResult& Result() const { return result_; }
  bool Done() const { return result_.outcome != Outcome::kProbing; }
  // Ends the probe at once and closes the device; `finished` is not emitted.
  void Stop();

 signals:
  void finished();

 private:
  static void OnNotify(int port, int events, void* probe);
  void Send(int order);
  void OnReply();
  void OnLimit();
  void Close();
  void Finish(Outcome outcome);

  int port_;
  std::string device_;
  std::array<uint16_t, 16> words_;
  bool open_ = false;
  QTimer limit_;
  int order_ = 0;  // the request awaiting its reply
  bool sensorFound_ = false;
  PortResult result_;
};

}  // namespace ports
