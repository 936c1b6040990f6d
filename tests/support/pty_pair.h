// A pseudo-terminal pair standing in for a serial device in tests.
//
// The engine opens the slave side (by its path or by a symlink to it) as it
// would open a serial port; the test plays the device on the master side. Pure
// POSIX, no Qt, no event processing: every wait here has its own deadline.
//
// The pair keeps one slave descriptor open for its whole life, so the master
// never sees a hang-up while the engine closes and reopens the port, and bytes
// written before the engine opens the port wait in the slave's input queue.
// CloseMaster() makes the device vanish: the slave side is hung up for good.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class PtyPair {
 public:
  // Opens the pair with the slave in raw mode (no echo, no line editing, no
  // character translation). With a non-empty linkPath, a symlink to the slave
  // is created there (an existing file at that path is replaced). ok() tells
  // whether everything succeeded; error() says why not.
  explicit PtyPair(const std::string& linkPath = "");
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0 && error_.empty(); }
  const std::string& error() const { return error_; }
  const std::string& slavePath() const { return slavePath_; }
  const std::string& linkPath() const { return linkPath_; }
  int masterFd() const { return master_; }

  // Writes all bytes to the device side (they arrive at the engine's port).
  // Returns false when the master is closed or the write fails.
  bool Write(const std::vector<uint8_t>& bytes);
  bool Write(const void* data, size_t size);

  // Reads what the engine wrote: waits until `count` bytes have arrived or
  // `seconds` have passed, and returns the bytes read (fewer on time-out).
  std::vector<uint8_t> Read(size_t count, double seconds);
  // Everything the engine wrote that is waiting now, without waiting.
  std::vector<uint8_t> ReadAvailable();
  // Bytes sitting in the slave's OS input queue (written to the master, not yet
  // taken in by whoever has the slave open); -1 once the master is closed.
  int SlaveInputQueued() const;

  // The device vanishes: the master and the pair's own slave descriptor are
  // closed; the engine's open port is hung up. The symlink is left in place.
  void CloseMaster();

 private:
  int master_ = -1;
  int slaveKeeper_ = -1;
  std::string slavePath_;
  std::string linkPath_;
  std::string error_;
};
