#include "app/window/QtWindowPort.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableView>
#include <QTimer>

#include "app/dialogs/Dialogs.h"
#include "app/window/FileDialogs.h"
#include "app/window/MainWindow.h"
#include "app/window/PanelFrame.h"
#include "app/window/PointerFilter.h"
#include "app/window/StarListModel.h"
#include "display/Render.h"
#include "interaction/StarList.h"
#include "resources/StringTable.h"

namespace orelith::gui {
namespace {

QString fromView(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

void QtWindowPort::showMessage(int stringId, MessageOwner owner) {
  QWidget* parent = &window_;
  if (owner == MessageOwner::Dialog && QApplication::activeModalWidget())
    parent = QApplication::activeModalWidget();
  QMessageBox box(QMessageBox::Warning, fromView(kErrorCaption), fromView(stringText(stringId)),
                  QMessageBox::Ok, parent);
  box.exec();
}

void QtWindowPort::beep() { QApplication::beep(); }

void QtWindowPort::setEnabled(int controlId, bool on) {
  if (QWidget* w = window_.control(controlId)) w->setEnabled(on);
}

void QtWindowPort::setVisible(int controlId, bool on) {
  if (QWidget* w = window_.control(controlId)) w->setVisible(on);
}

// What the core writes into a control is not reported back to it.
void QtWindowPort::setChecked(int controlId, bool on) {
  if (auto* box = qobject_cast<QCheckBox*>(window_.control(controlId))) {
    const QSignalBlocker quiet(box);
    box->setChecked(on);
  }
}

void QtWindowPort::setText(int controlId, const std::string& text) {
  QWidget* w = window_.control(controlId);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    const QSignalBlocker quiet(edit);
    edit->setText(QString::fromStdString(text));
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(QString::fromStdString(text));
  }
}

void QtWindowPort::setMenuEnabled(int menuId, bool on) {
  if (QAction* a = window_.menuAction(menuId)) a->setEnabled(on);
}

void QtWindowPort::repaint(int panel) {
  renderImage(window_.workspace(), panel);
  window_.panel(panel)->pictureRendered();
  window_.panel(panel)->update();
}

void QtWindowPort::starListChanged() { window_.listModel()->refill(window_.workspace()); }

void QtWindowPort::setSliderPosition(int controlId, int position) {
  if (auto* slider = qobject_cast<QSlider*>(window_.control(controlId))) {
    const QSignalBlocker quiet(slider);
    slider->setValue(position);
  }
}

void QtWindowPort::startTimer(int timerId, int periodMs) {
  if (QTimer* t = window_.timer(timerId)) t->start(periodMs);
}

void QtWindowPort::stopTimer(int timerId) {
  if (QTimer* t = window_.timer(timerId)) t->stop();
}

void QtWindowPort::setStatusText(int part, const std::string& text) {
  if (QLabel* label = window_.statusPart(part)) label->setText(QString::fromStdString(text));
}

// Only the panels show a shape of their own; elsewhere the widgets keep theirs.
void QtWindowPort::setPointerShape(PointerShape shape) {
  for (int image : {kBlue, kGreen}) {
    PanelFrame* frame = window_.panel(image);
    if (shape == PointerShape::CrossHair)
      frame->setCursor(Qt::CrossCursor);
    else
      frame->unsetCursor();
  }
}

void QtWindowPort::revealListRow(StarRowKey key) {
  QTableView* view = window_.starList();
  const int row = findRow(window_.listModel()->rows(), key);
  if (row < 0) {
    view->clearSelection();
    return;
  }
  const QModelIndex index = window_.listModel()->index(row, 0);
  view->selectionModel()->select(index,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void QtWindowPort::showRubberBand(bool shown, int left, int top, int right, int bottom) {
  window_.panel(kBlue)->setRubberBand(
      shown ? QRect(QPoint(left, top), QSize(right - left, bottom - top)) : QRect());
}

void QtWindowPort::confinePointer(bool on) { window_.pointerFilter()->setConfined(on); }

void QtWindowPort::runDialog(int dialogId) {
  runModalDialog(dialogId, window_.workspace(), *this, &window_);
}

FileChoice QtWindowPort::askOpenFile(int titleString, int filterIndex) {
  return askFile(&window_, FileDialogKind::Open, titleString, filterIndex);
}

FileChoice QtWindowPort::askSaveFile(int titleString, int filterIndex) {
  return askFile(&window_, FileDialogKind::Save, titleString, filterIndex);
}

void QtWindowPort::quit() { QCoreApplication::exit(0); }

}  // namespace orelith::gui
