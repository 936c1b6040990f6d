// The record of what MessagePopup was asked to say, for tests.
#include <string>
#include <vector>

#include "runtime/testing/inspect.h"
#include "runtime/ui/panels/message_popup.h"

namespace {

std::vector<std::string>& Said() {
  static std::vector<std::string> texts;
  return texts;
}

void Keep(const char* title, const char* message) {
  Said().push_back(std::string(title) + ": " + message);
}

// Set as the program starts, in every program that links this file (one that
// uses the functions below), so the record holds every message from the first.
[[maybe_unused]] const bool installed = (SetMessagePopupObserver(&Keep), true);

}  // namespace

std::vector<std::string> MessagePopupTexts() {
  return Said();
}

void ClearMessagePopupTexts() {
  Said().clear();
}
