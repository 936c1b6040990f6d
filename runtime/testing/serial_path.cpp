#include <QSocketNotifier>

#include "runtime/serial/serial_channel.h"
#include "runtime/testing/serial_inspect.h"

namespace {

// A notifier the port does not know of, switched off so that it never fires.
void AddSecondReadNotifier(QSerialPort& port) {
  auto* extra = new QSocketNotifier(qintptr(port.handle()), QSocketNotifier::Read, &port);
  extra->setEnabled(false);
}

}  // namespace

void ChooseComPathForTests(ComPathForTests path) {
  g_serialChannelSeams.portable = path == ComPathForTests::Portable;
  g_serialChannelSeams.opened =
      path == ComPathForTests::UnexpectedNotifier ? AddSecondReadNotifier : nullptr;
}
