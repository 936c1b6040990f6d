#include "protocol/orders.h"

namespace protocol {

namespace {
struct Names {
  const char* name;
  const char* tag;
};
// Indexed by order code - 1.
constexpr Names kNames[kLastOrder] = {
    {"Write RAM", "write-ram"},         {"Read RAM", "read-ram"},
    {"Write EEPROM", "write-eeprom"},   {"Read EEPROM", "read-eeprom"},
    {"Echo check", "echo-check"},       {"Teach", "teach"},
    {"Firmware info", "firmware-info"}, {"Measure", "measure"},
    {"Data block", "data64"},           {"CCD info", "ccd-info"},
};
}  // namespace

std::string OrderName(int order) {
  if (IsOrder(order)) return kNames[order - kFirstOrder].name;
  return "Order " + std::to_string(order);
}

const char* OrderTag(int order) {
  return IsOrder(order) ? kNames[order - kFirstOrder].tag : "unknown";
}

}  // namespace protocol
