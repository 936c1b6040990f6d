// The "Compare" window: the sensor's RAM, its EEPROM, the values on the
// panels and, when chosen, a parameter file side by side, the 16 parameters
// by name with units and micrometres where they mean a length, every
// difference marked. Nothing is written anywhere; the program's variables,
// package and panels keep what they hold (sets/sensor/sensor_sets.h). It is a
// feature window (runtime/feature_window.h): Escape closes it, the focus
// starts on "Read again", Tab leaves the table (Ctrl+Tab moves inside it), and
// the line under the table says in words what differs.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>
#include <optional>
#include <vector>

#include "sets/sensor/sensor_sets.h"

namespace sets {

class CompareWindow : public QWidget {
 public:
  CompareWindow();
  ~CompareWindow() override;

  // Reads RAM and EEPROM from the sensor and the panels, then shows all
  // sets. A store that does not answer is shown as such.
  void Refresh();
  // Asks for a parameter file and adds it as a column.
  void ChooseFile();
  // Saves the set chosen under "Sheet of" as a parameter sheet, PDF or (for a
  // name ending in .html) HTML, with the comment line.
  void SaveSheet();

 private:
  struct Column {
    QString title;
    QString tip;                      // the header's tooltip: a file's whole path
    std::optional<ParameterSet> set;  // none: the store did not answer
    QString missing;                  // what to show without a set
  };
  void Show();
  void ReadStore(Column* column, int32_t store, bool held);
  // The commands that talk to the sensor, dimmed while an operation does.
  static void OperationChanged(void* window, int32_t running);

  Column ram_, eeprom_, panels_, file_;
  bool fileChosen_ = false;
  std::vector<const Column*> shown_;  // the columns as shown, left to right
  QTableWidget* table_;
  QComboBox* sheetOf_;
  QLineEdit* comment_;
  QLabel* summary_;
  std::vector<QPushButton*> sensorCommands_;
  // Where the focus stood on a command when an operation dimmed it, and where
  // the dimming moved it: the focus goes back when the operation ends.
  QWidget* focusBeforeDimming_ = nullptr;
  QWidget* focusAfterDimming_ = nullptr;
};

}  // namespace sets
