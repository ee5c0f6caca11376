// A dialog built from its layout table, which forwards each user event to a
// model and redraws its widgets from the model's control states.
#pragma once

#include <QDialog>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "image/DialogControl.h"
#include "image/WindowPort.h"
#include "image/Workspace.h"
#include "interaction/DialogLayouts.h"

class QFrame;

namespace orelith::gui {

class DialogWindow : public QDialog {
 public:
  DialogWindow(const DialogLayout& layout, QWidget* owner);

  // The widget of control `id`, or nullptr.
  QWidget* control(int id) const;
  // The swatch of colour-table entry `colour`, or nullptr.
  QFrame* swatch(int colour) const;

 protected:
  // The user changed an edit's text, clicked a check box or radio button,
  // or pressed a push button.
  virtual void textChanged(int id, const std::string& text) = 0;
  virtual void boxClicked(int id, bool checked) = 0;
  virtual void buttonClicked(int id) = 0;

  // Writes each control's enabled, checked and text state into its widget
  // without raising the widgets' own signals.
  void showControls(const std::vector<DialogControl>& controls);
  void showSwatch(int colour, int red, int green, int blue);

 private:
  QWidget* createItem(const DialogItem& item);
  void connectItem(const DialogItem& item, QWidget* widget);

  std::map<int, QWidget*> controls_;
  std::map<int, QFrame*> swatches_;
};

// Dialog 107, 108, 115 or 116 over `ws`, opened as its model opens it;
// nullptr for any other number.
std::unique_ptr<DialogWindow> makeDialog(int dialogId, Workspace& ws, WindowPort& port,
                                         QWidget* owner);

}  // namespace orelith::gui
