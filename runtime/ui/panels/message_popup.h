// The message box's seam: MessagePopup tells an observer, when one is set,
// what it was asked to say, whether or not the box can be shown. None is set in
// the program; the test-support library sets one to keep what was said.
// Private to the engine and its test-support library.
#pragma once

// `title` and `message` as the program gave them (Latin-1, never null).
using MessagePopupObserver = void (*)(const char* title, const char* message);
// Sets the observer (nullptr: none) and returns the one set before.
MessagePopupObserver SetMessagePopupObserver(MessagePopupObserver observer);
