// The "Compare" window: the sensor's RAM, its EEPROM, the values on the
// panels and, when chosen, a parameter file side by side, the 16 parameters
// by name with units and micrometres where they mean a length, every
// difference marked. Nothing is written anywhere; the program's variables,
// package and panels keep what they hold (sets/sensor/sensor_sets.h).
#pragma once

#include <QLabel>
#include <QTableWidget>
#include <QWidget>
#include <optional>

#include "sets/sensor/sensor_sets.h"

namespace sets {

class CompareWindow : public QWidget {
 public:
  CompareWindow();

  // Reads RAM and EEPROM from the sensor and the panels, then shows all
  // sets. A store that does not answer is shown as such.
  void Refresh();
  // Asks for a parameter file and adds it as a column.
  void ChooseFile();

 private:
  struct Column {
    QString title;
    std::optional<ParameterSet> set;  // none: the store did not answer
    QString missing;                  // what to show without a set
  };
  void Show();
  void ReadStore(Column* column, int32_t store);

  Column ram_, eeprom_, panels_, file_;
  bool fileChosen_ = false;
  QTableWidget* table_;
  QLabel* summary_;
};

}  // namespace sets
