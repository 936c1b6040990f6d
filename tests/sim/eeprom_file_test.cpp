// The EEPROM file: round trip, what counts as corrupt, the atomic replace,
// and the sensor starting from it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "sim/eeprom_file.h"
#include "sim/parameters.h"
#include "sim/server.h"
#include "tests/support/test_params.h"

namespace sim {
namespace {

class EepromFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vantrel-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/eeprom.txt";
  }
  void TearDown() override {
    for (const auto& name : Files()) unlink((dir_ + "/" + name).c_str());
    rmdir(dir_.c_str());
  }
  void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir_.c_str())) {
      while (dirent* e = readdir(d)) {
        if (e->d_name[0] != '.') names.push_back(e->d_name);
      }
      closedir(d);
    }
    return names;
  }

  std::string dir_, path_, message_, error_;
};

const Words kSample = TestParams({{kPower, 0}, {kPwrMode, 65535}});

TEST_F(EepromFileTest, RoundTripAndWhatCountsAsCorrupt) {
  Words words = kSample;
  EXPECT_EQ(LoadEepromFile(path_, &words, &message_), EepromLoad::kMissing);
  ASSERT_TRUE(SaveEepromFile(path_, kSample, &error_)) << error_;
  Words loaded{};
  EXPECT_EQ(LoadEepromFile(path_, &loaded, &message_), EepromLoad::kLoaded);
  EXPECT_EQ(loaded, kSample);

  std::string sixteen;
  for (int i = 0; i < 16; ++i) sixteen += std::to_string(i) + "\n";
  const std::string corrupt[] = {
      "",
      "1\n2\n3\n",
      sixteen + "17\n",
      "65536\n" + sixteen.substr(2),
      "-1\n" + sixteen.substr(2),
      "x\n" + sixteen.substr(2),
      "\n" + sixteen.substr(2),
  };
  for (const auto& text : corrupt) {
    Write(text);
    words = kSample;
    EXPECT_EQ(LoadEepromFile(path_, &words, &message_), EepromLoad::kCorrupt) << text;
    EXPECT_EQ(words, kSample);  // untouched
  }
  std::string crlf;  // tolerated: CRLF, blanks around values, no final newline
  for (int i = 0; i < 16; ++i) crlf += " " + std::to_string(i * 2) + " \r\n";
  Write(crlf.substr(0, crlf.size() - 2));
  ASSERT_EQ(LoadEepromFile(path_, &words, &message_), EepromLoad::kLoaded);
  EXPECT_EQ(words[15], 30);
}

TEST_F(EepromFileTest, SaveReplacesTheFileAtomically) {
  Words old_words = kSample;
  old_words[0] = 111;
  ASSERT_TRUE(SaveEepromFile(path_, old_words, &error_));
  struct stat before {};
  ASSERT_EQ(stat(path_.c_str(), &before), 0);

  // A reader that opened the old file still reads all of the old content:
  // the new file arrives by rename, it is not rewritten in place.
  const int reader = open(path_.c_str(), O_RDONLY);
  ASSERT_GE(reader, 0);
  ASSERT_TRUE(SaveEepromFile(path_, kSample, &error_)) << error_;
  char buffer[256] = {};
  ASSERT_GT(read(reader, buffer, sizeof buffer - 1), 0);
  close(reader);
  EXPECT_EQ(std::string(buffer).substr(0, 4), "111\n");
  struct stat after {};
  ASSERT_EQ(stat(path_.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);
  EXPECT_EQ(after.st_mode & 0777, 0644u);
  EXPECT_EQ(Files(), std::vector<std::string>{"eeprom.txt"});  // no temporary left

  EXPECT_FALSE(SaveEepromFile(dir_ + "/no/such/dir/eeprom.txt", kSample, &error_));
  EXPECT_FALSE(error_.empty());
}

TEST_F(EepromFileTest, SensorStartsFromTheFileOrFromDefaults) {
  Config config;
  config.eeprom_path = path_;
  std::vector<std::string> messages;
  auto collect = [&](const std::string& m) { messages.push_back(m); };
  EXPECT_EQ(Server(config, collect, collect).Eeprom(), kTestParams);
  ASSERT_EQ(messages.size(), 1u);  // a missing file is reported
  EXPECT_NE(messages[0].find("not found"), std::string::npos);

  Words stored = kTestParams;
  stored[kVThd] = 345;
  ASSERT_TRUE(SaveEepromFile(path_, stored, &error_));
  messages.clear();
  Server loaded(config, collect, collect);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(loaded.Eeprom(), stored);
  EXPECT_EQ(loaded.Ram(), stored);  // RAM starts as a copy of the EEPROM

  Write("garbage\n");
  EXPECT_EQ(Server(config, collect, collect).Eeprom(), kTestParams);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("using the default"), std::string::npos);
}

}  // namespace
}  // namespace sim
