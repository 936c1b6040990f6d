#include "app/popup.h"

uint16_t hidePopUp = 1;
