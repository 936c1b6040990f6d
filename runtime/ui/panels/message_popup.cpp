// The modal message box, and the record of what it was asked to say.
#include <QGuiApplication>
#include <QMessageBox>
#include <string>
#include <vector>

#include "runtime/engine/engine.h"
#include "runtime/testing/inspect.h"
#include "runtime/userint.h"

namespace {

std::vector<std::string>& Shown() {
  static std::vector<std::string> texts;
  return texts;
}

QString Latin1(const char* text) {
  return QString::fromLatin1(text != nullptr ? text : "");
}

// The offscreen platform draws into memory only: a box there waits for a
// click that can never come.
bool NobodyCanSeeIt() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal";
}

}  // namespace

int MessagePopup(const char* title, const char* message) {
  Shown().push_back(std::string(title != nullptr ? title : "") + ": " +
                    (message != nullptr ? message : ""));
  if (!TheEngine().started) return UIE_NOT_INITIALISED;
  if (NobodyCanSeeIt()) return 0;
  QMessageBox box(QMessageBox::Critical, Latin1(title), Latin1(message), QMessageBox::Ok);
  box.exec();
  return 0;
}

std::vector<std::string> MessagePopupTexts() {
  return Shown();
}

void ClearMessagePopupTexts() {
  Shown().clear();
}
