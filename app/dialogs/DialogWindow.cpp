#include "app/dialogs/DialogWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include "app/dialogs/CaptionFont.h"

namespace orelith::gui {
namespace {

using K = DialogItemKind;

QWidget* newWidget(const DialogItem& item, QWidget* parent) {
  const QString text = QString::fromStdString(item.text);
  switch (item.kind) {
    case K::DefaultButton:
    case K::Button: {
      auto* b = new QPushButton(text, parent);
      b->setDefault(item.kind == K::DefaultButton);
      return b;
    }
    case K::GroupBox:
      return new QGroupBox(text, parent);
    case K::RadioButton:
      return new QRadioButton(text, parent);
    case K::CheckBox:
      return new QCheckBox(text, parent);
    case K::Label:
    case K::RightLabel:
    case K::TextBlock: {
      auto* l = new QLabel(text, parent);
      l->setTextFormat(Qt::PlainText);
      const Qt::Alignment vertical = item.kind == K::TextBlock ? Qt::AlignTop : Qt::AlignVCenter;
      l->setAlignment((item.kind == K::RightLabel ? Qt::AlignRight : Qt::AlignLeft) | vertical);
      // A long line of flags goes on below rather than out of the dialog.
      l->setWordWrap(item.kind == K::TextBlock);
      return l;
    }
    case K::DigitsEdit: {
      auto* e = new QLineEdit(parent);
      static const QRegularExpression digits("[0-9]*");
      e->setValidator(new QRegularExpressionValidator(digits, e));
      return e;
    }
    case K::TextEdit:
      return new QLineEdit(parent);
    case K::Swatch: {
      auto* f = new QFrame(parent);
      f->setFrameShape(QFrame::Box);
      f->setAutoFillBackground(true);
      return f;
    }
  }
  return nullptr;
}

// The dialog font's base units as the dialog manager measures them: the
// average width of the 52 letters, rounded, and the line height.
struct BaseUnits {
  int x;
  int y;
};

BaseUnits baseUnits(const QFont& font) {
  const QFontMetrics fm(font);
  const int letters = fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return {(letters / 26 + 1) / 2, fm.height()};
}

QString itemName(DialogId dialog, const DialogItem& item, int index) {
  const int dialogId = idNumber(dialog);
  if (item.kind == K::Swatch) return QString("dlg%1_swatch%2").arg(dialogId).arg(item.colour);
  if (item.id != 0) return QString("dlg%1_%2").arg(dialogId).arg(item.id);
  return QString("dlg%1_item%2").arg(dialogId).arg(index);
}

}  // namespace

DialogWindow::DialogWindow(const DialogLayout& layout, std::unique_ptr<DialogModel> model,
                           QWidget* owner)
    : QDialog(owner), model_(std::move(model)) {
  setWindowTitle(QString::fromStdString(layout.title));
  setObjectName(QString("dlg%1").arg(idNumber(layout.id)));
  setModal(true);
  setFont(captionFont(font()));
  // Created in table order, so the tab order is the table's and each group
  // box lies below the controls it frames.
  std::vector<QWidget*> widgets;
  for (int i = 0; i < static_cast<int>(layout.items.size()); ++i) {
    const DialogItem& item = layout.items[i];
    QWidget* w = createItem(item);
    w->setObjectName(itemName(layout.id, item, i));
    w->setAccessibleName(QString::fromStdString(item.name));
    widgets.push_back(w);
  }
  const BaseUnits base = baseUnits(font());
  const auto px = [&](int units) { return dialogUnitsToPixelsX(units, base.x); };
  const auto py = [&](int units) { return dialogUnitsToPixelsY(units, base.y); };
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    const DialogItem& item = layout.items[i];
    widgets[i]->setGeometry(px(item.x), py(item.y), px(item.width), py(item.height));
  }
  setFixedSize(px(layout.width), py(layout.height));
  redraw();
}

QWidget* DialogWindow::createItem(const DialogItem& item) {
  QWidget* w = newWidget(item, this);
  // Radio buttons next to each other in the table are one choice; all are
  // children of the dialog, so without a group of their own every radio
  // button of the dialog would exclude every other.
  if (item.kind == K::RadioButton) {
    if (radioGroup_ == nullptr) radioGroup_ = new QButtonGroup(this);
    radioGroup_->addButton(static_cast<QRadioButton*>(w));
  } else {
    radioGroup_ = nullptr;
  }
  if (item.kind == K::Swatch) swatches_[item.colour] = static_cast<QFrame*>(w);
  if (item.id != 0) {
    controls_[item.id] = w;
    connectItem(item, w);
  }
  return w;
}

void DialogWindow::connectItem(const DialogItem& item, QWidget* widget) {
  const int id = item.id;
  if (auto* e = qobject_cast<QLineEdit*>(widget)) {
    connect(e, &QLineEdit::textChanged, this, [this, id](const QString& text) {
      model_->textChanged(id, text.toStdString());
      redraw();
    });
  } else if (auto* b = qobject_cast<QPushButton*>(widget)) {
    connect(b, &QPushButton::clicked, this, [this, id] { follow(model_->buttonPressed(id)); });
  } else if (auto* box = qobject_cast<QAbstractButton*>(widget)) {
    connect(box, &QAbstractButton::clicked, this, [this, id](bool checked) {
      model_->boxClicked(id, checked);
      redraw();
    });
  }
}

QWidget* DialogWindow::control(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

QFrame* DialogWindow::swatch(int colour) const {
  const auto it = swatches_.find(colour);
  return it == swatches_.end() ? nullptr : it->second;
}

void DialogWindow::follow(DialogVerdict verdict) {
  if (verdict == DialogVerdict::Accept) {
    accept();
  } else if (verdict == DialogVerdict::Reject) {
    reject();
  } else {
    redraw();
  }
}

void DialogWindow::redraw() {
  for (const DialogControl& c : model_->controls()) {
    QWidget* w = control(c.id);
    if (w == nullptr) continue;
    const QSignalBlocker blocker(w);
    w->setEnabled(c.enabled);
    const QString text = QString::fromStdString(c.text);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      // Only a text the model changed (a bound put back) is written, so the
      // cursor stays where the user types; a new text puts it at the end.
      if (e->text() != text) e->setText(text);
    } else if (auto* box = qobject_cast<QAbstractButton*>(w); box && box->isCheckable()) {
      box->setChecked(c.checked);
    } else if (auto* l = qobject_cast<QLabel*>(w); l && !text.isEmpty()) {
      l->setText(text);
    }
  }
  const std::vector<Rgb> colours = model_->swatches();
  for (std::size_t colour = 0; colour < colours.size(); ++colour) {
    QFrame* f = swatch(static_cast<int>(colour));
    if (f == nullptr) continue;
    QPalette p = f->palette();
    p.setColor(QPalette::Window,
               QColor(colours[colour][0], colours[colour][1], colours[colour][2]));
    f->setPalette(p);
  }
}

std::unique_ptr<DialogWindow> makeDialog(DialogId dialog, Workspace& ws, WindowPort& port,
                                         QWidget* owner) {
  return std::make_unique<DialogWindow>(*dialogLayout(dialog), openDialogModel(dialog, ws, port),
                                        owner);
}

void runModalDialog(DialogId dialog, Workspace& ws, WindowPort& port, QWidget* owner) {
  makeDialog(dialog, ws, port, owner)->exec();
}

}  // namespace orelith::gui
