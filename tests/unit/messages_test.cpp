// Texts the operator reads: port-opening failures and CCD descriptions.
#include <gtest/gtest.h>

#include <string>

#include "link/port.h"
#include "link/sensorinfo.h"

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
