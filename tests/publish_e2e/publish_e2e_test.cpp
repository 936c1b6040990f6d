// vantrel-cli publish as the plant gets it: the program as a process against
// the simulated sensor on a pty (paced at 19200 baud), a real mosquitto on
// 127.0.0.1 and a real subscriber. Every topic is read back and parsed; the
// frames are compared with the replies the line carried (the --trace file)
// and the requests with what the sensor received.
#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>

#include "fields/words.h"
#include "monitor/trace_file.h"
#include "sim/sim_thread.h"
#include "tests/publish_e2e/mqtt_harness.h"

namespace {

using mqtt_harness::Message;
using mqtt_harness::WaitUntil;

// The simulated sensor's RAM set when it starts.
const protocol::Words kStartRam = {500, 0, 512, 64, 1, 1, 1, 1024, 512, 100, 1, 1, 0, 1, 0, 1000};

QJsonObject Json(const std::string& text) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

// The states PREFIX/status took, in order, a repeat shown once.
std::vector<std::string> States(const std::vector<Message>& statuses) {
  std::vector<std::string> states;
  for (const Message& status : statuses) {
    const std::string state = Json(status.payload)["state"].toString().toStdString();
    EXPECT_EQ(Json(status.payload)["dropped"].toInt(-1), 0) << status.payload;
    if (states.empty() || states.back() != state) states.push_back(state);
  }
  return states;
}

// The measurements' sequence numbers, each once, in the order they came.
std::vector<int> Sequence(const std::vector<Message>& measurements) {
  std::vector<int> sequence;
  std::set<int> seen;  // QoS 1 may deliver a frame twice across a restart
  for (const Message& message : measurements) {
    const int seq = Json(message.payload)["seq"].toInt();
    if (seen.insert(seq).second) sequence.push_back(seq);
  }
  return sequence;
}

std::vector<int> OneTo(int n) {
  std::vector<int> numbers;
  for (int i = 1; i <= n; ++i) numbers.push_back(i);
  return numbers;
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
  std::string Stderr() const { return mqtt_harness::ReadFile(dir + "/cli.err"); }
  bool Says(const std::string& text) const { return Stderr().find(text) != std::string::npos; }
  size_t Measures() const {
    size_t n = 0;
    for (const sim::Request& request : sensor.Requests()) n += request.order == 8;
    return n;
  }
  void Publish(std::vector<std::string> args) {
    args.insert(args.begin(), {VANTREL_CLI_BIN, "--port", sensor.SlavePath()});
    ASSERT_TRUE(cli.Start(args, dir + "/cli.err"));
  }
  // Until `plant` has its subscription: a message published now reaches it.
  void WaitSubscribed(const mqtt_harness::Subscriber& plant) const {
    ASSERT_TRUE(WaitUntil(
        [&] {
          return system(("mosquitto_pub -h 127.0.0.1 -q 1 -t plant/ready -m x -p " +
                         std::to_string(broker.Port()))
                            .c_str()) == 0 &&
                 !plant.On("plant/ready").empty();
        },
        5.0))
        << "mosquitto_pub failed or is missing: run make deps";
  }
  // The sensor got nothing but the Run's whole requests, each with its RAM
  // set, and holds that set still.
  void ExpectRunUnharmed(const protocol::Words& ram) const {
    const std::vector<sim::Request> requests = sensor.Requests();
    for (size_t i = 0; i < requests.size(); ++i) {
      const int order = requests[i].order;
      EXPECT_TRUE(order == 2 || order == 7 || order == 10 || order == 8) << order;
      if (order == 8) {
        EXPECT_EQ(requests[i].words, ram) << "request " << i;
      }
    }
    EXPECT_EQ(sensor.Ram(), ram);
  }
};

// "N frames, N on the broker": the frames the program published, by its own count.
int FramesSaid(const std::string& said) {
  const size_t at = said.rfind(" frames, ");
  return at == std::string::npos ? -1 : std::stoi(said.substr(said.rfind(": ", at) + 2));
}

TEST(PublishE2e, PacedRunEveryFrameInOrderOnTheBrokerThroughABrokerRestart) {
  Fixture f;
  std::string error;
  ASSERT_EQ(f.broker.Start(), "");
  ASSERT_TRUE(f.sensor.Start(&error)) << error;
  mqtt_harness::Subscriber plant(f.broker.Port(), "plant", true, "plant/#");
  f.WaitSubscribed(plant);
  f.Publish({"--trace", f.dir + "/line.trace", "publish", "--mqtt", f.broker.Url("plant/line1")});
  const auto measurements = [&] { return plant.On("plant/line1/measurement").size(); };
  ASSERT_TRUE(WaitUntil([&] { return measurements() >= 40; }, 10.0)) << f.Stderr();

  // The broker away for a while: the Run goes on at the line's rate meanwhile.
  f.broker.Stop();
  const size_t measuresBefore = f.Measures();
  ASSERT_TRUE(WaitUntil([&] { return f.Measures() >= measuresBefore + 40; }, 3.0));
  ASSERT_EQ(f.broker.Start(), "");
  const size_t before = measurements();
  ASSERT_TRUE(WaitUntil([&] { return measurements() >= before + 80; }, 15.0)) << f.Stderr();
  f.cli.Signal(SIGTERM);
  EXPECT_EQ(f.cli.Wait(10.0), 0) << f.Stderr();
  ASSERT_TRUE(plant.WaitFor(
      [](const std::vector<Message>& all) { return all.back().topic == "plant/line1/status"; },
      5.0));

  // Every frame the line carried, once, in order, with its words.
  const monitor::TraceReadResult trace =
      monitor::ReadTrace(mqtt_harness::ReadFile(f.dir + "/line.trace"));
  ASSERT_TRUE(trace.ok) << trace.error;
  std::vector<std::vector<uint8_t>> replies;
  for (const monitor::LineEntry& entry : trace.entries) {
    if (entry.kind == monitor::EntryKind::kReply && entry.order == 8 && entry.bytes.size() == 36)
      replies.push_back(entry.bytes);
  }
  const std::vector<Message> frames = plant.On("plant/line1/measurement");
  EXPECT_EQ(Sequence(frames), OneTo(static_cast<int>(replies.size())));
  std::set<int> compared;
  for (const Message& frame : frames) {
    const QJsonObject json = Json(frame.payload);
    const int seq = json["seq"].toInt();
    if (!compared.insert(seq).second || seq > static_cast<int>(replies.size())) continue;
    for (int w = 0; w < fields::kMeasurementWords; ++w) {
      const std::vector<uint8_t>& reply = replies[seq - 1];
      EXPECT_EQ(json[fields::kMeasurement[w].name].toInt(),
                reply[4 + 2 * w] * 256 + reply[5 + 2 * w])
          << "frame " << seq << " word " << w;
    }
  }
  EXPECT_NE(f.Stderr().find(std::to_string(replies.size()) + " frames, " +
                            std::to_string(replies.size()) + " on the broker\n"),
            std::string::npos)
      << f.Stderr();
  EXPECT_LT(f.Stderr().find(": connected\n"), f.Stderr().find(": connection lost: "));
  EXPECT_LT(f.Stderr().find(": connection lost: "), f.Stderr().find(": connected again after "));

  // The sensor got the Run's requests whole: its RAM set with every one.
  const std::vector<sim::Request> requests = f.sensor.Requests();
  ASSERT_GE(requests.size(), 4u);
  EXPECT_EQ((std::vector<int>{requests[0].order, requests[1].order, requests[2].order}),
            (std::vector<int>{2, 7, 10}));
  f.ExpectRunUnharmed(kStartRam);
  EXPECT_GE(f.Measures(), replies.size());

  // Status, identity and parameters, published again after the restart. The
  // broker going down publishes the last will: offline until the reconnect.
  EXPECT_EQ(States(plant.On("plant/line1/status")),
            (std::vector<std::string>{"online", "offline", "online", "offline"}));
  // Published live (not the broker's retained copy) before and after the restart.
  const auto live = [](const std::vector<Message>& all) {
    return std::count_if(all.begin(), all.end(), [](const Message& m) { return !m.retained; });
  };
  const std::vector<Message> identities = plant.On("plant/line1/identity");
  ASSERT_EQ(live(identities), 2);
  const QJsonObject identity = Json(identities.back().payload);
  EXPECT_EQ(identity["device"].toString().toStdString(), f.sensor.SlavePath());
  EXPECT_EQ(identity["firmware"].toString().toStdString(), f.sensor.GetConfig().firmware);
  EXPECT_EQ(identity["ccd_type"].toInt(), 1);
  EXPECT_EQ(identity["pixels"].toInt(), 1024);
  EXPECT_EQ(identity["pixel_pitch_nm"].toInt(), 7800);
  const std::vector<Message> parameters = plant.On("plant/line1/parameters");
  ASSERT_EQ(live(parameters), 2);
  for (int i = 0; i < fields::kParameterWords; ++i) {
    EXPECT_EQ(Json(parameters.back().payload)[fields::kParameters[i].name].toInt(-1),
              f.sensor.Ram()[i]);
  }

  // A reader that comes later finds the retained topics, and no frame.
  mqtt_harness::Subscriber later(f.broker.Port(), "later", false, "plant/#");
  ASSERT_TRUE(later.WaitFor([](const std::vector<Message>& all) { return all.size() >= 3; }, 5.0));
  for (const Message& message : later.Messages()) {
    EXPECT_TRUE(message.retained) << message.topic;
    EXPECT_NE(message.topic, "plant/line1/measurement");
  }
  EXPECT_EQ(later.On("plant/line1/status").at(0).payload, "{\"state\":\"offline\",\"dropped\":0}");
}

// A fault, and what the plant and the operator must see of it.
struct FaultCase {
  const char* name;
  bool brokerAtStart;
  std::vector<std::string>
      args;  // after "publish"; {url}, {tls}: the broker's; {dir}: the folder's
  std::function<void(Fixture&, mqtt_harness::Subscriber&)> meanwhile;
  int exitStatus;
  std::vector<std::string> said;    // parts of standard error, in this order
  std::vector<std::string> states;  // PREFIX/status as the plant saw it
  bool everyFrame;                  // frames 1..N all on the broker
};

const FaultCase kFaultCases[] = {
    {"WrongPassword",
     true,
     {"--mqtt", "{url}", "--username", "line1", "--password-file", "{dir}/wrong.pw"},
     nullptr,
     6,
     {": refused the connection: not authorised (user name or password wrong, or the user may "
      "not connect)\n"},
     {},
     false},
    {"RightPassword",
     true,
     {"--mqtt", "{url}", "--username", "line1", "--password-file", "{dir}/right.pw", "--duration",
      "1"},
     nullptr,
     0,
     {": connected\n"},
     {"online", "offline"},
     true},
    {"UnknownHost",
     true,
     {"--mqtt", "mqtt://nonexistent.invalid/plant/line1"},
     nullptr,
     6,
     {"vantrel-cli: broker nonexistent.invalid:1883: unknown host 'nonexistent.invalid'\n"},
     {},
     false},
    {"BrokerDownAtStart",
     false,
     {"--mqtt", "{url}", "-n", "40"},
     [](Fixture& f, mqtt_harness::Subscriber&) {
       // The Run goes on without the broker and ends; the frames wait for it.
       ASSERT_TRUE(WaitUntil([&] { return f.Measures() >= 40; }, 5.0));
       ASSERT_EQ(f.broker.Start(), "");
     },
     0,
     {": cannot connect: Connection refused; trying again every few seconds, the frames wait in "
      "the queue\n",
      ": connected\n", ": 40 frames, 40 on the broker\n"},
     {"offline"},
     true},
    {"SensorFallsSilent",
     true,
     {"--mqtt", "{url}"},
     [](Fixture& f, mqtt_harness::Subscriber& plant) {
       const auto states = [&] { return States(plant.On("plant/line1/status")); };
       ASSERT_TRUE(WaitUntil([&] { return plant.On("plant/line1/measurement").size() >= 10; }, 5));
       f.sensor.Update([](sim::Config& config) { config.faults.silent = true; });
       ASSERT_TRUE(WaitUntil([&] { return states().back() == "lost"; }, 5.0));
       f.sensor.Update([](sim::Config& config) { config.faults.silent = false; });
       ASSERT_TRUE(WaitUntil([&] { return states().size() == 3; }, 5.0));
       const size_t frames = plant.On("plant/line1/measurement").size();
       ASSERT_TRUE(
           WaitUntil([&] { return plant.On("plant/line1/measurement").size() >= frames + 10; }, 5));
       f.cli.Signal(SIGTERM);
     },
     0,
     {": no answer to Measure within 1.5 s; published as lost, asking again\n",
      ": the sensor answers again\n"},
     {"online", "lost", "online", "offline"},
     true},
    {"TlsWithTheCaFile",
     true,
     {"--mqtt", "{tls}", "--cafile", "{dir}/ca.pem", "--duration", "1"},
     nullptr,
     0,
     {": connected\n"},
     {"online", "offline"},
     true},
    {"TlsWithAnotherCa",
     true,
     {"--mqtt", "{tls}", "--cafile", "{dir}/other.pem"},
     nullptr,
     6,
     {": the TLS handshake failed (a certificate the CA file does not vouch for?)\n"},
     {},
     false},
    {"PublisherKilled",
     true,
     {"--mqtt", "{url}"},
     [](Fixture& f, mqtt_harness::Subscriber& plant) {
       ASSERT_TRUE(WaitUntil([&] { return plant.On("plant/line1/measurement").size() >= 10; }, 5));
       f.cli.Signal(SIGKILL);
     },
     128 + SIGKILL,
     {": connected\n"},
     {"online", "offline"},
     false},
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

void PrintTo(const FaultCase& fault, std::ostream* out) {
  *out << fault.name;
}

class PublishFaults : public testing::TestWithParam<FaultCase> {};

TEST_P(PublishFaults, SaidClearlyStatusRightRunUnharmed) {
  const FaultCase& fault = GetParam();
  Fixture f;
  std::string error;
  mqtt_harness::WriteFile(f.dir + "/right.pw", "right\n");
  mqtt_harness::WriteFile(f.dir + "/wrong.pw", "wrong\n");
  ASSERT_EQ(system(("mosquitto_passwd -b -c " + f.dir + "/broker.pw line1 right").c_str()), 0)
      << "mosquitto_passwd not found: run make deps";
  std::string conf = "password_file " + f.dir + "/broker.pw\nallow_anonymous true\n";
  const int tlsPort = mqtt_harness::FreePort();
  const bool tls = std::count(fault.args.begin(), fault.args.end(), "{tls}") > 0;
  if (tls) {
    ASSERT_TRUE(MakeTlsFiles(f.dir)) << "openssl failed or is missing: run make deps";
    conf += "listener " + std::to_string(tlsPort) + " 127.0.0.1\ncafile " + f.dir +
            "/ca.pem\ncertfile " + f.dir + "/server.pem\nkeyfile " + f.dir + "/server.key\n";
  }
  ASSERT_EQ(f.broker.Start(conf), "");
  ASSERT_TRUE(f.sensor.Start(&error)) << error;
  // A session of its own on the broker, so it gets what comes while the broker is away.
  mqtt_harness::Subscriber plant(f.broker.Port(), "plant", true, "plant/#");
  f.WaitSubscribed(plant);
  if (!fault.brokerAtStart) f.broker.Stop();
  std::vector<std::string> args{"publish"};
  for (std::string arg : fault.args) {
    if (arg == "{url}") arg = f.broker.Url("plant/line1");
    if (arg == "{tls}") arg = "mqtts://127.0.0.1:" + std::to_string(tlsPort) + "/plant/line1";
    if (arg.rfind("{dir}", 0) == 0) arg = f.dir + arg.substr(5);
    args.push_back(arg);
  }
  f.Publish(args);
  if (fault.meanwhile) fault.meanwhile(f, plant);
  EXPECT_EQ(f.cli.Wait(15.0), fault.exitStatus) << f.Stderr();
  const std::string said = f.Stderr();
  size_t at = 0;
  for (const std::string& part : fault.said) {
    at = said.find(part, at);
    EXPECT_NE(at, std::string::npos) << "'" << part << "' not in order in:\n" << said;
  }
  EXPECT_TRUE(plant.WaitFor(
      [&](const std::vector<Message>&) {
        return States(plant.On("plant/line1/status")) == fault.states;
      },
      5.0))
      << testing::PrintToString(States(plant.On("plant/line1/status")));
  if (fault.everyFrame) {
    EXPECT_EQ(Sequence(plant.On("plant/line1/measurement")), OneTo(FramesSaid(said))) << said;
  }
  f.ExpectRunUnharmed(kStartRam);
}

INSTANTIATE_TEST_SUITE_P(Publish, PublishFaults, testing::ValuesIn(kFaultCases),
                         [](const testing::TestParamInfo<FaultCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
