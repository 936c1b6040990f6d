// The receive notification a port has installed, and what its checks have
// seen of the input: which events a check owes the notification function, the
// call itself, and a check asked for while the function runs. Local and
// network ports keep it alike; only how they look at their input differs.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <algorithm>
#include <cstdint>

#include "runtime/rs232.h"

struct ComNotification {
  // What the program installed; a suspended port keeps it for Resume.
  struct Installed {
    int mask = 0;
    int notifyCount = 0;
    int eventChar = 0;
    ComCallbackPtr fn = nullptr;
    void* data = nullptr;
  };

  Installed installed;
  int64_t examined = 0;     // bytes at the front of the input queue a check has already seen
  bool txDrained = false;   // the output queue emptied since the last check
  bool inCallback = false;  // the notification function is running
  bool recheck = false;     // a check was asked for while it ran

  // Installs the function; a mask of 0 or no function removes it. The port
  // then sets `examined` to what is queued: that is not news to it.
  void Install(int mask, int notifyCount, int eventChar, ComCallbackPtr fn, void* data) {
    if (mask == 0 || fn == nullptr) {
      mask = 0;
      fn = nullptr;
      data = nullptr;
    }
    installed = {mask, notifyCount, eventChar & 0xFF, fn, data};
    txDrained = false;
  }

  // What a closed port keeps of it: nothing to call, nothing seen.
  void Forget() {
    installed.mask = 0;
    installed.fn = nullptr;
    installed.data = nullptr;
    examined = 0;
    txDrained = false;
    recheck = false;
  }

  // `count` bytes left the front of the input queue.
  void Taken(int64_t count) { examined = std::max<int64_t>(0, examined - count); }

  // True when a check must wait: the function is running and processes
  // events itself; it is not entered a second time, and the check runs again
  // once it has returned.
  bool Deferred() {
    if (inCallback) recheck = true;
    return inCallback;
  }

  // The events a check finds with `queued` bytes in the input queue, and marks
  // them seen. `eventCharSince(from, to)` says whether the event character is
  // among the bytes from..to; it is asked only when that event is wanted.
  template <typename EventCharSince>
  int TakeEvents(int64_t queued, EventCharSince eventCharSince) {
    const Installed& n = installed;
    int events = 0;
    if (n.fn != nullptr && queued > examined) {
      if ((n.mask & COM_EVENT_RECEIVE) && queued >= n.notifyCount) events |= COM_EVENT_RECEIVE;
      if ((n.mask & COM_EVENT_CHAR) && eventCharSince(examined, queued)) events |= COM_EVENT_CHAR;
    }
    examined = queued;
    if (txDrained && n.fn != nullptr && (n.mask & COM_EVENT_TX_EMPTY)) events |= COM_EVENT_TX_EMPTY;
    txDrained = false;
    return events;
  }

  // Calls the function with `events`; true when a check was asked for while
  // it ran, which is then owed.
  bool Call(int port, int events) {
    const Installed n = installed;  // the function may install another
    inCallback = true;
    n.fn(port, events, n.data);
    inCallback = false;
    const bool again = recheck;
    recheck = false;
    return again;
  }
};
