#include "runtime/testing/resource_path.h"

#include <cstdlib>

const char* PanelResourcePath() {
  const char* chosen = std::getenv("VANTREL_UIR");
  return chosen != nullptr && *chosen != '\0' ? chosen : VANTREL_PANEL_RESOURCE;
}
