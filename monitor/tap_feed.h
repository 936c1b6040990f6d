// The line log fed by the engine's serial tap: each record the tap reports
// (runtime/serial_tap.h) becomes the log's entry of the same kind. Used by
// every place that records the line: the line monitor and vantrel-cli's trace.
#pragma once

#include "monitor/line_log.h"
#include "runtime/serial_tap.h"

namespace monitor {

void FeedLineLog(LineLog& log, const SerialTapRecord& record);

}  // namespace monitor
