#include "ports/qt/port_probe.h"

#include "app/program_face.h"
#include "ports/probe_frames.h"
#include "protocol/frame.h"
#include "protocol/orders.h"
#include "runtime/rs232.h"

namespace ports {
namespace {
constexpr long kBaudRate = 19200;
constexpr int kQueueSize = 4096;
}  // namespace

PortProbe::PortProbe(int port, const std::string& device, const std::array<uint16_t, 16>& words)
    : port_(port), device_(device), words_(words) {
  limit_.setSingleShot(true);
  connect(&limit_, &QTimer::timeout, this, [this] { OnLimit(); });
}

PortProbe::~PortProbe() {
  Close();
}

void PortProbe::Start() {
  const int opened =
      OpenComConfig(port_, device_.c_str(), kBaudRate, 0, 8, 1, kQueueSize, kQueueSize);
  if (opened == RS232_CANNOT_OPEN_PORT) {
    // Busy (another port or program holds the device, by whatever name) or
    // refused; the caller tells refused access apart beforehand.
    Finish(Outcome::kBusy);
    return;
  }
  if (opened < 0) {
    result_.reason = PortErrorText(opened);
    Finish(Outcome::kCannotOpen);
    return;
  }
  open_ = true;
  SetCTSMode(port_, 0);
  FlushInQ(port_);
  FlushOutQ(port_);
  Send(protocol::kEchoCheck);
}

void PortProbe::Send(int order) {
  order_ = order;
  // The reply is taken in once it is whole.
  InstallComCallback(port_, COM_EVENT_RECEIVE, protocol::ReplyLength(order), 0,
                     &PortProbe::OnNotify, this);
  const std::vector<uint8_t> frame = protocol::EncodeRequest(order, words_);
  ComWrt(port_, reinterpret_cast<const char*>(frame.data()), static_cast<int>(frame.size()));
  limit_.start(static_cast<int>(protocol::ReplyLimit(order) * 1000.0));
}

void PortProbe::OnNotify(int, int events, void* probe) {
  auto* self = static_cast<PortProbe*>(probe);
  if ((events & COM_EVENT_RECEIVE) != 0 && !self->Done()) self->OnReply();
}

void PortProbe::OnReply() {
  std::vector<uint8_t> reply(static_cast<size_t>(protocol::ReplyLength(order_)));
  const int read =
      ComRd(port_, reinterpret_cast<char*>(reply.data()), static_cast<int>(reply.size()));
  if (read < static_cast<int>(reply.size())) return;
  limit_.stop();
  if (order_ == protocol::kEchoCheck) {
    if (JudgeLineCheck(reply) == LineCheck::kWrongSync) {
      Finish(Outcome::kWrongSync);
      return;
    }
    // A sensor: its firmware text names it in the list.
    sensorFound_ = true;
    Send(protocol::kFirmwareInfo);
    return;
  }
  if (const auto text = FirmwareText(reply)) result_.firmware = *text;
  Finish(Outcome::kSensor);
}

void PortProbe::OnLimit() {
  Finish(sensorFound_ ? Outcome::kSensor : Outcome::kNoAnswer);
}

void PortProbe::Close() {
  if (!open_) return;
  open_ = false;
  CloseCom(port_);
}

void PortProbe::Stop() {
  limit_.stop();
  Close();
}

void PortProbe::Finish(Outcome outcome) {
  limit_.stop();
  result_.outcome = outcome;
  Close();
  emit finished();
}

}  // namespace ports
