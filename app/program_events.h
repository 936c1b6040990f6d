// What the program decides, told to the features beside it (the trend, the
// statistics, the recording, Compare, Find sensor, publishing to come). Each
// event is told where the program decides it, never guessed from the line: the
// Run loop tells a frame accepted where it takes the frame for its scope, the
// transfer tells a set read where it copies the reply into the variables.
//
// An observer is a table of functions, any of them null, and a context handed
// back to each. Observers run on the user-interface thread, inside the
// operation that decided (a loop, a wait: callbacks may be running nested);
// they must not talk to the sensor, and they may add or remove observers. A
// Run with no observer costs one test per event.
#pragma once

#include <cstdint>

// ---- The one-operation rule: what talks to the sensor now -------------------
constexpr int32_t OPERATION_NONE = 0;
constexpr int32_t OPERATION_BRING_UP = 1;  // start-up, a port chosen, a device back
constexpr int32_t OPERATION_GET = 2;
constexpr int32_t OPERATION_SEND = 3;
constexpr int32_t OPERATION_TEACH = 4;             // the set-point teach
constexpr int32_t OPERATION_BACKGROUND_TEACH = 5;  // from its press to the end of its click
constexpr int32_t OPERATION_RUN = 6;
constexpr int32_t OPERATION_DATA = 7;
// Compare's reads, send and verify, backup, restore.
constexpr int32_t OPERATION_PARAMETER_SETS = 8;
constexpr int32_t OPERATION_FIND_SENSOR = 9;  // the search over every port

// ---- Acquisition loops --------------------------------------------------------
constexpr int32_t LOOP_RUN = 1;    // the Run command's loop
constexpr int32_t LOOP_VIDEO = 2;  // the Video data command's loop

// Why a loop ended.
constexpr int32_t LOOP_END_STOPPED = 0;    // Stop, or the window closed
constexpr int32_t LOOP_END_TIMEOUT = 1;    // a measurement went unanswered
constexpr int32_t LOOP_END_PORT_LOST = 2;  // the port's device went away

// The stores a parameter set moves between (the values of param/'s RAM,
// EEPROM and DATFILE).
constexpr int32_t STORE_RAM = 1;
constexpr int32_t STORE_EEPROM = 2;
constexpr int32_t STORE_FILE = 3;

constexpr int PARAMETER_WORDS = 16;  // a set, a frame's words, in package order

// A measurement frame the program took for its scope.
struct AcceptedFrame {
  uint16_t words[PARAMETER_WORDS];  // the reply's 16 words (first edge, second edge, ...)
  double time;                      // Timer() seconds when the program took it
  // Timer() seconds of its first byte on the line; -1 where not known (the
  // engine hands the program a frame once it is whole).
  double firstByteTime;
};

struct ProgramObserver {
  void* context = nullptr;
  // A loop began: `loop` LOOP_RUN or LOOP_VIDEO, `time` (Timer() seconds)
  // just before its first measurement request left.
  void (*loopStarted)(void* context, int32_t loop, double time) = nullptr;
  void (*frameAccepted)(void* context, const AcceptedFrame& frame) = nullptr;
  // The loop's measurement request got no answer within its limit (the loop
  // then ends).
  void (*measurementTimedOut)(void* context, double time) = nullptr;
  void (*loopEnded)(void* context, int32_t loop, int32_t why) = nullptr;
  // The bring-up opened port `port` (1 = COM1) on `device`.
  void (*portOpened)(void* context, int32_t port, const char* device) = nullptr;
  // The open port's device went away (told once per loss) ...
  void (*portLost)(void* context, int32_t port) = nullptr;
  // ... and came back: the program brings the link up again (portOpened follows).
  void (*portBack)(void* context, int32_t port) = nullptr;
  // A set became the program's: read from the sensor's RAM or EEPROM, or
  // loaded from a file (STORE_FILE). `set`: 16 words, valid during the call.
  void (*parametersRead)(void* context, int32_t store, const uint16_t* set) = nullptr;
  // The program sent the panels' set to the sensor's RAM or EEPROM (the whole
  // frame queued), or saved it to a file (STORE_FILE).
  void (*parametersSent)(void* context, int32_t store, const uint16_t* set) = nullptr;
  // An operation began (its OPERATION_ code) or ended (OPERATION_NONE), after
  // the program's own commands were dimmed or offered again.
  void (*operationChanged)(void* context, int32_t operation) = nullptr;
};

constexpr int MAX_PROGRAM_OBSERVERS = 16;

// Adds `observer` (kept by its address, which must stay valid until it is
// removed; adding it twice adds it once). Returns 1, or 0 when the table is full.
int AddProgramObserver(const ProgramObserver* observer);
// Removes it; nothing happens for one not added.
void RemoveProgramObserver(const ProgramObserver* observer);
