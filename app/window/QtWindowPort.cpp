#include "app/window/QtWindowPort.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableView>
#include <QTimer>

#include "app/dialogs/DialogWindow.h"
#include "app/window/FileDialogs.h"
#include "app/window/MainWindow.h"
#include "app/window/PanelFrame.h"
#include "app/window/PointerFilter.h"
#include "app/window/StarListModel.h"
#include "display/Render.h"
#include "interaction/StarList.h"
#include "photometry/FlagText.h"
#include "resources/StringTable.h"

namespace orelith::gui {
namespace {

QString fromView(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

void QtWindowPort::showMessage(StringId message, MessageOwner owner) {
  showMessageWithDetail(message, {}, owner);
}

void QtWindowPort::showMessageWithDetail(StringId message, const std::string& detail,
                                         MessageOwner owner) {
  QWidget* parent = &window_;
  if (owner == MessageOwner::Dialog && QApplication::activeModalWidget())
    parent = QApplication::activeModalWidget();
  QString text = fromView(stringText(message));
  if (!detail.empty()) text += "\n\n" + QString::fromStdString(detail);
  QMessageBox box(QMessageBox::Warning, fromView(kErrorCaption), text, QMessageBox::Ok, parent);
  box.exec();
}

void QtWindowPort::beep() { QApplication::beep(); }

void QtWindowPort::setEnabled(ControlId control, bool on) {
  if (QWidget* w = window_.control(control)) w->setEnabled(on);
}

void QtWindowPort::setVisible(ControlId control, bool on) {
  if (QWidget* w = window_.control(control)) w->setVisible(on);
}

// What the core writes into a control is not reported back to it.
void QtWindowPort::setChecked(ControlId control, bool on) {
  if (auto* box = qobject_cast<QCheckBox*>(window_.control(control))) {
    const QSignalBlocker quiet(box);
    box->setChecked(on);
  }
}

void QtWindowPort::setText(ControlId control, const std::string& text) {
  QWidget* w = window_.control(control);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    const QSignalBlocker quiet(edit);
    edit->setText(QString::fromStdString(text));
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(QString::fromStdString(text));
  }
}

void QtWindowPort::setDecimalInput(ControlId field, bool decimals) {
  if (auto* edit = qobject_cast<QLineEdit*>(window_.control(field))) {
    // The point is always '.', whatever the user's locale: the core reads
    // the text with a point.
    const QRegularExpression pattern(decimals ? "-?[0-9]*\\.?[0-9]*" : "[0-9]*");
    const QValidator* before = edit->validator();
    edit->setValidator(new QRegularExpressionValidator(pattern, edit));
    delete before;
  }
}

void QtWindowPort::setMenuEnabled(MenuId item, bool on) {
  if (QAction* a = window_.menuAction(item)) a->setEnabled(on);
}

void QtWindowPort::repaint(int panel) {
  Workspace& ws = window_.workspace();
  // The flags come from the science, computed only while they are shown.
  renderImage(ws, panel,
              hasBit(ws.optionFlags, OPT_SHOW_FLAGGED) ? &window_.science().flags : nullptr);
  window_.panel(panel)->pictureRendered();
  window_.panel(panel)->update();
  window_.diagramSelectionChanged();
}

void QtWindowPort::starListChanged() {
  window_.listModel()->refill(window_.workspace());
  window_.resultsStale();
  // Every step that changes the stars or their magnitudes refills the list,
  // often after its panels were drawn: the rings follow the new flags.
  if (hasBit(window_.workspace().optionFlags, OPT_SHOW_FLAGGED))
    for (int panel : {kBlue, kGreen}) repaint(panel);
}

void QtWindowPort::setSliderPosition(ControlId control, int position) {
  if (auto* slider = qobject_cast<QSlider*>(window_.control(control))) {
    const QSignalBlocker quiet(slider);
    slider->setValue(position);
  }
}

void QtWindowPort::startTimer(TimerId timer, int periodMs) {
  if (QTimer* t = window_.timer(timer)) t->start(periodMs);
}

void QtWindowPort::stopTimer(TimerId timer) {
  if (QTimer* t = window_.timer(timer)) t->stop();
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

void QtWindowPort::runDialog(DialogId dialog) {
  runModalDialog(dialog, window_.workspace(), *this, &window_);
  // "Star properties" may have entered or withdrawn a calibration star.
  window_.resultsStale();
}

FileChoice QtWindowPort::askOpenFile(StringId title, int filterIndex) {
  return askFile(&window_, FileDialogKind::Open, title, filterIndex);
}

FileChoice QtWindowPort::askSaveFile(StringId title, int filterIndex) {
  return askFile(&window_, FileDialogKind::Save, title, filterIndex);
}

bool QtWindowPort::askYesNo(StringId question) {
  return QMessageBox::question(&window_, fromView(stringText(str::SaveTitle)),
                               fromView(stringText(question)), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void QtWindowPort::quit() { QCoreApplication::exit(0); }

}  // namespace orelith::gui

namespace orelith::gui {

// Star files and the CSV table: the batch tool's CSV, in the same kind of
// dialog as Open and Save.
FileChoice QtWindowPort::askDataFile(DataFile file) {
  const bool import = file == DataFile::CalibrationStars;
  QFileDialog dialog(&window_, import ? "Import calibration stars" : "Export CSV table");
  dialog.setObjectName(import ? "importDialog" : "exportDialog");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilters({"CSV table (*.csv)", "All files (*)"});
  dialog.setAcceptMode(import ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(import ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (!import) dialog.setDefaultSuffix("csv");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return {true, QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString(), 1};
}

void QtWindowPort::showNote(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Information, QString::fromStdString(title),
                  QString::fromStdString(text), QMessageBox::Ok, &window_);
  box.setObjectName("note");
  box.exec();
}

void QtWindowPort::showDiagram() { window_.showDiagram(); }

void QtWindowPort::whileWorking(const std::function<void()>& work) { window_.whileWorking(work); }

std::string QtWindowPort::scienceNotes(int blue, int green) {
  return pairNotes(window_.workspace(), window_.science(), blue, green);
}

}  // namespace orelith::gui
