// The simulated sensor in-process, for tests: the server runs on a thread of
// its own behind a pty, so it answers whatever the test's own thread does
// (the PC's firmware query polls without processing events).
//
//   sim::Config config;             // CCD type, pacing, faults, seed, firmware, EEPROM file
//   config.paced = false;
//   sim::SimThread sensor(config);
//   std::string error;
//   ASSERT_TRUE(sensor.Start(&error)) << error;
//   setenv("VANTREL_COM1", sensor.SlavePath().c_str(), 1);
//   ... the PC talks to the device ...
//   ASSERT_TRUE(sensor.WaitForRequests(3, 2.0));
//   EXPECT_EQ(sensor.Orders(), (std::vector<int>{5, 2, 7}));
//
// Every member may be called from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/config.h"
#include "sim/pty.h"
#include "sim/server.h"

namespace sim {

class SimThread {
 public:
  // `diagnostics` receives what the sensor reports (null: standard error).
  explicit SimThread(const Config& config, TextSink diagnostics = nullptr);
  ~SimThread();  // stops
  SimThread(const SimThread&) = delete;
  SimThread& operator=(const SimThread&) = delete;

  // Opens the pty and starts serving. False (with *error) when the pty cannot
  // be opened, or after an earlier Start() (a sensor runs once).
  bool Start(std::string* error);
  // Stops serving and closes the pty (the device vanishes). Idempotent.
  void Stop();

  // The device the PC opens as its serial port (/dev/pts/N); empty before Start().
  std::string SlavePath() const;

  // Every complete request received since Start() or the last ClearRequests(), in order.
  std::vector<Request> Requests() const;
  std::vector<int> Orders() const;
  void ClearRequests();
  // Waits until at least `count` requests are recorded or `seconds` pass.
  bool WaitForRequests(size_t count, double seconds) const;

  // Changes options and fault switches while running (or before Start()).
  void Update(const std::function<void(Config&)>& change);
  Config GetConfig() const;

  std::array<uint16_t, 16> Ram() const;
  std::array<uint16_t, 16> Eeprom() const;
  void SetRam(const std::array<uint16_t, 16>& words);
  void SetEeprom(const std::array<uint16_t, 16>& words);
  // Runs `inspect` on the sensor model under its lock.
  void WithModel(const std::function<void(const SensorModel&)>& inspect) const;

  // True once the hang-up fault has closed the line.
  bool HungUp() const;
  // Bytes read that belonged to no request.
  size_t DiscardedBytes() const;
  // True while replies (or parts of them) wait to be written.
  bool Sending() const;

 private:
  std::unique_ptr<Server> server_;
  std::thread thread_;
  std::string slave_path_;
  bool started_ = false;
  bool stopped_ = false;
};

}  // namespace sim
