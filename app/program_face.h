// The program as features beside it see it: read-only snapshots of what it
// holds, and the few commands it offers them. A feature reaches the program
// only through this face, the events it is told (app/program_events.h) and
// the engine's public headers; it never reads or writes the program's
// variables, calls its callbacks or saves and restores its state.
//
// Every snapshot is a copy, valid until the caller drops it; texts are
// Latin-1, as the program holds them. All run on the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/program_events.h"  // operation codes, stores, PARAMETER_WORDS

constexpr int FACE_TEXT = 73;    // a status or firmware text with its terminator
constexpr int FACE_PATH = 260;   // a path with its terminator
constexpr int VIDEO_LINE = 256;  // samples of the video line

// ---- Snapshots ------------------------------------------------------------------

// Which sensor the program talks to, and on which port.
struct SensorIdentity {
  int32_t port;                    // the port in use (1 = COM1)
  char device[FACE_PATH];          // its device path
  int32_t portLost;                // 1 while the port's device has gone away
  char firmware[FACE_TEXT];        // "" until the sensor answered the firmware query
  int32_t ccdType;                 // 0 until the sensor said which CCD it carries
  int32_t pixels;                  // the CCD's pixel count, 0 until known
  int32_t resolution;              // the resolution code that came with the type
  int32_t pitchNm;                 // pixel pitch for micrometres (7800 before the type is known)
  int32_t pixelLimit;              // the highest pixel position the parameters take
  char ccdDescription[FACE_TEXT];  // as the settings panel shows it
};
void GetSensorIdentity(SensorIdentity* identity);

// The program's parameter set and where the panels' values came from.
struct ParameterSnapshot {
  uint16_t set[PARAMETER_WORDS];  // the parameter variables, package order
  int32_t origin;                 // 0 unread (start values), 1 read, 2 loaded from a file, 3 sent
  int32_t store;                  // STORE_RAM or STORE_EEPROM, for a set read or sent
  char file[FACE_PATH];           // the parameter file a set was loaded from
  float scale;                    // the scale factor the micrometre read-outs use
  int32_t micrometres;            // 1 while the read-outs show micrometres, 0 pixels
  int32_t selectedStore;          // the store selector: STORE_RAM, STORE_EEPROM or STORE_FILE
};
void GetParameterSnapshot(ParameterSnapshot* snapshot);
// What the panels hold now, read as Send reads them (nothing limited, the scale
// factor in thousandths); the program's variables stay as they were.
void GetPanelSet(uint16_t set[PARAMETER_WORDS]);

// The video line as the data graph draws it.
struct VideoLine {
  uint16_t x[VIDEO_LINE];          // pixel position of each sample
  uint16_t level[VIDEO_LINE];      // counts 0..1023
  uint16_t threshold[VIDEO_LINE];  // the threshold line
  int32_t read;                    // 0 until a video block came from the sensor
};
void GetVideoLine(VideoLine* line);

// The program's two graphs on its main panel (for freeze, zoom, read-outs and
// pictures through the engine's graph operations). `panel` is 0 before the
// main panel is loaded.
struct ProgramGraphs {
  int32_t panel;
  int32_t scope;  // the scope: edges, measured value, band, window
  int32_t data;   // the video line and threshold
};
void GetProgramGraphs(ProgramGraphs* graphs);

// The parameter file as the program's dialogs offer it.
struct ParameterFileDialog {
  char folder[FACE_PATH];  // where the dialogs open
  const char* name;        // "QVORpara.dat"
  const char* filter;      // "*.dat"
  const char* loadTitle;
};
void GetParameterFileDialog(ParameterFileDialog* dialog);

// What the status line shows now (cut to `size` with its terminator).
void GetStatusLine(char* text, size_t size);
// The operation that talks to the sensor now (OPERATION_NONE: none), and what
// the status line calls it ("Run", "the link bring-up", ...).
int32_t RunningOperation();
const char* OperationName(int32_t operation);

// ---- Commands -------------------------------------------------------------------

// Claims the sensor for a feature's command of several exchanges (`operation`:
// OPERATION_PARAMETER_SETS or OPERATION_FIND_SENSOR), as the program's own
// commands claim it: 1 when nothing else talks to it (the program's commands
// that would are dimmed until ReleaseSensor), 0 when another operation does.
int ClaimSensor(int32_t operation);
void ReleaseSensor();

// What an exchange came to.
constexpr int32_t EXCHANGE_ANSWERED = 1;   // the reply came (a write: the frame was queued whole)
constexpr int32_t EXCHANGE_NO_ANSWER = 0;  // no answering frame within the limit, or not sent
constexpr int32_t EXCHANGE_BUSY = -1;  // another operation talks to the sensor: nothing was sent

// One exchange with the sensor in buffers of its own: the request with `order`
// (a read or write of RAM or EEPROM, the line check, ...) and `words`; a reply
// that answers it within the order's limit goes into `reply` (16 words; may be
// null for the write orders, which are not answered). Every variable of the
// program (its package, frame buffers, order, reply flags, wait clock) stays as
// it was, and its receive notification takes nothing meanwhile. It runs within
// the caller's claim of OPERATION_PARAMETER_SETS, else claims the sensor for
// itself; with another operation running nothing is sent. `afterWrite`: a write
// was just queued and must reach the sensor first, so only the input queue is
// flushed. A write to a store makes a set the panels read from the sensor
// unread again (the sensor no longer holds it). Processes events while it
// waits; callbacks run nested.
int32_t ExchangeWithSensor(uint16_t order, const uint16_t words[PARAMETER_WORDS],
                           uint16_t reply[PARAMETER_WORDS], int afterWrite);

// Send as its button does it: the panels' set to the sensor's STORE_RAM or
// STORE_EEPROM (checked, the EEPROM write confirmed by the operator), with the
// program's texts; the set sent goes into `sent`. Runs within the caller's
// claim, else claims the sensor. Returns EXCHANGE_ANSWERED when the whole frame
// was queued, EXCHANGE_NO_ANSWER when nothing was sent (the status line says
// why), EXCHANGE_BUSY while another operation runs.
int32_t SendPanelsToStore(int32_t store, uint16_t sent[PARAMETER_WORDS]);

// Chooses port `port` (1..10) as the operator does in the port selector: the
// selector shows it, and the program brings the link up on it once. Nothing
// happens while another operation talks to the sensor.
void ChoosePort(int32_t port);

// What an opening of a port that failed with `code` is called in the status
// line ("Cannot open port", ...).
const char* PortErrorText(int code);

// Shows `text` (Latin-1) in the status line; the program's own outcome text
// stays as it was.
void SayInStatusLine(const char* text);
