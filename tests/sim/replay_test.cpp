// Replay: the simulated sensor answers with what a trace recorded, per order
// and in order, after the recorded response time; what the trace cannot
// answer is reported and gets nothing.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "monitor/trace_file.h"
#include "sim/replay_script.h"
#include "sim/reply_shaper.h"
#include "sim/sim_thread.h"
#include "tests/sim/pc_port.h"

namespace sim {
namespace {

using monitor::EntryKind;
using monitor::LineEntry;

constexpr double kDeadline = 2.0;

LineEntry Sent(double ms, int order) {
  return {.timeMs = ms,
          .kind = EntryKind::kRequest,
          .bytes = EncodeRequest(order, Words{}),
          .order = order};
}

LineEntry Came(double ms, EntryKind kind, std::vector<uint8_t> bytes) {
  return {.timeMs = ms, .kind = kind, .bytes = std::move(bytes)};
}

// A reply frame no sensor model would give.
std::vector<uint8_t> Frame(int order, uint16_t mark) {
  Words words{};
  words.fill(mark);
  return EncodeFrame(kReplySync, static_cast<uint16_t>(order), words);
}

Config Replaying(const std::vector<LineEntry>& entries, bool paced) {
  Config config;
  config.paced = paced;
  config.replay = std::make_shared<const ReplayScript>(entries);
  return config;
}

// A sensor replaying `entries` and the PC's port on it; what the sensor
// reports is kept.
struct Replay {
  Replay(const std::vector<LineEntry>& entries, bool paced)
      : sensor(Replaying(entries, paced), [this](const std::string& line) {
          std::lock_guard<std::mutex> lock(mutex);
          reports.push_back(line);
        }) {
    std::string error;
    EXPECT_TRUE(sensor.Start(&error)) << error;
    port = std::make_unique<PcPort>(sensor.SlavePath());
    EXPECT_TRUE(port->ok()) << port->error();
  }
  // Sends a request and returns the reply's `count` bytes; *took: seconds
  // from before the write until they were all read.
  std::vector<uint8_t> Ask(int order, size_t count, double* took = nullptr) {
    const double start = Now();
    port->Write(EncodeRequest(order, Words{}));
    std::vector<uint8_t> reply = port->Read(count, kDeadline);
    if (took) *took = Now() - start;
    return reply;
  }
  std::vector<std::string> Reports() {
    std::lock_guard<std::mutex> lock(mutex);
    return reports;
  }

  std::mutex mutex;
  std::vector<std::string> reports;
  SimThread sensor;
  std::unique_ptr<PcPort> port;
};

TEST(Replay, EachOrderGetsItsRecordedRepliesInOrderAfterTheirResponseTimes) {
  const std::vector<uint8_t> second = Frame(8, 0x8282);
  Replay r({Sent(10, 8), Came(70, EntryKind::kReply, Frame(8, 0x8181)),  // 60 ms
            Sent(100, 5), Came(120, EntryKind::kReply, Frame(5, 0x5151)),
            Sent(200, 8),  // its reply came in two pieces, 90 ms after it
            Came(290, EntryKind::kReply, {second.begin(), second.begin() + 20}),
            Came(291.5, EntryKind::kReply, {second.begin() + 20, second.end()})},
           false);
  double took = 0;
  EXPECT_EQ(r.Ask(5, kFrameBytes), Frame(5, 0x5151));
  EXPECT_EQ(r.Ask(8, kFrameBytes, &took), Frame(8, 0x8181));
  EXPECT_GE(took, 0.060);
  EXPECT_EQ(r.Ask(8, kFrameBytes, &took), second);
  EXPECT_GE(took, 0.090);
  EXPECT_EQ(r.sensor.Orders(), (std::vector<int>{5, 8, 8}));
  EXPECT_TRUE(r.Reports().empty());
}

TEST(Replay, WhatTheTraceCannotAnswerIsReportedAndGetsNothing) {
  Replay r(
      {Sent(0, 2), Came(1500, EntryKind::kTimeout, {}),  // the field's first one went unanswered
       Sent(2000, 2), Came(2010, EntryKind::kReply, Frame(2, 0x2222)), Sent(2100, 10),
       Came(2110, EntryKind::kReply, Frame(10, 0xAAAA))},
      false);
  r.port->Write(EncodeRequest(2, Words{}));  // silent, as recorded
  EXPECT_EQ(r.Ask(2, kFrameBytes), Frame(2, 0x2222));
  r.port->Write(EncodeRequest(2, Words{}));  // both recorded ones used
  r.port->Write(EncodeRequest(4, Words{}));  // never recorded
  // Nothing came for the last two: the next bytes are the next answer.
  EXPECT_EQ(r.Ask(10, kFrameBytes), Frame(10, 0xAAAA));
  ASSERT_TRUE(r.sensor.WaitForRequests(5, kDeadline));
  EXPECT_EQ(
      r.Reports(),
      (std::vector<std::string>{
          "vantrel-sim: replay: no answer left for order 2 (read-ram), 2 recorded in the trace",
          "vantrel-sim: replay: no answer left for order 4 (read-eeprom), 0 recorded in the "
          "trace"}));
}

TEST(Replay, VideoBlockBringsTheBytesTheProgramOnlyFlushedAway) {
  std::vector<uint8_t> block(kVideoBlockBytes);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint8_t> expected = block;
  expected.insert(expected.end(), {0xEE, 0x13});
  Replay r(
      {Came(0, EntryKind::kOpened, {}), Sent(5, 9), Came(45, EntryKind::kReply, block),
       Came(120, EntryKind::kInputFlushed, {0xEE, 0x13}), Came(121, EntryKind::kInputFlushed, {})},
      true);
  double took = 0;
  EXPECT_EQ(r.Ask(9, expected.size(), &took), expected);
  // 40 ms to the first byte, then paced: the other 129 bytes 67 ms more.
  EXPECT_GE(took, 0.040 + 129 * kByteTime);
}

TEST(Replay, AnAnswerEndsWithThePortAndTracesAreCheckedOnLoading) {
  // After the port went away, bytes belong to no earlier request.
  const ReplayScript script({Sent(10, 8), Came(20, EntryKind::kLost, {}),
                             Came(0, EntryKind::kOpened, {}),
                             Came(5, EntryKind::kReply, Frame(8, 1))});
  ASSERT_EQ(script.Answers(8).size(), 1u);
  EXPECT_TRUE(script.Answers(8)[0].bytes.empty());

  char file[] = "/tmp/vantrel-sim-replay-XXXXXX";
  close(mkstemp(file));
  const std::string path = file;
  std::ofstream(path) << monitor::TraceHeader() << monitor::TraceLine(Sent(1, 5), "")
                      << "2.000 < reply 00aa0005 response=\n";
  std::shared_ptr<const ReplayScript> loaded;
  std::string error;
  EXPECT_FALSE(LoadReplayScript(path, &loaded, &error));
  EXPECT_EQ(error, path + ": line 3: bad number in field 'response='");
  std::ofstream(path) << monitor::TraceHeader() << monitor::TraceLine(Sent(1, 5), "");
  ASSERT_TRUE(LoadReplayScript(path, &loaded, &error)) << error;
  EXPECT_EQ(loaded->Answers(5).size(), 1u);
  unlink(file);
  EXPECT_FALSE(LoadReplayScript(path, &loaded, &error));
  EXPECT_EQ(error, "cannot read " + path + ": No such file or directory");
  // A named pipe would wait for a writer; refused like a folder, unopened.
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_FALSE(LoadReplayScript(path, &loaded, &error));
  EXPECT_EQ(error, "cannot read " + path + ": it is a named pipe, not a trace file");
  unlink(file);
  EXPECT_FALSE(LoadReplayScript("/tmp", &loaded, &error));
  EXPECT_EQ(error, "cannot read /tmp: it is a folder, not a trace file");
}

}  // namespace
}  // namespace sim
