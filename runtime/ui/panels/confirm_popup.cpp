// The modal yes/no box.
#include "runtime/ui/panels/confirm_popup.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include "runtime/engine/engine.h"
#include "runtime/userint.h"

namespace {

ConfirmAnswerProvider g_provider = nullptr;

// The offscreen platform draws into memory only: a box there would wait for
// an answer that can never come.
bool NobodyCanSeeIt() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal";
}

}  // namespace

ConfirmAnswerProvider SetConfirmAnswerProvider(ConfirmAnswerProvider provider) {
  const ConfirmAnswerProvider before = g_provider;
  g_provider = provider;
  return before;
}

int ConfirmPopup(const char* title, const char* question) {
  if (title == nullptr) title = "";
  if (question == nullptr) question = "";
  int yes = 0;
  if (g_provider != nullptr && g_provider(title, question, &yes)) return yes != 0 ? 1 : 0;
  if (!TheEngine().started) return UIE_NOT_INITIALISED;
  // Unanswered, nothing is done: the safe answer.
  if (NobodyCanSeeIt()) return 0;
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(title), QString::fromLatin1(question),
                  QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes ? 1 : 0;
}
