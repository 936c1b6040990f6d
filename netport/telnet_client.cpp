#include "netport/telnet_client.h"

namespace netport {
namespace {

// Telnet's commands and the options the client knows.
constexpr uint8_t kSe = 240;
constexpr uint8_t kSb = 250;
constexpr uint8_t kWill = 251;
constexpr uint8_t kWont = 252;
constexpr uint8_t kDo = 253;
constexpr uint8_t kDont = 254;
constexpr uint8_t kIac = 255;
constexpr uint8_t kCr = 13;

constexpr uint8_t kOptBinary = 0;
constexpr uint8_t kOptSga = 3;  // suppress go-ahead: harmless, agreed to when offered
constexpr uint8_t kOptComPort = 44;

// COM-PORT-OPTION commands from the client; the server answers each with the
// same number plus 100.
constexpr uint8_t kSetBaudRate = 1;
constexpr uint8_t kSetDataSize = 2;
constexpr uint8_t kSetParity = 3;
constexpr uint8_t kSetStopSize = 4;
constexpr uint8_t kSetControl = 5;
constexpr uint8_t kNotifyLineState = 6;
constexpr uint8_t kNotifyModemState = 7;
constexpr uint8_t kFlowSuspend = 8;
constexpr uint8_t kFlowResume = 9;
constexpr uint8_t kSetLineStateMask = 10;
constexpr uint8_t kSetModemStateMask = 11;
constexpr uint8_t kPurgeData = 12;
constexpr uint8_t kServerOffset = 100;

constexpr uint8_t kControlNoFlow = 1;
constexpr uint8_t kControlDtrOn = 8;
constexpr uint8_t kControlRtsOn = 11;

// A subnegotiation longer than any the client understands is not kept whole.
constexpr size_t kLongestSubnegotiation = 64;

void Put(std::vector<uint8_t>* out, std::initializer_list<uint8_t> bytes) {
  out->insert(out->end(), bytes);
}

// IAC SB COM-PORT-OPTION command value... IAC SE, with 0xFF in the value doubled.
void PutComPort(std::vector<uint8_t>* out, uint8_t command, std::initializer_list<uint8_t> value) {
  Put(out, {kIac, kSb, kOptComPort, command});
  for (const uint8_t b : value) {
    out->push_back(b);
    if (b == kIac) out->push_back(kIac);
  }
  Put(out, {kIac, kSe});
}

}  // namespace

TelnetClient::TelnetClient(const LineSettings& settings) : settings_(settings) {}

std::vector<uint8_t> TelnetClient::Start() {
  usBinary_.asked = themBinary_.asked = usComPort_.asked = true;
  return {kIac, kWill, kOptBinary, kIac, kDo, kOptBinary, kIac, kWill, kOptComPort};
}

void TelnetClient::Receive(const uint8_t* bytes, size_t count, std::vector<uint8_t>* data,
                           std::vector<uint8_t>* reply) {
  for (size_t i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    switch (parse_) {
      case Parse::kDataAfterCr:
        parse_ = Parse::kData;
        if (b == 0) break;  // CR NUL stands for a lone CR
        [[fallthrough]];
      case Parse::kData:
        if (b == kIac) {
          parse_ = Parse::kIac;
        } else {
          data->push_back(b);
          if (b == kCr && !themBinary_.enabled) parse_ = Parse::kDataAfterCr;
        }
        break;
      case Parse::kIac:
        parse_ = Parse::kData;
        if (b == kIac) {
          data->push_back(kIac);
        } else if (b >= kWill && b <= kDont) {
          command_ = b;
          parse_ = Parse::kOption;
        } else if (b == kSb) {
          sub_.clear();
          parse_ = Parse::kSub;
        }
        // NOP, GA, DM and the other commands carry nothing for the line.
        break;
      case Parse::kOption:
        parse_ = Parse::kData;
        OnCommand(command_, b, reply);
        break;
      case Parse::kSub:
        if (b == kIac) {
          parse_ = Parse::kSubIac;
        } else if (sub_.size() < kLongestSubnegotiation) {
          sub_.push_back(b);
        }
        break;
      case Parse::kSubIac:
        if (b == kIac) {
          if (sub_.size() < kLongestSubnegotiation) sub_.push_back(kIac);
          parse_ = Parse::kSub;
        } else if (b == kSe) {
          parse_ = Parse::kData;
          OnSubnegotiation(reply);
        } else {
          // A command inside an unfinished subnegotiation: the subnegotiation
          // is dropped and the command taken as one.
          parse_ = Parse::kIac;
          --i;
        }
        break;
    }
  }
}

void TelnetClient::OnCommand(uint8_t command, uint8_t option, std::vector<uint8_t>* reply) {
  // The server's side (WILL/WONT) or ours (DO/DONT), for the options we know.
  const bool theirs = command == kWill || command == kWont;
  Side* side = nullptr;
  if (theirs) {
    if (option == kOptBinary) side = &themBinary_;
    if (option == kOptSga) side = &themSga_;
  } else {
    if (option == kOptBinary) side = &usBinary_;
    if (option == kOptSga) side = &usSga_;
    if (option == kOptComPort) side = &usComPort_;
  }
  const bool enable = command == kWill || command == kDo;
  if (side == nullptr) {
    // Unknown, or an option the client does not take (ECHO: the server must
    // not send the client's data back): refused. A refusal is never answered.
    if (enable) Put(reply, {kIac, theirs ? kDont : kWont, option});
    return;
  }
  // Answer only a change the client did not ask for itself; an answer to its
  // own request is not answered again (no negotiation loop).
  if (side->enabled != enable && !side->asked) {
    Put(reply,
        {kIac, static_cast<uint8_t>(theirs ? (enable ? kDo : kDont) : (enable ? kWill : kWont)),
         option});
  }
  side->enabled = enable;
  side->asked = false;
  if (side == &usComPort_) {
    if (!enable) {
      Refuse(
          "the server does not take the COM-PORT-OPTION (RFC 2217), so it cannot set the line; "
          "a server without it is reached with tcp://");
      return;
    }
    if (!settingsSent_) SendSettings(reply);
  }
}

void TelnetClient::SendSettings(std::vector<uint8_t>* reply) {
  settingsSent_ = true;
  const uint32_t baud = settings_.baudRate;
  PutComPort(reply, kSetBaudRate,
             {static_cast<uint8_t>(baud >> 24), static_cast<uint8_t>(baud >> 16),
              static_cast<uint8_t>(baud >> 8), static_cast<uint8_t>(baud)});
  PutComPort(reply, kSetDataSize, {settings_.dataSize});
  PutComPort(reply, kSetParity, {settings_.parity});
  PutComPort(reply, kSetStopSize, {settings_.stopSize});
  PutComPort(reply, kSetControl, {kControlNoFlow});
  // Raised as a local port raises them; a line without modem lines ignores it.
  PutComPort(reply, kSetControl, {kControlDtrOn});
  PutComPort(reply, kSetControl, {kControlRtsOn});
  // Told of damaged bytes only; the modem lines mean nothing to the sensor.
  PutComPort(reply, kSetLineStateMask, {kLineErrorBits});
  PutComPort(reply, kSetModemStateMask, {0});
  // A fresh connection starts empty: whatever the server kept from the line
  // before (a late reply, an earlier client's bytes) is not this one's.
  PutComPort(reply, kPurgeData, {kPurgeBoth});
}

void TelnetClient::OnSubnegotiation(std::vector<uint8_t>* /*reply*/) {
  if (sub_.size() < 2 || sub_[0] != kOptComPort || sub_[1] < kServerOffset) return;
  const uint8_t command = static_cast<uint8_t>(sub_[1] - kServerOffset);
  const std::vector<uint8_t> value(sub_.begin() + 2, sub_.end());
  const auto acknowledge = [&](int index, uint32_t asked, const char* what) {
    uint32_t got = 0;
    for (const uint8_t b : value) got = got * 256 + b;
    if (value.empty() || got != asked) {
      Refuse(std::string("the server set the ") + what + " to " + std::to_string(got) +
             " instead of " + std::to_string(asked));
      return;
    }
    acked_[index] = true;
  };
  switch (command) {
    case kSetBaudRate:
      if (value.size() == 4) {
        acknowledge(0, settings_.baudRate, "baud rate");
      } else {
        Refuse("the server's baud rate answer is not 4 bytes long");
      }
      break;
    case kSetDataSize:
      acknowledge(1, settings_.dataSize, "data size");
      break;
    case kSetParity:
      acknowledge(2, settings_.parity, "parity");
      break;
    case kSetStopSize:
      acknowledge(3, settings_.stopSize, "stop size");
      break;
    case kNotifyLineState:
      if (value.empty()) break;
      lineState_ = value[0];
      if ((value[0] & kLineErrorBits) != 0) ++lineErrorNotices_;
      break;
    case kNotifyModemState:
      if (!value.empty()) modemState_ = value[0];
      break;
    case kFlowSuspend:
      suspended_ = true;
      break;
    case kFlowResume:
      suspended_ = false;
      break;
    case kPurgeData:
      ++purgeAcks_;
      break;
    default:
      break;  // control, masks, signature: nothing to wait for
  }
  CheckReady();
}

void TelnetClient::CheckReady() {
  if (state_ != TelnetState::kNegotiating || !usComPort_.enabled) return;
  for (const bool acked : acked_) {
    if (!acked) return;
  }
  state_ = TelnetState::kReady;
}

void TelnetClient::Refuse(const std::string& reason) {
  if (state_ == TelnetState::kRefused) return;
  state_ = TelnetState::kRefused;
  reason_ = reason;
}

std::vector<uint8_t> TelnetClient::Encode(const uint8_t* bytes, size_t count) const {
  std::vector<uint8_t> wire;
  wire.reserve(count + count / 16 + 2);
  for (size_t i = 0; i < count; ++i) {
    wire.push_back(bytes[i]);
    if (bytes[i] == kIac) wire.push_back(kIac);
    if (bytes[i] == kCr && !usBinary_.enabled) wire.push_back(0);
  }
  return wire;
}

std::vector<uint8_t> TelnetClient::Purge(uint8_t which) const {
  std::vector<uint8_t> out;
  if (usComPort_.enabled) PutComPort(&out, kPurgeData, {which});
  return out;
}

}  // namespace netport
