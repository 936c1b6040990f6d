// The file dialog's seam: FileSelectPopup asks an answer provider, when one is
// set, before it shows a dialog. None is set in the program, so there the
// dialog is always shown and nothing is kept of what it was asked; the
// test-support library sets one to answer dialogs without a person.
// Private to the engine and its test-support library.
#pragma once

#include <string>

// What FileSelectPopup was asked (paths as the program gave them).
struct FileSelectRequest {
  std::string directory, fileName, filter, title;
  std::string opensIn;  // the folder the dialog opened in
  int buttonKind = 0, restrictDirectory = 0, restrictExtension = 0, allowCancel = 0,
      allowMakeDirectory = 0;
};

// An answer in place of the operator's: FileSelectPopup returns `result` with
// `path` copied to its buffer.
struct FileSelectAnswer {
  int result = 0;
  std::string path;
};

// Returns true with *answer filled to answer the request, false to show the
// dialog.
using FileSelectAnswerProvider = bool (*)(const FileSelectRequest& request,
                                          FileSelectAnswer* answer);
// Sets the provider (nullptr: none) and returns the one set before.
FileSelectAnswerProvider SetFileSelectAnswerProvider(FileSelectAnswerProvider provider);

// Forgets the folder where each kind of dialog last ended, so the next one opens
// in the folder it is given.
void ForgetFileSelectFolders();
