// The modal message box.
#include "runtime/ui/panels/message_popup.h"

#include <QGuiApplication>
#include <QMessageBox>

#include "runtime/engine/engine.h"
#include "runtime/userint.h"

namespace {

MessagePopupObserver g_observer = nullptr;

QString Latin1(const char* text) {
  return QString::fromLatin1(text);
}

// The offscreen platform draws into memory only: a box there waits for a
// click that can never come.
bool NobodyCanSeeIt() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal";
}

}  // namespace

MessagePopupObserver SetMessagePopupObserver(MessagePopupObserver observer) {
  const MessagePopupObserver before = g_observer;
  g_observer = observer;
  return before;
}

int MessagePopup(const char* title, const char* message) {
  if (title == nullptr) title = "";
  if (message == nullptr) message = "";
  if (g_observer != nullptr) g_observer(title, message);
  if (!TheEngine().started) return UIE_NOT_INITIALISED;
  if (NobodyCanSeeIt()) return 0;
  QMessageBox box(QMessageBox::Critical, Latin1(title), Latin1(message), QMessageBox::Ok);
  box.exec();
  return 0;
}
