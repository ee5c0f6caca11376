#include "interaction/ScienceCommands.h"

#include "photometry/Science.h"
#include "report/CsvTable.h"

namespace orelith {

void importCalibrationCommand(Workspace& ws, WindowPort& port) {
  const FileChoice file = port.askDataFile(DataFile::CalibrationStars);
  if (!file.chosen) return;
  port.showNote(kImportCaption,
                calibrationImportReport(importCalibrationFile(ws, port, file.path)));
}

CalibrationImport importCalibrationFile(Workspace& ws, WindowPort& port, const std::string& path) {
  CalibrationImport result = importCalibrationStars(ws, path);
  if (result.accepted > 0) {
    // As the Star-properties OK that accepts a calibration star.
    for (ControlId c : {ctl::CalculateMagnitudes, ctl::CurveViewBlue, ctl::CurveViewGreen})
      port.setEnabled(c, true);
    port.starListChanged();
  }
  return result;
}

void exportCsvCommand(Workspace& ws, WindowPort& port) {
  const FileChoice file = port.askDataFile(DataFile::CsvTable);
  if (!file.chosen) return;
  ScienceResults science;
  port.whileWorking([&] { science = computeScience(ws, ws.science).results; });
  StringId failure{};
  if (!writeCsv(ws, science, file.path, failure))
    port.showMessage(failure, MessageOwner::MainWindow);
}

}  // namespace orelith
