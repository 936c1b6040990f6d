// The confirmation box's answers for tests: a queue of answers and the record
// of every question, behind the engine's answer provider.
#include <deque>
#include <string>
#include <vector>

#include "runtime/testing/inspect.h"
#include "runtime/ui/panels/confirm_popup.h"

namespace {

std::deque<int>& Answers() {
  static std::deque<int> answers;
  return answers;
}

std::vector<std::string>& Asked() {
  static std::vector<std::string> asked;
  return asked;
}

bool AnswerFromQueue(const char* title, const char* question, int* yes) {
  Asked().push_back(std::string(title) + ": " + question);
  if (Answers().empty()) return false;
  *yes = Answers().front();
  Answers().pop_front();
  return true;
}

// Set as the program starts, in every program that links this file (one that
// uses the functions below), so the record holds every question from the first.
[[maybe_unused]] const bool installed = (SetConfirmAnswerProvider(&AnswerFromQueue), true);

}  // namespace

void QueueConfirmAnswer(int yes) {
  Answers().push_back(yes);
}

std::vector<std::string> ConfirmQuestions() {
  return Asked();
}

void ClearConfirmAnswers() {
  Answers().clear();
  Asked().clear();
}
