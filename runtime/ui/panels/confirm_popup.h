// The confirmation box's seam: ConfirmPopup asks an answer provider, when one
// is set, before it shows a box. None is set in the program, so there the box
// is always shown; the test-support library sets one to answer without a
// person and to keep what was asked.
// Private to the engine and its test-support library.
#pragma once

// `title` and `question` as the program gave them (Latin-1, never null).
// Returns true with *yes filled to answer, false to show the box.
using ConfirmAnswerProvider = bool (*)(const char* title, const char* question, int* yes);
// Sets the provider (nullptr: none) and returns the one set before.
ConfirmAnswerProvider SetConfirmAnswerProvider(ConfirmAnswerProvider provider);
