// A sensor played by the test itself, for replies the simulated sensor would
// never give (a 71-byte firmware reply, a CCD reply with echo 9, ...).
//
// It answers on its own thread, so it also answers while the program polls
// without processing events. Each complete 36-byte request is recorded and
// answered with the bytes the test's responder returns (none for no reply).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/pty_pair.h"

class ScriptedSensor {
 public:
  using Words = std::array<uint16_t, 16>;
  using Responder = std::function<std::vector<uint8_t>(uint16_t order, const Words& words)>;

  explicit ScriptedSensor(Responder responder);
  ~ScriptedSensor();

  bool ok() const { return pty_.ok(); }
  const std::string& slavePath() const { return pty_.slavePath(); }
  std::vector<uint16_t> Orders() const;
  // Seconds (steady clock) at which each request was complete, in order.
  std::vector<double> Times() const;
  // The 16 words of each request, in order.
  std::vector<Words> RequestWords() const;
  bool WaitForOrders(size_t count, double seconds) const;

  // A 36-byte reply frame.
  static std::vector<uint8_t> Frame(uint16_t syncWord, uint16_t echo, const Words& words);
  // Raw bytes of a text, two characters per word, zero-padded to `length` bytes.
  static std::vector<uint8_t> Text(const std::string& text, size_t length);

 private:
  void Serve();

  PtyPair pty_;
  Responder responder_;
  mutable std::mutex mutex_;
  std::vector<uint16_t> orders_;
  std::vector<double> times_;
  std::vector<Words> words_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
