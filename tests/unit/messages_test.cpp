// Texts the operator reads: port-opening failures, CCD descriptions and the
// parameter file's outcomes.
#include <gtest/gtest.h>

#include <string>

#include "display/status.h"
#include "link/port.h"
#include "link/sensor_info.h"
#include "param/parafile_status.h"

TEST(OpenErrorMessage, EachKnownResultHasItsText) {
  EXPECT_STREQ(OpenErrorMessage(-1), "Unknown system error");
  EXPECT_STREQ(OpenErrorMessage(-2), "Invalid port number");
  EXPECT_STREQ(OpenErrorMessage(-3), "Port is not open");
  EXPECT_STREQ(OpenErrorMessage(-4), "Unknown I/0 error");
  EXPECT_STREQ(OpenErrorMessage(-6), "No serial port found");
  EXPECT_STREQ(OpenErrorMessage(-7), "Cannot open port");
  EXPECT_STREQ(OpenErrorMessage(-13), "Invalid parameter");
  EXPECT_STREQ(OpenErrorMessage(-99), "Timeout");
}

TEST(OpenErrorMessage, EveryOtherNegativeResultIsAGenericError) {
  for (int result : {-5, -8, -9, -10, -11, -12, -14, -98, -100, -1000}) {
    EXPECT_STREQ(OpenErrorMessage(result), "RS-232 error!") << result;
  }
}

TEST(CcdDescription, KnownTypesCarryTheMicroSignInLatin1) {
  EXPECT_EQ(std::string(CcdDescription(1)),
            "  CCD-SENSOR: 1024 pixel; 7.8\xB5m pixel-pitch, 8.0mm working range");
  EXPECT_EQ(std::string(CcdDescription(2)),
            "  CCD-SENSOR: 1024 pixel; 25\xB5m pixel-pitch, 25,6mm working range");
  EXPECT_EQ(std::string(CcdDescription(3)),
            "  CCD-SENSOR: 512 pixel; 25\xB5m pixel-pitch, 12,8mm working range");
  for (uint16_t type : {0, 4, 0xFFFF}) {
    EXPECT_EQ(std::string(CcdDescription(type)), "  CCD-SENSOR: no information avialable!");
  }
}

TEST(FileStatus, EveryOutcomeKeepsItsPointWithinTheStatusLine) {
  const std::string longName = "station_B_left_camera_after_recalibration.dat";
  struct Row {
    FileOutcome outcome;
    std::string path;
    const char* reason;
    int line;
    const char* text;
  };
  const Row rows[] = {
      {FileOutcome::Loaded, "/home/op/sets/QVORpara.dat", "", 0,
       "Parameter file loaded: QVORpara.dat"},
      {FileOutcome::CannotRead, "C:\\sets\\line 3.dat", "a named pipe, not a file", 0,
       "Cannot read parameter file line 3.dat: a named pipe, not a file"},
      {FileOutcome::RejectedLine, "/data/" + longName, "more values than expected", 17,
       "Rejected line 17: more values than expected (station_B_l...ibration.dat)"},
      {FileOutcome::CannotWrite, "/mnt/ro/" + longName, "read-only file system", 0,
       "Cannot write parameter file: read-only file system (station_...tion.dat)"},
      // 72 characters exactly: the usual form; a longer one: the name is shortened.
      {FileOutcome::RejectedLine, "station_B_left_camera_after_recalib_2.dat", "empty line", 2,
       "Rejected line 2 of station_B_left_camera_after_recalib_2.dat: empty line"},
      {FileOutcome::Written, "/d/station_B_left_camera_after_recalibration_v12.dat", "", 0,
       "Parameter file written: station_B_left_camera_...r_recalibration_v12.dat"},
      // The least room a name gets, and a reason that leaves none.
      {FileOutcome::CannotRead, longName, "too many levels of symbolic links", 0,
       "Cannot read parameter file: too many levels of symbolic links (st...dat)"},
      {FileOutcome::CannotRead, longName, "structure needs cleaning on this disk", 0,
       "Cannot read parameter file: structure needs cleaning on this disk"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    char text[STATUS_LEN + 1];
    FormatFileStatus(text, row.outcome, row.path.c_str(), row.reason, row.line);
    EXPECT_EQ(std::string(text), row.text);
    EXPECT_LE(std::string(text).size(), static_cast<size_t>(STATUS_LEN));
  }
}
