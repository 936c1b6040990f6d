#include "link/datablock.h"

uint16_t adcbuf[VIDEO_SAMPLES] = {};
int32_t ref_flag = 0;
