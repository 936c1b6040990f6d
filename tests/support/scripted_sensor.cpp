#include "tests/support/scripted_sensor.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>

ScriptedSensor::ScriptedSensor(Responder responder) : responder_(std::move(responder)) {
  if (pty_.ok()) thread_ = std::thread([this] { Serve(); });
}

ScriptedSensor::~ScriptedSensor() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::vector<uint16_t> ScriptedSensor::Orders() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return orders_;
}

std::vector<double> ScriptedSensor::Times() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return times_;
}

std::vector<ScriptedSensor::Words> ScriptedSensor::RequestWords() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return words_;
}

bool ScriptedSensor::WaitForOrders(size_t count, double seconds) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (Orders().size() < count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::vector<uint8_t> ScriptedSensor::Frame(uint16_t syncWord, uint16_t echo, const Words& words) {
  std::vector<uint8_t> bytes = {static_cast<uint8_t>(syncWord >> 8),
                                static_cast<uint8_t>(syncWord & 0xFF),
                                static_cast<uint8_t>(echo >> 8), static_cast<uint8_t>(echo & 0xFF)};
  for (uint16_t word : words) {
    bytes.push_back(static_cast<uint8_t>(word >> 8));
    bytes.push_back(static_cast<uint8_t>(word & 0xFF));
  }
  return bytes;
}

std::vector<uint8_t> ScriptedSensor::Text(const std::string& text, size_t length) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.resize(length, 0);
  return bytes;
}

void ScriptedSensor::Serve() {
  std::vector<uint8_t> pending;
  while (!stop_) {
    pollfd fd = {pty_.masterFd(), POLLIN, 0};
    if (poll(&fd, 1, 5) <= 0 || (fd.revents & POLLIN) == 0) continue;
    uint8_t chunk[256];
    const ssize_t n = read(pty_.masterFd(), chunk, sizeof chunk);
    if (n <= 0) continue;
    pending.insert(pending.end(), chunk, chunk + n);
    // The program writes whole 36-byte requests; take them one by one.
    while (pending.size() >= 36) {
      const uint16_t order = static_cast<uint16_t>(pending[2] << 8 | pending[3]);
      Words words{};
      for (size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<uint16_t>(pending[4 + 2 * i] << 8 | pending[5 + 2 * i]);
      }
      pending.erase(pending.begin(), pending.begin() + 36);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        orders_.push_back(order);
        words_.push_back(words);
        times_.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                .count());
      }
      const std::vector<uint8_t> reply = responder_(order, words);
      if (!reply.empty()) pty_.Write(reply);
    }
  }
}
