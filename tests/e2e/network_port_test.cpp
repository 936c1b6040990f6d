// Sensors on the network: the program against the simulated sensor behind
// ser2net, in both of its modes (RFC 2217 and raw TCP), as against a local
// port: the same requests reach the sensor, every byte value passes, and the
// faults of a network end in clear texts without a frozen window.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/rs232.h"
#include "runtime/serial_reports.h"
#include "runtime/utility.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"
#include "tests/support/pty_pair.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/wait.h"

namespace {

using Log = std::vector<std::pair<int, ParamWords>>;  // order and all 16 words

struct Mode {
  const char* name;
  Ser2netMode mode;
  const char* line;  // the line as ser2net opens it, before a client sets it
};
const Mode kModes[] = {{"rfc2217", Ser2netMode::kRfc2217, "2400n81"},
                       {"tcp", Ser2netMode::kRawTcp, "19200n81"}};

// The device's line settings now, as the sensor's side of the line sees them.
std::string LineOf(const std::string& device) {
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  termios tio{};
  const bool read = fd >= 0 && tcgetattr(fd, &tio) == 0;
  if (fd >= 0) close(fd);
  if (!read) return "unreadable";
  const char* baud = cfgetospeed(&tio) == B19200 ? "19200" : "other";
  return std::string(baud) + ((tio.c_cflag & CSIZE) == CS8 ? " 8" : " ?") +
         ((tio.c_cflag & PARENB) ? "E" : "N") + ((tio.c_cflag & CSTOPB) ? "2" : "1") +
         ((tio.c_cflag & CRTSCTS) ? " rtscts" : "");
}

// The main window's name, as a screen reader reads it.
std::string MainWindowName() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!window->isVisible() || window->windowFlags().testFlag(Qt::Tool)) continue;
    if (QAccessibleInterface* access = QAccessible::queryAccessibleInterface(window))
      return access->text(QAccessible::Name).toStdString();
  }
  return "";
}

std::string DescribeDifference(const Log& a, const Log& b) {
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i] == b[i]) continue;
    std::string text = " first difference at " + std::to_string(i) + ": order " +
                       std::to_string(a[i].first) + " vs " + std::to_string(b[i].first) + ";";
    for (int w = 0; w < 16; ++w)
      if (a[i].second[w] != b[i].second[w])
        text += " word " + std::to_string(w) + " " + std::to_string(a[i].second[w]) + " vs " +
                std::to_string(b[i].second[w]);
    return text;
  }
  return "";
}

std::vector<std::string> g_reports;
void KeepReport(const SerialReport& report, void*) {
  g_reports.push_back(std::string(report.device) + ": " + report.what + ": " + report.reason);
}

class NetworkPort : public OperatedProgram {
 protected:
  void SetUp() override {
    g_reports.clear();
    SetSerialReportSink(KeepReport, nullptr);
  }
  void TearDown() override {
    OperatedProgram::TearDown();
    server_.Kill();
    SetSerialReportSink(nullptr, nullptr);
  }
  // A fresh sensor behind ser2net in `mode`.
  void Serve(const Mode& mode) {
    ASSERT_NO_FATAL_FAILURE(StartSensor());
    std::string error;
    ASSERT_TRUE(server_.Start(sensor_->SlavePath(), mode.mode, mode.line, &error)) << error;
  }
  // What the sensor received since the last look, none of it still on its
  // way: a marker sent behind it on the program's own port, through the
  // server and in order, has arrived.
  Log TakeLog() {
    const size_t skipped = sensor_->DiscardedBytes() + kMarkerBytes;
    char marker[kMarkerBytes] = {0x00, 0x55, 0x00, kMarkerOrder};
    marker[kMarkerBytes - 2] = marker[kMarkerBytes - 1] = '\xFF';
    EXPECT_EQ(ComWrt(com, marker, kMarkerBytes), static_cast<int>(kMarkerBytes));
    EXPECT_TRUE(WaitUntil([&] { return sensor_->DiscardedBytes() >= skipped; }, 2.0));
    Log log;
    for (const sim::Request& r : sensor_->Requests()) log.emplace_back(r.order, r.words);
    sensor_->ClearRequests();
    return log;
  }
  int Count(int order) const {
    const std::vector<int> orders = sensor_->Orders();
    return static_cast<int>(std::count(orders.begin(), orders.end(), order));
  }
  // Stops the loop that `button` starts once the sensor has `requests` of `order`.
  Log LoopUntil(int button, int order, int requests) {
    WhenReady stop([&] { return Count(order) >= requests; }, [] { PressStop(); });
    EXPECT_EQ(SimulateClick(panelHandle, button), 0);
    EXPECT_TRUE(stop.fired());
    return TakeLog();
  }
  // The operator's session on the program brought up on `device`: the bring-up,
  // Get, Send of a set with 0xFF bytes, Run and Video data; the sensor's log of
  // each step.
  std::vector<Log> Operate(const std::string& device, std::string* line) {
    std::vector<Log> steps;
    StartOn(device);
    *line = LineOf(sensor_->SlavePath());
    EXPECT_EQ(MainWindowName(), "Vantrel - COM1 (" + device + ")");
    steps.push_back(TakeLog());
    EXPECT_EQ(StatusLine(), sim::kDefaultFirmware) << device;
    EXPECT_EQ(SimulateClick(panelHandle, BTNGet), 0);
    steps.push_back(TakeLog());
    SetCtrlVal(panelHandle, NEDITEdgeRight, static_cast<uint16_t>(0x00FF));
    SetCtrlVal(panelHandle, NEDITVideoThreshold, static_cast<uint16_t>(0x03FF));
    EXPECT_EQ(SimulateClick(panelHandle, BTNSend), 0);
    steps.push_back(TakeLog());
    EXPECT_EQ(sensor_->Ram()[7], 0x00FF) << device;
    steps.push_back(LoopUntil(BTNRun, 8, 6));
    // A reply to the Run's last request may still be on its way at Stop;
    // whether it lands in the package is a matter of time, not of the line.
    EXPECT_EQ(SimulateClick(panelHandle, BTNGet), 0);
    steps.push_back(TakeLog());
    steps.push_back(LoopUntil(BTNData, 9, 8));
    ShutDown();
    started_ = false;
    return steps;
  }

  Ser2netServer server_;
};

// Runs the outer event loop, as the idle program does, until `done()` or `seconds`.
bool IdleUntil(const std::function<bool()>& done, double seconds) {
  const double start = Timer();
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (done() || Timer() - start > seconds) QuitUserInterface(0);
  });
  look.start(5);
  RunUserInterface();
  return done();
}

}  // namespace

TEST_F(NetworkPort, BothModesBringTheSameRequestsToTheSensorAsALocalPort) {
  ASSERT_NO_FATAL_FAILURE(StartSensor());
  std::string line;
  const std::vector<Log> local = Operate(sensor_->SlavePath(), &line);
  for (const Mode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    ASSERT_NO_FATAL_FAILURE(Serve(mode));
    const std::vector<Log> remote = Operate(server_.Url(), &line);
    // ser2net opened the line at its own setting; RFC 2217 set it to the sensor's.
    EXPECT_EQ(line, "19200 8N1");
    ASSERT_EQ(remote.size(), local.size());
    for (const size_t step : {0, 1, 2, 4}) EXPECT_EQ(remote[step], local[step]) << step;
    // The loops end on the operator's Stop: as many requests as came by then,
    // each the one the local port sent at that place. From its second pass
    // on, Video data sends the package as the last frame left it: the moving
    // object's edges, which differ from run to run, so there the orders count.
    const auto orders = [](const Log& log, size_t count) {
      std::vector<int> out;
      for (size_t i = 0; i < count; ++i) out.push_back(log[i].first);
      return out;
    };
    for (const size_t step : {3, 5}) {
      const size_t common = std::min(remote[step].size(), local[step].size());
      ASSERT_GE(common, step == 3 ? 6u : 10u);
      const size_t whole = step == 3 ? common : 5;
      EXPECT_TRUE(
          std::equal(remote[step].begin(), remote[step].begin() + whole, local[step].begin()))
          << step << DescribeDifference(remote[step], local[step]);
      EXPECT_EQ(orders(remote[step], common), orders(local[step], common)) << step;
    }
    EXPECT_EQ(sensor_->DiscardedBytes(), kMarkerBytes * 6) << "nothing but requests arrived";
    server_.Kill();
  }
  EXPECT_TRUE(g_reports.empty()) << g_reports.front();
}

TEST_F(NetworkPort, EveryByteValuePassesBothWays) {
  std::vector<uint8_t> all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<uint8_t>(i));
  const std::vector<uint8_t> reversed(all.rbegin(), all.rend());
  for (const Mode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    PtyPair line;
    ASSERT_TRUE(line.ok()) << line.error();
    std::string error;
    ASSERT_TRUE(server_.Start(line.slavePath(), mode.mode, mode.line, &error)) << error;
    ASSERT_EQ(OpenComConfig(2, server_.Url().c_str(), 19200, 0, 8, 1, 4096, 4096), 0);
    SetComTime(2, 2.0);
    ASSERT_EQ(ComWrt(2, reinterpret_cast<const char*>(all.data()), 256), 256);
    EXPECT_EQ(line.Read(256, 2.0), all);
    ASSERT_TRUE(line.Write(reversed));
    std::vector<char> got(256);
    ASSERT_EQ(ComRd(2, got.data(), 256), 256);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), reversed.begin(),
                           [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
    EXPECT_TRUE(line.ReadAvailable().empty()) << "nothing but the bytes written";
    CloseCom(2);
    server_.Kill();
  }
}

TEST_F(NetworkPort, AFailedOpenSaysWhyAtOnceWithoutFreezingTheWindow) {
  // A server that accepts and never says a word, counting its clients and
  // keeping what they sent.
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
  std::vector<QTcpSocket*> clients;
  QObject::connect(&silent, &QTcpServer::newConnection,
                   [&] { clients.push_back(silent.nextPendingConnection()); });
  const std::string silentPort = std::to_string(silent.serverPort());
  const std::string hello = std::string("\xFF\xFB\x00\xFF\xFD\x00\xFF\xFB\x2C", 9);
  struct Row {
    std::string device;
    bool heldByPort2;
    const char* status;
    const char* report;
    size_t clients;
    std::string clientSent;
  };
  const Row rows[] = {
      {"tcp://127.0.0.1:" + std::to_string(Ser2netServer::FreePort()), false,
       "Cannot open port - parameters unread", "connection refused by 127.0.0.1:", 0, ""},
      {"rfc2217://no-such-host.invalid:4001", false, "No serial port found - parameters unread",
       "unknown host no-such-host.invalid", 0, ""},
      {"rfc2217://127.0.0.1:" + silentPort, false, "Timeout - parameters unread",
       "accepted the connection but did not set the line (RFC 2217) within 3 s", 1, hello},
      // Another port of this program holds the server: refused before it is reached.
      {"tcp://127.0.0.1:" + silentPort, true, "Cannot open port - parameters unread",
       "busy: 127.0.0.1:", 1, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.device);
    for (QTcpSocket* c : clients) delete c;
    clients.clear();
    g_reports.clear();
    if (r.heldByPort2) ASSERT_EQ(OpenComConfig(2, r.device.c_str(), 19200, 0, 8, 1, 4096, 4096), 0);
    // The window goes on painting while the program waits for the server.
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(50);
    const double begin = Timer();
    StartOn(r.device);
    const double took = Timer() - begin;
    tick.stop();
    // Only the silent server is waited for, up to the limit; the window's
    // timers ran all along (the start-up's own work aside).
    const bool waited = r.clientSent == hello;
    EXPECT_LT(took, waited ? 4.0 : 2.5);
    if (waited) EXPECT_GE(ticks, 20) << took;
    EXPECT_EQ(StatusLine(), r.status);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_NE(g_reports[0].find(r.report), std::string::npos) << g_reports[0];
    EXPECT_TRUE(WaitUntil([&] { return clients.size() >= r.clients; }, 1.0));
    EXPECT_EQ(clients.size(), r.clients);
    if (!clients.empty()) {
      WaitUntil([&] { return clients[0]->bytesAvailable() >= qint64(r.clientSent.size()); }, 1.0);
      EXPECT_EQ(clients[0]->readAll().toStdString(), r.clientSent) << "no frame, no setting";
    }
    ShutDown();
    started_ = false;
    CloseCom(2);
  }
}

TEST_F(NetworkPort, ServerKilledMidRunIsSaidOnceAndTheLinkComesBackWithIt) {
  ASSERT_NO_FATAL_FAILURE(Serve(kModes[0]));
  StartOn(server_.Url());
  sensor_->ClearRequests();
  MarkTexts();
  const std::string lost =
      ("Sensor lost on COM1 (" + server_.Url() + "): connection lost").substr(0, 72);
  WhenReady kill([&] { return Count(8) >= 5; }, [&] { server_.Kill(); });
  const double started = Timer();
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);  // returns when the loop has ended
  EXPECT_TRUE(kill.fired());
  EXPECT_LT(Timer() - started, 5.0);
  EXPECT_EQ(StatusLine(), lost);
  std::vector<std::string> texts = TextsSinceMark();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), lost), 1);
  EXPECT_EQ(GetInQLen(com), RS232_PORT_NOT_OPEN);
  // Only the Run's requests reached the sensor, whole.
  for (const int order : sensor_->Orders()) EXPECT_EQ(order, 8);
  EXPECT_EQ(sensor_->DiscardedBytes(), 0u);
  ProcessEventsFor(0.3);
  EXPECT_EQ(TextsSinceMark().size(), texts.size()) << "said once";

  sensor_->ClearRequests();
  MarkTexts();
  std::string error;
  ASSERT_TRUE(server_.Restart(&error)) << error;
  const std::string back = "Sensor back on COM1: " + std::string(sim::kDefaultFirmware);
  EXPECT_TRUE(IdleUntil([&] { return StatusLine() == back; }, 5.0));
  texts = TextsSinceMark();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(),
            ("Sensor back on COM1 (" + server_.Url() + "): reconnecting").substr(0, 72));
  EXPECT_EQ(sensor_->Orders(), (std::vector<int>{5, 2, 7, 10}));
}
