#include "interaction/ScienceCommands.h"

#include "photometry/CalibrationImport.h"
#include "photometry/Science.h"
#include "report/CsvTable.h"

namespace orelith {

void importCalibrationCommand(Workspace& ws, WindowPort& port) {
  const FileChoice file = port.askDataFile(DataFile::CalibrationStars);
  if (!file.chosen) return;
  const CalibrationImport result = importCalibrationStars(ws, file.path);
  if (result.accepted > 0) {
    // As the Star-properties OK that accepts a calibration star.
    for (ControlId c : {ctl::CalculateMagnitudes, ctl::CurveViewBlue, ctl::CurveViewGreen})
      port.setEnabled(c, true);
    port.starListChanged();
  }
  port.showNote(kImportCaption, calibrationImportReport(result));
}

void exportCsvCommand(Workspace& ws, WindowPort& port) {
  const FileChoice file = port.askDataFile(DataFile::CsvTable);
  if (!file.chosen) return;
  const ScienceResults science = computeScience(ws, ws.science).results;
  StringId failure{};
  if (!writeCsv(ws, science, file.path, failure))
    port.showMessage(failure, MessageOwner::MainWindow);
}

}  // namespace orelith
