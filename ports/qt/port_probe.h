// The sensor search on one serial device or network port: opened without
// blocking on the user-interface thread at 19200 8N1, the line check sent,
// then (when a sensor answered) the firmware query; each reply awaited up to
// the program's limit. Many probes run side by side.
#pragma once

#include <QIODevice>
#include <QObject>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ports/search_result.h"

namespace ports {

class PortProbe : public QObject {
  Q_OBJECT
 public:
  // `words` are the 16 words the requests carry (the program's package).
  PortProbe(const std::string& device, const std::array<uint16_t, 16>& words);
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
  void StartNetwork();
  void Listen();
  void Send(int order);
  void OnBytes();
  void OnLimit();
  void Finish(Outcome outcome);

  std::string device_;
  std::array<uint16_t, 16> words_;
  std::unique_ptr<QIODevice> line_;  // the serial port, or the network port's line
  QTimer limit_;
  int order_ = 0;  // the request awaiting its reply
  bool sensorFound_ = false;
  std::vector<uint8_t> reply_;
  PortResult result_;
};

}  // namespace ports
