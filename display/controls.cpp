#include "display/controls.h"

int32_t panelHandle = 0;
int32_t panelPopUp = 0;
