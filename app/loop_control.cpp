#include "app/loop_control.h"

#include "app/sensor_operation.h"
#include "app/vantrel.h"
#include "param/transfer.h"
#include "runtime/userint.h"

void ForceStoreToRam() {
  SelectStore(RAM);
}

int CC_BTNStop(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
               int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_LEFT_PRESS) return 0;
  stop_flag = 1;
  // A loop still running keeps the others away until it has ended.
  OfferSensorCommands();
  return 0;
}
