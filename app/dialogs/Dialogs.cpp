#include "app/dialogs/Dialogs.h"

#include "app/dialogs/DialogWindow.h"
#include "interaction/AlgorithmDialog.h"
#include "interaction/ColorDialog.h"
#include "interaction/DisplayDialog.h"
#include "photometry/StarProperties.h"
#include "resources/ControlIds.h"

namespace orelith::gui {
namespace {

// Each window holds its model for as long as it is open; every event goes
// to the model first and the widgets are then drawn from it.
class AlgorithmWindow final : public DialogWindow {
 public:
  AlgorithmWindow(Workspace& ws, WindowPort& port, QWidget* owner)
      : DialogWindow(*dialogLayout(dlg::Algorithm), owner),
        ws_(ws),
        port_(port),
        model_(openAlgorithmDialog(ws)) {
    showControls(model_.controls);
  }

 protected:
  void textChanged(int id, const std::string& text) override {
    algorithmFieldChanged(model_, port_, id, text);
    showControls(model_.controls);
  }
  void boxClicked(int id, bool checked) override {
    algorithmBoxClicked(model_, id, checked);
    showControls(model_.controls);
  }
  void buttonClicked(int id) override {
    if (id == algodlg::Ok) {
      algorithmOk(ws_, port_, model_);
      accept();
    } else if (id == algodlg::Cancel) {
      reject();
    }
  }

 private:
  Workspace& ws_;
  WindowPort& port_;
  AlgorithmDialog model_;
};

// Escape and the close box cancel, as in the other dialogs.
class DisplayWindow final : public DialogWindow {
 public:
  DisplayWindow(Workspace& ws, WindowPort& port, QWidget* owner)
      : DialogWindow(*dialogLayout(dlg::Display), owner),
        ws_(ws),
        port_(port),
        model_(openDisplayDialog(ws)) {
    showControls(model_.controls);
  }

 protected:
  void textChanged(int, const std::string& text) override {
    displayFrequencyChanged(model_, ws_, port_, text);
    showControls(model_.controls);
  }
  void boxClicked(int id, bool checked) override {
    displayBoxClicked(model_, id, checked);
    showControls(model_.controls);
  }
  void buttonClicked(int id) override {
    if (id == displaydlg::Deselect) {
      displayDeselect(ws_, port_);
    } else if (id == displaydlg::Ok) {
      displayOk(ws_, port_, model_);
      accept();
    } else if (id == displaydlg::Cancel) {
      reject();
    }
  }

 private:
  Workspace& ws_;
  WindowPort& port_;
  DisplayDialog model_;
};

class StarPropertiesWindow final : public DialogWindow {
 public:
  StarPropertiesWindow(Workspace& ws, WindowPort& port, QWidget* owner)
      : DialogWindow(*dialogLayout(dlg::StarProperties), owner),
        ws_(ws),
        port_(port),
        model_(openStarProperties(ws)) {
    showControls(model_.controls);
  }

 protected:
  void textChanged(int id, const std::string& text) override {
    starPropertiesTextChanged(model_, id, text);
    showControls(model_.controls);
  }
  void boxClicked(int id, bool checked) override {
    if (id == props::CalibrationStar) starPropertiesCalibrationClicked(model_, checked);
    if (id == props::IgnoreStar) starPropertiesIgnoreClicked(model_, checked);
    showControls(model_.controls);
  }
  void buttonClicked(int id) override {
    if (id == props::Ok) {
      // A refusal (messages 20 and 21) keeps the dialog open for a correction.
      if (starPropertiesOk(ws_, port_, model_)) {
        accept();
      } else {
        showControls(model_.controls);
      }
    } else if (id == props::Cancel) {
      reject();
    }
  }

 private:
  Workspace& ws_;
  WindowPort& port_;
  StarPropertiesDialog model_;
};

// Beside the numbers each row shows its colour as typed so far; the colour
// table itself changes only on OK.
class ColorWindow final : public DialogWindow {
 public:
  ColorWindow(Workspace& ws, WindowPort& port, QWidget* owner)
      : DialogWindow(*dialogLayout(dlg::Colors), owner),
        ws_(ws),
        port_(port),
        model_(openColorDialog(ws)) {
    redraw();
  }

 protected:
  void textChanged(int id, const std::string& text) override {
    colorFieldChanged(model_, port_, id, text);
    redraw();
  }
  void boxClicked(int, bool) override {}
  void buttonClicked(int id) override {
    if (id == colordlg::Ok) {
      colorOk(ws_, port_, model_);
      accept();
    } else if (id == colordlg::Cancel) {
      reject();
    }
  }

 private:
  void redraw() {
    showControls(model_.controls);
    for (int colour = 0; colour < kColorBytes / 3; ++colour) {
      const int* rgb = &model_.working[3 * colour];
      showSwatch(colour, rgb[0], rgb[1], rgb[2]);
    }
  }

  Workspace& ws_;
  WindowPort& port_;
  ColorDialog model_;
};

}  // namespace

std::unique_ptr<DialogWindow> makeDialog(int dialogId, Workspace& ws, WindowPort& port,
                                         QWidget* owner) {
  switch (dialogId) {
    case dlg::Algorithm:
      return std::make_unique<AlgorithmWindow>(ws, port, owner);
    case dlg::Display:
      return std::make_unique<DisplayWindow>(ws, port, owner);
    case dlg::StarProperties:
      return std::make_unique<StarPropertiesWindow>(ws, port, owner);
    case dlg::Colors:
      return std::make_unique<ColorWindow>(ws, port, owner);
    default:
      return nullptr;
  }
}

void runModalDialog(int dialogId, Workspace& ws, WindowPort& port, QWidget* owner) {
  if (const std::unique_ptr<DialogWindow> dialog = makeDialog(dialogId, ws, port, owner))
    dialog->exec();
}

}  // namespace orelith::gui
