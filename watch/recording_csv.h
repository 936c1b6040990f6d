// The text of a recording file: every measurement frame of a Run, one CSV
// record each, after comment records that say where the frames came from.
// RFC 4180, CR LF line ends, UTF-8, '.' never needed (all numbers are
// integers). docs/recording-format.md describes the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "fields/words.h"

namespace watch {

struct RecordingInfo {
  std::string started;   // date and time of the Run's start, as the caller writes it (UTF-8)
  std::string port;      // the port's name, "COM1" (UTF-8)
  std::string device;    // the port's device, "/dev/ttyS0" (UTF-8)
  std::string firmware;  // the sensor's firmware text (Latin-1)
  std::string ccd;       // the CCD description (Latin-1; may hold 0xB5)
  int32_t pitchNm = 0;   // pixel pitch of the line, nanometres
  std::array<uint16_t, fields::kParameterWords> parameters{};  // package order
};

// The comment records, each a CSV record whose first field starts with "# ":
//   # Vantrel recording
//   # started,<started>        # port,<port>          # device,<device>
//   # firmware,<firmware>      # CCD,<ccd>            # pixel pitch nm,<pitchNm>
//   # <parameter name>,<value>   (the 16 parameters, one record each)
// then the column header record:
//   time_ms,edge1,edge2,value,teach,tolerance,pix1,edcnt,mvstart,mvend,value_um,inside
std::string RecordingHeader(const RecordingInfo& info);

// One frame's record: `milliseconds` since the Run's start, the nine
// measurement words in frame order, the measured value in micrometres (by
// the table's rule with `pitchNm` and the scale factor in force, `scale`),
// and 1 when the measured value lay inside the band the frame reported
// (teach +- tolerance, limits included), else 0.
std::string RecordingRow(int64_t milliseconds,
                         const std::array<uint16_t, fields::kMeasurementWords>& words,
                         int32_t pitchNm, float scale);

}  // namespace watch
