// vantrel-cli publish as the plant gets it, one table of runs and faults: the
// program as a process against the simulated sensor on a pty (paced at 19200
// baud), a real mosquitto on 127.0.0.1 and a real subscriber. Every run is
// checked the same way: exit status and what it said, in order; the states
// PREFIX/status took; every frame on the broker once, in order, with the
// words of the reply the line carried (its --trace); identity and parameters
// as the sensor holds them, published live on every connect; what a reader
// that comes later finds retained; the sensor's requests whole and its RAM
// as it was.
#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

#include "fields/words.h"
#include "monitor/trace_file.h"
#include "sim/sim_thread.h"
#include "tests/publish_e2e/mqtt_harness.h"

namespace {

using mqtt_harness::Message;
using mqtt_harness::Subscriber;
using mqtt_harness::WaitUntil;

QJsonObject Json(const std::string& text) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

// The states PREFIX/status took, in order, a repeat shown once.
std::vector<std::string> States(const Subscriber& plant) {
  std::vector<std::string> states;
  for (const Message& status : plant.On("plant/line1/status")) {
    const std::string state = Json(status.payload)["state"].toString().toStdString();
    EXPECT_EQ(Json(status.payload)["dropped"].toInt(-1), 0) << status.payload;
    if (states.empty() || states.back() != state) states.push_back(state);
  }
  return states;
}

size_t Frames(const Subscriber& plant) {
  return plant.On("plant/line1/measurement").size();
}

struct Fixture {
  ~Fixture() {
    cli.Signal(SIGKILL);
    broker.Stop();
    std::filesystem::remove_all(dir);
  }
  std::string dir = mqtt_harness::TempDir();
  mqtt_harness::Broker broker{dir};
  sim::SimThread sensor{sim::Config{}};
  mqtt_harness::Child cli;
  size_t Measures() const {
    const std::vector<sim::Request> requests = sensor.Requests();
    return std::count_if(requests.begin(), requests.end(), [](auto& r) { return r.order == 8; });
  }
};

// A CA, the broker's certificate for 127.0.0.1 signed by it, and another CA.
bool MakeTlsFiles(const std::string& dir) {
  const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2";
  mqtt_harness::WriteFile(dir + "/san.ext", "subjectAltName=IP:127.0.0.1\n");
  return system(("cd " + dir + " && openssl req -x509" + key +
                 " -keyout ca.key -out ca.pem -subj /CN=ca 2>/dev/null && openssl req -x509" + key +
                 " -keyout other.key -out other.pem -subj /CN=other 2>/dev/null && " +
                 "openssl req" + key + " -keyout server.key -out server.csr -subj /CN=broker " +
                 "2>/dev/null && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key " +
                 "-CAcreateserial -out server.pem -days 2 -extfile san.ext 2>/dev/null")
                    .c_str()) == 0;
}

struct Case {
  const char* name;
  bool brokerAtStart;
  std::vector<std::string> args;  // after "publish"; {url}, {tls}: the broker's; {dir}: the folder
  std::function<void(Fixture&, Subscriber&)> meanwhile;
  int exitStatus;
  std::vector<std::string> said;    // parts of standard error, in this order
  std::vector<std::string> states;  // PREFIX/status as the plant saw it
  int connects;                     // identity and parameters published live this often
};

void PrintTo(const Case& row, std::ostream* out) {
  *out << row.name;
}

const std::string kRetry = "; trying again every few seconds, the frames wait in the queue\n";

const Case kCases[] = {
    {"BrokerRestartedMidRun",
     true,
     {"--mqtt", "{url}"},
     [](Fixture& f, Subscriber& plant) {
       ASSERT_TRUE(WaitUntil([&] { return Frames(plant) >= 40; }, 10.0));
       // The Run goes on at the line's rate while the broker is away.
       f.broker.Stop();
       const size_t measures = f.Measures();
       ASSERT_TRUE(WaitUntil([&] { return f.Measures() >= measures + 40; }, 3.0));
       ASSERT_EQ(f.broker.Start(), "");
       const size_t frames = Frames(plant);
       ASSERT_TRUE(WaitUntil([&] { return Frames(plant) >= frames + 80; }, 15.0));
       f.cli.Signal(SIGTERM);
     },
     0,
     {": connected\n", ": connection lost: The connection was lost" + kRetry,
      ": connected again after "},
     // The broker's going down publishes the last will until the reconnect.
     {"online", "offline", "online", "offline"},
     2},
    {"WrongPassword",
     true,
     {"--mqtt", "{url}", "--username", "line1", "--password-file", "{dir}/wrong.pw"},
     nullptr,
     6,
     {": refused the connection: not authorised (user name or password wrong, or the user may "
      "not connect)\n"},
     {},
     0},
    {"RightPassword",
     true,
     {"--mqtt", "{url}", "--username", "line1", "--password-file", "{dir}/right.pw", "-n", "20"},
     nullptr,
     0,
     {": connected\n", ": 20 frames, 20 on the broker\n"},
     {"online", "offline"},
     1},
    {"UnknownHost",
     true,
     {"--mqtt", "mqtt://nonexistent.invalid/plant/line1"},
     nullptr,
     6,
     {"vantrel-cli: broker nonexistent.invalid:1883: unknown host 'nonexistent.invalid'\n"},
     {},
     0},
    {"BrokerDownAtStart",
     false,
     {"--mqtt", "{url}", "-n", "40"},
     [](Fixture& f, Subscriber&) {
       // The Run goes on without the broker and ends; the frames wait for it.
       ASSERT_TRUE(WaitUntil([&] { return f.Measures() >= 40; }, 5.0));
       ASSERT_EQ(f.broker.Start(), "");
     },
     0,
     {": cannot connect: Connection refused" + kRetry, ": connected\n",
      ": 40 frames, 40 on the broker\n"},
     {"offline"},
     1},
    {"SensorFallsSilent",
     true,
     {"--mqtt", "{url}"},
     [](Fixture& f, Subscriber& plant) {
       ASSERT_TRUE(WaitUntil([&] { return Frames(plant) >= 10; }, 5.0));
       f.sensor.Update([](sim::Config& config) { config.faults.silent = true; });
       ASSERT_TRUE(WaitUntil([&] { return States(plant).back() == "lost"; }, 5.0));
       f.sensor.Update([](sim::Config& config) { config.faults.silent = false; });
       ASSERT_TRUE(WaitUntil([&] { return States(plant).size() == 3; }, 5.0));
       const size_t frames = Frames(plant);
       ASSERT_TRUE(WaitUntil([&] { return Frames(plant) >= frames + 10; }, 5.0));
       f.cli.Signal(SIGTERM);
     },
     0,
     {": no answer to Measure within 1.5 s; published as lost, asking again\n",
      ": the sensor answers again\n"},
     {"online", "lost", "online", "offline"},
     1},
    {"TlsWithTheCaFile",
     true,
     {"--mqtt", "{tls}", "--cafile", "{dir}/ca.pem", "-n", "20"},
     nullptr,
     0,
     {": connected\n"},
     {"online", "offline"},
     1},
    {"TlsWithAnotherCa",
     true,
     {"--mqtt", "{tls}", "--cafile", "{dir}/other.pem"},
     nullptr,
     6,
     {": the TLS handshake failed (a certificate the CA file does not vouch for?)\n"},
     {},
     0},
    {"PublisherKilled",
     true,
     {"--mqtt", "{url}"},
     [](Fixture& f, Subscriber& plant) {
       ASSERT_TRUE(WaitUntil([&] { return Frames(plant) >= 10; }, 5.0));
       f.cli.Signal(SIGKILL);
     },
     128 + SIGKILL,
     {": connected\n"},
     {"online", "offline"},
     1},
};

class Publish : public testing::TestWithParam<Case> {};

TEST_P(Publish, PlantSeesEveryFrameAndTheStateTheOperatorReadsWhy) {
  const Case& row = GetParam();
  Fixture f;
  std::string error;
  mqtt_harness::WriteFile(f.dir + "/right.pw", "right\n");
  mqtt_harness::WriteFile(f.dir + "/wrong.pw", "wrong\n");
  ASSERT_EQ(system(("mosquitto_passwd -b -c " + f.dir + "/broker.pw line1 right").c_str()), 0)
      << "mosquitto_passwd failed or is missing: run make deps";
  std::string conf = "password_file " + f.dir + "/broker.pw\nallow_anonymous true\n";
  const int tlsPort = mqtt_harness::FreePort();
  if (std::count(row.args.begin(), row.args.end(), "{tls}") > 0) {
    ASSERT_TRUE(MakeTlsFiles(f.dir)) << "openssl failed or is missing: run make deps";
    conf += "listener " + std::to_string(tlsPort) + " 127.0.0.1\ncafile " + f.dir +
            "/ca.pem\ncertfile " + f.dir + "/server.pem\nkeyfile " + f.dir + "/server.key\n";
  }
  ASSERT_EQ(f.broker.Start(conf), "");
  ASSERT_TRUE(f.sensor.Start(&error)) << error;
  // A session of its own on the broker: it gets what comes while the broker is away.
  Subscriber plant(f.broker.Port(), "plant", "plant/#", f.dir);
  ASSERT_TRUE(WaitUntil(
      [&] {
        return system(("mosquitto_pub -h 127.0.0.1 -q 1 -t plant/ready -m x -p " +
                       std::to_string(f.broker.Port()))
                          .c_str()) == 0 &&
               !plant.On("plant/ready").empty();
      },
      5.0))
      << "mosquitto_pub failed or is missing: run make deps";
  if (!row.brokerAtStart) f.broker.Stop();
  std::vector<std::string> args{VANTREL_CLI_BIN,       "--port", f.sensor.SlavePath(), "--trace",
                                f.dir + "/line.trace", "publish"};
  for (std::string arg : row.args) {
    if (arg == "{url}") arg = f.broker.Url("plant/line1");
    if (arg == "{tls}") arg = "mqtts://127.0.0.1:" + std::to_string(tlsPort) + "/plant/line1";
    if (arg.rfind("{dir}", 0) == 0) arg = f.dir + arg.substr(5);
    args.push_back(arg);
  }
  ASSERT_TRUE(f.cli.Start(args, f.dir + "/cli.err"));
  if (row.meanwhile) row.meanwhile(f, plant);
  EXPECT_EQ(f.cli.Wait(15.0), row.exitStatus);
  const std::string said = mqtt_harness::ReadFile(f.dir + "/cli.err");
  size_t at = 0;
  for (const std::string& part : row.said) {
    at = said.find(part, at);
    ASSERT_NE(at, std::string::npos) << "'" << part << "' not in order in:\n" << said;
  }
  EXPECT_TRUE(WaitUntil([&] { return States(plant) == row.states; }, 5.0))
      << testing::PrintToString(States(plant));

  // Every frame the line carried, once, in order, with its words.
  const monitor::TraceReadResult trace =
      monitor::ReadTrace(mqtt_harness::ReadFile(f.dir + "/line.trace"));
  std::vector<std::vector<uint8_t>> replies;
  for (const monitor::LineEntry& entry : trace.entries) {
    if (entry.kind == monitor::EntryKind::kReply && entry.order == 8 && entry.bytes.size() == 36)
      replies.push_back(entry.bytes);
  }
  std::set<int> seen;  // QoS 1 may deliver a frame twice across a restart
  for (const Message& frame : plant.On("plant/line1/measurement")) {
    const QJsonObject json = Json(frame.payload);
    const int seq = json["seq"].toInt();
    if (!seen.insert(seq).second) continue;
    ASSERT_EQ(seq, static_cast<int>(seen.size())) << "frames out of order or missing";
    ASSERT_LE(seq, static_cast<int>(replies.size()));
    for (int w = 0; w < fields::kMeasurementWords; ++w) {
      const std::vector<uint8_t>& reply = replies[seq - 1];
      EXPECT_EQ(json[fields::kMeasurement[w].name].toInt(),
                reply[4 + 2 * w] * 256 + reply[5 + 2 * w])
          << "frame " << seq << " word " << w;
    }
  }
  // A killed publisher and a refused one cannot deliver what they had.
  if (row.exitStatus == 0) {
    EXPECT_EQ(seen.size(), replies.size());
  }

  // Identity and parameters as the sensor holds them, published on every connect.
  for (const char* topic : {"plant/line1/identity", "plant/line1/parameters"}) {
    const std::vector<Message> all = plant.On(topic);
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](auto& m) { return !m.retained; }),
              row.connects)
        << topic;
  }
  if (row.connects > 0) {
    const QJsonObject identity = Json(plant.On("plant/line1/identity").back().payload);
    EXPECT_EQ(identity["device"].toString().toStdString(), f.sensor.SlavePath());
    EXPECT_EQ(identity["firmware"].toString().toStdString(), f.sensor.GetConfig().firmware);
    EXPECT_EQ(identity["ccd_type"].toInt(), 1);
    EXPECT_EQ(identity["pixels"].toInt(), 1024);
    EXPECT_EQ(identity["pixel_pitch_nm"].toInt(), 7800);
    const QJsonObject parameters = Json(plant.On("plant/line1/parameters").back().payload);
    for (int i = 0; i < fields::kParameterWords; ++i)
      EXPECT_EQ(parameters[fields::kParameters[i].name].toInt(-1), f.sensor.Ram()[i]) << i;

    // A reader that comes later finds the retained topics, offline, and no frame.
    Subscriber later(f.broker.Port(), "later", "plant/line1/#", f.dir);
    ASSERT_TRUE(WaitUntil([&] { return later.Messages().size() >= 3; }, 5.0));
    for (const Message& message : later.Messages()) {
      EXPECT_TRUE(message.retained) << message.topic;
      EXPECT_NE(message.topic, "plant/line1/measurement");
    }
    EXPECT_EQ(later.On("plant/line1/status").at(0).payload,
              "{\"state\":\"offline\",\"dropped\":0}");
  }

  // The sensor got nothing but the Run's whole requests, each with its RAM
  // set, and holds that set still.
  const protocol::Words ram = {500, 0, 512, 64, 1, 1, 1, 1024, 512, 100, 1, 1, 0, 1, 0, 1000};
  for (const sim::Request& request : f.sensor.Requests()) {
    EXPECT_TRUE(request.order == 2 || request.order == 7 || request.order == 10 ||
                (request.order == 8 && request.words == ram))
        << request.order;
  }
  EXPECT_EQ(f.sensor.Ram(), ram);
}

INSTANTIATE_TEST_SUITE_P(E2e, Publish, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
