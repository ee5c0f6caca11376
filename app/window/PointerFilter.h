// Hands the pointer events of the client area to the core in client
// coordinates, also those over static and disabled controls, and keeps the
// pointer in the blue panel while a selection is dragged.
#pragma once

#include <QObject>
#include <QPoint>

#include "resources/ControlIds.h"

namespace orelith::gui {

class MainWindow;

class PointerFilter : public QObject {
  Q_OBJECT

 public:
  explicit PointerFilter(MainWindow& window);

  // While confined, the blue panel grabs the pointer and every position is
  // clamped into it.
  void setConfined(bool on);
  bool confined() const { return confined_; }

  // The identifier of the visible control under client point `p`, 0 for none.
  ControlId controlAt(QPoint p) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPoint clamped(QPoint client) const;

  // Qt offers an event that a widget ignores to its parent as well; the core
  // takes each event once.
  struct Seen {
    int type = 0;
    quint64 time = 0;
    QPoint screen;
    bool operator==(const Seen&) const = default;
  };

  MainWindow& window_;
  bool confined_ = false;
  Seen last_;
};

}  // namespace orelith::gui
