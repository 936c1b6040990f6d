#include "ports/probe_frames.h"

#include <string_view>

#include "fields/latin1.h"
#include "protocol/frame.h"
#include "protocol/orders.h"
#include "protocol/raw_replies.h"

namespace ports {

LineCheck JudgeLineCheck(const std::vector<uint8_t>& reply) {
  if (reply.size() < static_cast<size_t>(protocol::ReplyLength(protocol::kEchoCheck)))
    return LineCheck::kIncomplete;
  return protocol::SyncOf(reply.data()) == protocol::kReplySync ? LineCheck::kSensor
                                                                : LineCheck::kWrongSync;
}

std::optional<std::string> FirmwareText(const std::vector<uint8_t>& reply) {
  const int length = protocol::ReplyLength(protocol::kFirmwareInfo);
  if (reply.size() < static_cast<size_t>(length)) return std::nullopt;
  if (!protocol::IsFirmwareText(reply.data(), length)) return std::nullopt;
  const int end = protocol::FirmwareTextLength(reply.data(), length);
  return fields::Latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(reply.data()), end));
}

}  // namespace ports
