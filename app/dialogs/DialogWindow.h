// The one dialog window: built from a dialog's layout table, it forwards each
// user event to the dialog's model and redraws its widgets from the model's
// control states, or closes as the model decides.
#pragma once

#include <QDialog>
#include <map>
#include <memory>
#include <string>

#include "image/Workspace.h"
#include "interaction/DialogLayouts.h"
#include "interaction/DialogModel.h"

class QButtonGroup;
class QFrame;

namespace orelith::gui {

class DialogWindow final : public QDialog {
 public:
  DialogWindow(const DialogLayout& layout, std::unique_ptr<DialogModel> model, QWidget* owner);

  // The widget of control `id`, or nullptr.
  QWidget* control(int id) const;
  // The swatch of colour-table entry `colour`, or nullptr.
  QFrame* swatch(int colour) const;

 private:
  QWidget* createItem(const DialogItem& item);
  void connectItem(const DialogItem& item, QWidget* widget);
  // Closes on Accept or Reject; otherwise draws the model's state.
  void follow(DialogVerdict verdict);
  // Writes each control's enabled, checked and text state into its widget
  // without raising the widgets' own signals, and colours the swatches.
  void redraw();

  std::unique_ptr<DialogModel> model_;
  std::map<int, QWidget*> controls_;
  std::map<int, QFrame*> swatches_;
  QButtonGroup* radioGroup_ = nullptr;  // of the radio buttons being created
};

// `dialog` over `ws`, opened as its model opens it.
std::unique_ptr<DialogWindow> makeDialog(DialogId dialog, Workspace& ws, WindowPort& port,
                                         QWidget* owner);

// Runs `dialog` modally over `owner` and returns once it has closed.
void runModalDialog(DialogId dialog, Workspace& ws, WindowPort& port, QWidget* owner);

}  // namespace orelith::gui
