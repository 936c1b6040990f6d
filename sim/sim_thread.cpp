#include "sim/sim_thread.h"

namespace sim {

SimThread::SimThread(const Config& config, TextSink diagnostics)
    : server_(std::make_unique<Server>(config, nullptr, std::move(diagnostics))) {}

SimThread::~SimThread() {
  Stop();
}

bool SimThread::Start(std::string* error) {
  if (started_ || stopped_) {
    *error = started_ ? "the simulated sensor is already running"
                      : "a stopped simulated sensor does not start again";
    return false;
  }
  PtyEnds pty;
  if (!OpenPty(&pty, error)) return false;
  slave_path_ = pty.slave_path;
  server_->Attach(pty.master, pty.keeper);
  started_ = true;
  thread_ = std::thread([this] { server_->Run(); });
  return true;
}

void SimThread::Stop() {
  if (!started_) return;
  server_->Stop();
  if (thread_.joinable()) thread_.join();
  // Closing the master and the kept slave makes the device vanish.
  server_->Detach();
  started_ = false;
  stopped_ = true;
}

std::string SimThread::SlavePath() const {
  return slave_path_;
}

std::vector<Request> SimThread::Requests() const {
  return server_->Requests();
}

std::vector<int> SimThread::Orders() const {
  std::vector<int> orders;
  for (const auto& request : server_->Requests()) orders.push_back(request.order);
  return orders;
}

void SimThread::ClearRequests() {
  server_->ClearRequests();
}

bool SimThread::WaitForRequests(size_t count, double seconds) const {
  return server_->WaitForRequests(count, seconds);
}

void SimThread::Update(const std::function<void(Config&)>& change) {
  server_->Update(change);
}

Config SimThread::GetConfig() const {
  return server_->GetConfig();
}

std::array<uint16_t, 16> SimThread::Ram() const {
  return server_->Ram();
}

std::array<uint16_t, 16> SimThread::Eeprom() const {
  return server_->Eeprom();
}

void SimThread::SetRam(const std::array<uint16_t, 16>& words) {
  server_->SetRam(words);
}

void SimThread::SetEeprom(const std::array<uint16_t, 16>& words) {
  server_->SetEeprom(words);
}

void SimThread::WithModel(const std::function<void(const SensorModel&)>& inspect) const {
  server_->WithModel(inspect);
}

size_t SimThread::DiscardedBytes() const {
  return server_->DiscardedBytes();
}

bool SimThread::Sending() const {
  return server_->Sending();
}

bool SimThread::HungUp() const {
  return server_->HungUp();
}

}  // namespace sim
