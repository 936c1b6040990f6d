#include "display/scope.h"

uint16_t pix1 = 0;
uint16_t edcnt = 0;
uint16_t mvstart = 0;
uint16_t mvend = 0;
