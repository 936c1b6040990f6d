// The file dialog's answers for tests: a queue of answers and the log of every
// request, behind the engine's answer provider.
#include <deque>
#include <vector>

#include "runtime/files/file_dialog.h"
#include "runtime/testing/inspect.h"

namespace {

std::deque<FileSelectAnswer>& Answers() {
  static std::deque<FileSelectAnswer> answers;
  return answers;
}

std::vector<FileSelectRequest>& Requests() {
  static std::vector<FileSelectRequest> requests;
  return requests;
}

bool AnswerFromQueue(const FileSelectRequest& request, FileSelectAnswer* answer) {
  Requests().push_back(request);
  if (Answers().empty()) return false;
  *answer = Answers().front();
  Answers().pop_front();
  return true;
}

// Set as the program starts, in every program that links this file (one that
// uses the functions below), so the log holds every request from the first.
[[maybe_unused]] const bool installed = (SetFileSelectAnswerProvider(&AnswerFromQueue), true);

}  // namespace

void QueueFileSelectAnswer(int result, const std::string& path) {
  Answers().push_back(FileSelectAnswer{result, path});
}

void ClearFileSelectAnswers() {
  Answers().clear();
  Requests().clear();
  ForgetFileSelectFolders();
}

std::vector<FileSelectRequest> FileSelectRequests() {
  return Requests();
}
