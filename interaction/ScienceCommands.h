// The menu items beside the specified menu that bring the science results
// into the window: calibration stars imported from a star file, the CSV
// table exported, the colour-magnitude diagram shown.
#pragma once

#include <string>

#include "image/Workspace.h"
#include "interaction/WindowPort.h"
#include "photometry/CalibrationImport.h"

namespace orelith {

inline constexpr char kImportCaption[] = "Import calibration stars";

// "Import calibration stars...": asks for the file, enters its rows as the
// Star-properties dialog would, and tells in one message what was entered
// and which rows could not be placed.
void importCalibrationCommand(Workspace& ws, WindowPort& port);
// The same with the file chosen, without the message: the rows entered and
// those not placed.
CalibrationImport importCalibrationFile(Workspace& ws, WindowPort& port, const std::string& path);

// "Export CSV table...": asks for the file and writes the batch tool's CSV
// of the current state, computed with the workspace's science settings.
void exportCsvCommand(Workspace& ws, WindowPort& port);

}  // namespace orelith
