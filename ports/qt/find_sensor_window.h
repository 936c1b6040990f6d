// The "Find sensor" window: every serial device with its port number, USB
// description, serial number and what the search found there, progress while
// the probes run, "Use this port" (default, only on a port where a sensor
// answered) and "Close" (Escape): nothing chosen. A feature window
// (runtime/feature_window.h): a dialog by its title, the focus on "Use this
// port" (on Close while the probes run), Tab leaves the list.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <functional>
#include <memory>
#include <vector>

#include "ports/qt/port_probe.h"
#include "ports/search_result.h"
#include "runtime/com_devices.h"

namespace ports {

class FindSensorWindow : public QDialog {
 public:
  FindSensorWindow();
  ~FindSensorWindow() override;

  // Probes every one of `devices` at once with requests carrying `words`;
  // `done` runs once all have finished (or the window closed before).
  void Search(const std::vector<ComDevice>& devices, const std::array<uint16_t, 16>& words,
              std::function<void(const std::vector<PortResult>&)> done);
  bool Searching() const { return searching_; }
  // `use` runs with the device of the row chosen by "Use this port".
  void OnUse(std::function<void(const ComDevice&)> use) { use_ = std::move(use); }

 protected:
  void reject() override;

 private:
  void ShowRow(int row);
  void ProbeFinished();
  void EndSearch();
  // Ends a running search as interrupted: the ports still probed say so.
  void InterruptSearch();
  void UpdateUseButton();

  std::vector<ComDevice> devices_;
  std::vector<std::unique_ptr<PortProbe>> probes_;
  std::vector<PortResult> results_;
  std::function<void(const std::vector<PortResult>&)> done_;
  std::function<void(const ComDevice&)> use_;
  bool searching_ = false;
  bool starting_ = false;
  QLabel* progress_;
  QTableWidget* table_;
  QPushButton* useButton_;
  QPushButton* close_;
};

}  // namespace ports
