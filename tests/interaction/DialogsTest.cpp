#include <gtest/gtest.h>

#include "interaction/AlgorithmDialog.h"
#include "interaction/ColorDialog.h"
#include "interaction/DisplayDialog.h"
#include "resources/ControlIds.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::PortEvent;
using test::RecordingPort;

// A number field typed into: its text afterwards and whether it beeped. The Qt dialog test
// types past each upper bound; these are the inputs keys cannot give: an empty or negative text.
struct FieldRow {
  int dialog;
  int field;
  const char* typed;
  const char* shown;
  bool beep;
};

TEST(Dialogs, EmptyAndNegativeFieldsPutTheirBoundsBack) {
  auto ws = test::makeWorkspace();
  const FieldRow rows[] = {{108, algodlg::HotPixel, "", "", false},
                           {107, displaydlg::Frequency, "", "1", true},
                           {116, colordlg::FirstField, "-4", "0", true}};
  for (const FieldRow& row : rows) {
    RecordingPort port;
    AlgorithmDialog a = openAlgorithmDialog(*ws);
    DisplayDialog d = openDisplayDialog(*ws);
    ColorDialog c = openColorDialog(*ws);
    if (row.dialog == 108) algorithmFieldChanged(a, port, row.field, row.typed);
    if (row.dialog == 107) displayFrequencyChanged(d, *ws, port, row.typed);
    if (row.dialog == 116) colorFieldChanged(c, port, row.field, row.typed);
    std::vector<DialogControl>& controls = row.dialog == 107   ? d.controls
                                           : row.dialog == 116 ? c.controls
                                                               : a.controls;
    EXPECT_EQ(dialogControl(controls, row.field).text, row.shown) << row.field << row.typed;
    EXPECT_EQ(port.count(PortEvent::Beep), row.beep ? 1 : 0) << row.field << row.typed;
    algorithmOk(*ws, port, a);
    colorOk(*ws, port, c);
  }
  // Stored by OK or, the frequency, at once.
  EXPECT_EQ(ws->algorithm.hotPixelValue, 0);
  EXPECT_EQ(ws->display.autoUpdateFrequency, 1);
  EXPECT_EQ(ws->display.colorTable[0], 0);
}

TEST(Dialogs, DisplayOkRunsTheAutoUpdateRule) {
  auto ws = test::makeWorkspace();
  DisplayDialog d = openDisplayDialog(*ws);
  for (int id :
       {displaydlg::AutoUpdateBlue, displaydlg::AutoUpdateGreen, displaydlg::DrawCalibration})
    displayBoxClicked(d, id, id != displaydlg::DrawCalibration);
  RecordingPort port;
  displayOk(*ws, port, d);
  EXPECT_EQ(ws->optionFlags, OPT_AUTO_UPDATE_GREEN | OPT_HIDE_CALIBRATION);
  EXPECT_EQ(port.count(PortEvent::TimerStart), 2);
  EXPECT_EQ(port.events.back(), (PortEvent{PortEvent::TimerStart, 17, true, {}, {}, 1000}));
  ws->selectedStar[kBlue] = 3;
  displayDeselect(*ws, port);
  EXPECT_EQ(ws->selectedStar[kBlue], -1);
}

}  // namespace
}  // namespace orelith
