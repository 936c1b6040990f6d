// The PC's end of the simulated line in tests: opens the sensor's device like a
// serial port (raw) and reads with deadlines. POSIX only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class PcPort {
 public:
  explicit PcPort(const std::string& device);
  ~PcPort();
  PcPort(const PcPort&) = delete;
  PcPort& operator=(const PcPort&) = delete;

  bool ok() const { return fd_ >= 0; }
  const std::string& error() const { return error_; }

  bool Write(const std::vector<uint8_t>& bytes);
  // Reads until `count` bytes have arrived, `seconds` have passed or the line
  // is hung up; returns what arrived.
  std::vector<uint8_t> Read(size_t count, double seconds);
  // Waits up to `seconds` for data and returns what is there then (at most
  // `max` bytes, nothing on time-out).
  std::vector<uint8_t> ReadSome(size_t max, double seconds);
  // True when the line reports a hang-up within `seconds`.
  bool WaitForHangUp(double seconds);
  void Close();

 private:
  int fd_ = -1;
  std::string error_;
};

double Now();
