// The settings panel's state.
#pragma once

#include <cstdint>

extern uint16_t hidePopUp;  // 1 while the settings panel is hidden
