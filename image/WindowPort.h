// The one way the core reaches the window: every visible effect of a command
// goes through here, so a recording port sees all of them.
#pragma once

#include <string>

namespace orelith {

enum class MessageOwner { MainWindow, Dialog };

class WindowPort {
 public:
  virtual ~WindowPort() = default;

  // Error box "ERROR" with string `stringId`.
  virtual void showMessage(int stringId, MessageOwner owner) = 0;
  virtual void beep() = 0;
  virtual void setEnabled(int controlId, bool on) = 0;
  virtual void setVisible(int controlId, bool on) = 0;
  virtual void setChecked(int controlId, bool on) = 0;
  virtual void setText(int controlId, const std::string& text) = 0;
  virtual void setMenuEnabled(int menuId, bool on) = 0;
  // Panel `panel` must be rendered from the workspace and shown again.
  virtual void repaint(int panel) = 0;
  // The star list must be rebuilt from the workspace.
  virtual void starListChanged() = 0;
};

// A port that drops everything; for callers that want only the data effects.
class NullWindowPort : public WindowPort {
 public:
  void showMessage(int, MessageOwner) override {}
  void beep() override {}
  void setEnabled(int, bool) override {}
  void setVisible(int, bool) override {}
  void setChecked(int, bool) override {}
  void setText(int, const std::string&) override {}
  void setMenuEnabled(int, bool) override {}
  void repaint(int) override {}
  void starListChanged() override {}
};

}  // namespace orelith
