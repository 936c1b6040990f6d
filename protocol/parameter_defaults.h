// The parameter set the program starts with, before it has read a sensor or
// a file, in package order. Pure.
#pragma once

#include "protocol/frame.h"

namespace protocol {

// power 500, pwrMode 0, vThd 512, bVal 64, polarity 1, eMode 1, eBeg 1,
// eEnd 512, tVal 512, tTol 100, iGain 1, ePoti 1, ccdMode 0, pStart 1,
// bMode 0, para15 1000.
inline constexpr Words kParameterDefaults = {500, 0,   512, 64, 1, 1, 1, 512,
                                             512, 100, 1,   1,  0, 1, 0, 1000};

}  // namespace protocol
