// Operator scenarios checked against reviewed transcripts.
//
// Each row of tests/scenarios/scenarios.txt starts the program against the
// simulated sensor and walks a few steps (clicks, typed values, loops, file
// dialogs). After every step the transcript gets the requests the sensor
// received (order and all 16 words), the status texts shown since the last
// step, and every line of the whole state that changed (see transcript.h).
// The transcript is compared with tests/scenarios/golden/<name>.txt; a
// mismatch prints a diff. After a deliberate change,
//
//   VANTREL_REWRITE_GOLDEN=1 build/tests/e2e_tests --gtest_filter='Scenario*'
//
// (or `make golden`) writes the golden files anew; review their diff before
// committing.
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "param/parafile.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"
#include "tests/e2e/transcript.h"

namespace fs = std::filesystem;

namespace {

struct Scenario {
  std::string name, sensor, steps;
};

// gtest names a failing row by this, not by its bytes.
void PrintTo(const Scenario& scenario, std::ostream* out) {
  *out << scenario.name;
}

std::string Trim(std::string text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  const size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, separator)) {
    part = Trim(part);
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

std::vector<Scenario> LoadScenarios() {
  std::vector<Scenario> rows;
  std::ifstream in(fs::path(VANTREL_SCENARIO_DIR) / "scenarios.txt");
  std::string line;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::stringstream row(line);
    std::string cell;
    while (std::getline(row, cell, '|')) cells.push_back(Trim(cell));
    if (cells.size() == 3) rows.push_back({cells[0], cells[1], cells[2]});
  }
  return rows;
}

int ParamIndex(const std::string& name) {
  for (int i = 0; i < fields::kParameterWords; ++i)
    if (name == fields::kParameters[i].name) return i;
  return -1;
}

int ControlId(int panel, const std::string& name) {
  for (const ControlInfo& control : InspectPanelControls(panel))
    if (control.name == name) return control.id;
  return -1;
}

// The panel of a control name ("BTNRun" on the main panel, "RING_CCDMode" on
// the settings panel).
bool Locate(const std::string& name, int* panel, int* control) {
  for (int candidate : {panelHandle, panelPopUp}) {
    const int id = ControlId(candidate, name);
    if (id < 0) continue;
    *panel = candidate;
    *control = id;
    return true;
  }
  return false;
}

class Scenarios : public OperatedProgram, public ::testing::WithParamInterface<Scenario> {
 protected:
  // "ram:power=1001 eeprom:eMode=3 ccd=3 distinct": the simulated sensor.
  void StartScenarioSensor(const std::string& settings) {
    sim::Config config = Unpaced();
    ParamWords ram = kTestParams, eeprom = kTestParams;
    bool eepromGiven = false;
    for (const std::string& token : Split(settings, ' ')) {
      if (token == "-") continue;
      if (token == "distinct") {
        ram = DistinctTestParams();
      } else if (token.rfind("trailing=", 0) == 0) {
        config.faults.trailing = std::stoi(token.substr(9));
      } else if (token.rfind("ccd=", 0) == 0) {
        config.ccd_type = std::stoi(token.substr(4));
      } else if (token.rfind("ram:", 0) == 0 || token.rfind("eeprom:", 0) == 0) {
        const bool toRam = token[0] == 'r';
        const std::string assignment = token.substr(toRam ? 4 : 7);
        const size_t equals = assignment.find('=');
        const int index = ParamIndex(assignment.substr(0, equals));
        ASSERT_GE(index, 0) << token;
        (toRam ? ram : eeprom)[index] =
            static_cast<uint16_t>(std::stoi(assignment.substr(equals + 1)));
        eepromGiven |= !toRam;
      } else {
        FAIL() << "unknown sensor setting " << token;
      }
    }
    ASSERT_NO_FATAL_FAILURE(StartSensor(config, ram));
    if (eepromGiven) sensor_->SetEeprom(eeprom);
  }

  // Requests the sensor received since the last look, none still on the way.
  std::string TakeRequests() {
    AwaitSentRequests();
    std::string text;
    for (const auto& request : sensor_->Requests())
      text += transcript::DescribeRequest(request.order, request.words.data());
    sensor_->ClearRequests();
    return text;
  }

  std::string Local(std::string text) const {
    for (const auto& [from, to] : {std::pair{dir_.string(), std::string("<tmp>")},
                                   std::pair{sensor_->SlavePath(), std::string("<sensor>")},
                                   std::pair{std::string(proj_dir), std::string("<program>")}}) {
      for (size_t at = text.find(from); !from.empty() && at != std::string::npos;
           at = text.find(from, at))
        text.replace(at, from.size(), to);
    }
    return text;
  }

  // A loop started by a click and stopped from inside it once the sensor has
  // received `requests` measure requests. The Run loop ends as soon as it sees
  // the Stop, so the sensor leaves its last request unanswered: no reply is on
  // its way then, and the loop always ends at the same point. A Data pass
  // looks at the Stop only after its measurement, which comes.
  void RunLoop(const std::string& button, int requests) {
    int id = 0, panel = 0;
    ASSERT_TRUE(Locate(button, &panel, &id)) << button;
    if (button == "BTNRun")
      sensor_->Update([&](sim::Config& c) { c.faults.drop_every = requests; });
    WhenReady stop(
        [&] {
          int measures = 0;
          for (int order : sensor_->Orders()) measures += order == ORD_MEASURE;
          return measures >= requests;
        },
        // Stop acts on the press; the release follows once the loop has ended.
        [] { SimulatePress(panelHandle, BTNStop); });
    ASSERT_EQ(SimulateClick(panel, id), 0) << button;
    SimulateRelease(panelHandle, BTNStop);
    sensor_->Update([](sim::Config& c) { c.faults.drop_every = 0; });
    ASSERT_TRUE(stop.fired()) << button << " ended before the Stop";
  }

  // One step: the action's result (< 0 when the control refused it, as a
  // dimmed one does), or kNotUnderstood.
  static constexpr int kNotUnderstood = -1000;
  int Perform(const std::vector<std::string>& words) {
    const std::string& verb = words[0];
    int panel = 0, control = 0;
    const bool located = words.size() > 1 && Locate(words[1], &panel, &control);
    if (verb == "click" && located) return SimulateClick(panel, control);
    if (verb == "press" && located) return SimulatePress(panel, control);
    if (verb == "release" && located) return SimulateRelease(panel, control);
    if (verb == "toggle" && located) return SimulateToggle(panel, control);
    if (verb == "enter" && located && words.size() == 3)
      return SimulateEnterValue(panel, control, std::stod(words[2]));
    if (verb == "select" && located && words.size() == 3)
      return SimulateSelectItem(panel, control, std::stoi(words[2]));
    if ((verb == "run" || verb == "data") && words.size() == 2) {
      RunLoop(verb == "run" ? "BTNRun" : "BTNData", std::stoi(words[1]));
      return 0;
    }
    if (verb == "answer" && words.size() == 3) {
      QueueFileSelectAnswer(std::stoi(words[1]), (dir_ / words[2]).string());
      return 0;
    }
    if (verb == "confirm" && words.size() == 2) {  // the next confirmation box's answer
      QueueConfirmAnswer(std::stoi(words[1]));
      return 0;
    }
    if (verb == "file" && words.size() >= 2) {  // file NAME v1 v2 ...: one value a line
      std::ofstream out(dir_ / words[1]);
      for (size_t i = 2; i < words.size(); ++i) out << words[i] << "\n";
      return 0;
    }
    if (verb == "silence" && words.size() == 1) {
      Silence();
      return 0;
    }
    return kNotUnderstood;
  }

  std::string Outcome() {
    std::string text;
    const std::string requests = TakeRequests();
    if (!requests.empty()) text += "sensor received:\n" + requests;
    const std::vector<std::string> texts = TextsSinceMark();
    if (!texts.empty()) {
      text += "status:\n";
      for (const std::string& shown : texts) text += "  \"" + shown + "\"\n";
    }
    MarkTexts();
    const std::vector<FileSelectRequest> dialogs = FileSelectRequests();
    for (size_t i = dialogsSeen_; i < dialogs.size(); ++i) {
      const FileSelectRequest& d = dialogs[i];
      text += "file dialog: \"" + d.title + "\" " + d.directory + "/" + d.fileName + " filter " +
              d.filter + " button " + std::to_string(d.buttonKind) + "\n";
    }
    dialogsSeen_ = dialogs.size();
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) {
      std::ifstream in(entry.path());
      std::stringstream contents;
      contents << in.rdbuf();
      if (files_[entry.path().filename().string()] == contents.str()) continue;
      files_[entry.path().filename().string()] = contents.str();
      std::string flat = contents.str();
      for (char& c : flat) c = c == '\n' ? ' ' : c;
      text += "file " + entry.path().filename().string() + ": " + flat + "\n";
    }
    const transcript::State now = transcript::Capture();
    const std::string changed = transcript::Describe(now, &state_);
    if (!changed.empty()) text += "changed:\n" + changed;
    state_ = now;
    return Local(text);
  }

  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vantrel-scenario-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    OperatedProgram::TearDown();
    fs::remove_all(dir_);
  }

  fs::path dir_;
  transcript::State state_;
  size_t dialogsSeen_ = 0;
  std::map<std::string, std::string> files_;
};

TEST_P(Scenarios, MatchTheirTranscripts) {
  const Scenario& scenario = GetParam();
  ASSERT_NO_FATAL_FAILURE(StartScenarioSensor(scenario.sensor));
  ASSERT_NO_FATAL_FAILURE(StartOn(sensor_->SlavePath()));
  ClearFileSelectAnswers();

  std::string text = "scenario " + scenario.name + "\nsensor " + scenario.sensor + "\n\n";
  text += "== start-up\n";
  const std::string startup = TakeRequests();
  text += "sensor received:\n" + startup + "status:\n";
  for (const std::string& shown : TextsSinceMark()) text += "  \"" + shown + "\"\n";
  MarkTexts();
  state_ = transcript::Capture();
  text += "state:\n" + Local(transcript::Describe(state_, nullptr));

  for (const std::string& step : Split(scenario.steps, ';')) {
    text += "\n== " + step + "\n";
    const std::vector<std::string> words = Split(step, ' ');
    const int result = Perform(words);
    ASSERT_NE(result, kNotUnderstood) << "step not understood: " << step;
    if (result < 0) text += "refused (" + std::to_string(result) + ")\n";
    text += Outcome();
  }

  const fs::path golden = fs::path(VANTREL_SCENARIO_DIR) / "golden" / (scenario.name + ".txt");
  if (std::getenv("VANTREL_REWRITE_GOLDEN") != nullptr) {
    fs::create_directories(golden.parent_path());
    std::ofstream(golden) << text;
    return;
  }
  std::ifstream in(golden);
  ASSERT_TRUE(in) << "no golden file " << golden << "; write it with VANTREL_REWRITE_GOLDEN=1";
  std::stringstream expected;
  expected << in.rdbuf();
  if (expected.str() == text) return;
  // A line diff: what the golden file says (-) against what happened (+).
  const std::vector<std::string> want = Split(expected.str(), '\n'), got = Split(text, '\n');
  std::string diff;
  size_t i = 0, j = 0;
  while (i < want.size() || j < got.size()) {
    if (i < want.size() && j < got.size() && want[i] == got[j]) {
      ++i, ++j;
      continue;
    }
    // Resynchronise on the next line both sides share.
    size_t a = i, b = j;
    bool found = false;
    for (size_t span = 1; !found && span < 400; ++span) {
      for (size_t k = 0; k <= span && !found; ++k) {
        if (i + k < want.size() && j + span - k < got.size() && want[i + k] == got[j + span - k]) {
          a = i + k, b = j + span - k, found = true;
        }
      }
    }
    if (!found) a = want.size(), b = got.size();
    for (; i < a; ++i) diff += "- " + want[i] + "\n";
    for (; j < b; ++j) diff += "+ " + got[j] + "\n";
  }
  ADD_FAILURE() << scenario.name << ": the transcript differs from " << golden << "\n" << diff;
}

INSTANTIATE_TEST_SUITE_P(Operator, Scenarios, ::testing::ValuesIn(LoadScenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
