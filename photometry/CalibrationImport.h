// Calibration stars from a star file "x,y,V,BV" (base/StarFile.h), the file
// the batch tool's --calibration reads: each row names a star by any of its
// blue pixels and is taken as the "Star properties" dialog's OK takes it with
// "Calibration star" ticked and V and B-V typed. Rows that cannot be placed
// are handed back; the others stay marked.
#pragma once

#include <string>
#include <vector>

#include "base/StarFile.h"
#include "image/Workspace.h"

namespace orelith {

// V and B-V of any star; a value beyond is a reading error.
inline constexpr ColumnRange kCalibrationRanges[] = {{-5, 30}, {-2, 5}};

enum class RowRefusal {
  NoStar,        // no star of the searched blue image covers the pixel
  NotPaired,     // the star has no partner, or the images are not compared
  Ignored,       // the star is marked ignored, where "Calibration star" is greyed
  Repeated,      // an earlier row of the file named the same star
  NoVMagnitude,  // V 0, which the dialog takes as missing
  ListFull,      // the list holds as many calibration stars as it may
};

struct RefusedRow {
  StarRow row;
  RowRefusal why;
};

struct CalibrationImport {
  bool read = false;  // false: the file could not be read, `error` says why
  std::string error;
  int accepted = 0;  // rows entered or updated
  std::vector<RefusedRow> refused;
};

CalibrationImport importCalibrationStars(Workspace& ws, const std::string& path);

// The one message the user sees: how many stars were entered, then each row
// that was not placed with its line, pixel and reason.
std::string calibrationImportReport(const CalibrationImport& result);

}  // namespace orelith
