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

// A number field of dialog 108, 107 or 116 typed into: its text afterwards
// and whether it beeped.
struct FieldRow {
  int dialog;
  int field;
  const char* typed;
  const char* shown;
  bool beep;
};

TEST(Dialogs, NumberFieldsPutTheirBoundsBack) {
  auto ws = test::makeWorkspace();
  // clang-format off
  const FieldRow rows[] = {{108, algodlg::Coefficients, "11", "10", true},
                           {108, algodlg::Coefficients, "0", "0", false},
                           {108, algodlg::PixelPerStar, "600", "512", true},
                           {108, algodlg::HotPixel, "", "", false},
                           {107, displaydlg::Frequency, "30", "24", true},
                           {107, displaydlg::Frequency, "", "1", true},
                           {116, colordlg::FirstField + 18, "300", "255", true},
                           {116, colordlg::FirstField, "-4", "0", true}};
  // clang-format on
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
  // Stored by OK (the colour field 1045 is byte 18) or, the frequency, at once.
  EXPECT_EQ(ws->algorithm.coefficientCount, 0);
  EXPECT_EQ(ws->algorithm.pixelPerStar, 512);
  EXPECT_EQ(ws->algorithm.hotPixelValue, 0);
  EXPECT_EQ(ws->display.autoUpdateFrequency, 1);
  EXPECT_EQ(ws->display.colorTable[18], 255);
  EXPECT_EQ(ws->display.colorTable[0], 0);
}

TEST(Dialogs, AlgorithmOkWritesOnlyTouchedBoxes) {
  auto ws = test::makeWorkspace();
  ws->optionFlags = OPT_MOVE_MANUALLY | OPT_MOVE_MODE;
  AlgorithmDialog d = openAlgorithmDialog(*ws);
  algorithmBoxClicked(d, algodlg::RotateImages, true);
  EXPECT_FALSE(dialogControl(d.controls, algodlg::Manually).enabled);
  algorithmBoxClicked(d, algodlg::AutoBackground, true);
  RecordingPort port;
  algorithmOk(*ws, port, d);
  EXPECT_EQ(ws->optionFlags, OPT_ROTATE_IMAGES | OPT_AUTO_BACKGROUND);
  EXPECT_EQ(port.visible(ctl::Move), false);
  EXPECT_EQ(port.repaints(), std::vector<int>{0});  // the move overlay leaves the panel
  ws->optionFlags |= OPT_PAIR_ENTRY;
  EXPECT_FALSE(dialogControl(openAlgorithmDialog(*ws).controls, algodlg::RotateImages).enabled);
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
