#include "app/window/ControlFactory.h"

#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QTableView>

#include "app/dialogs/CaptionFont.h"
#include "app/window/PanelFrame.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"

namespace orelith::gui {
namespace {

constexpr const char* kIdProperty = "controlId";

QString fromView(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The 12 x 12 arrow bitmaps: 112 up, 110 right, 113 down, 114 left.
QIcon arrowIcon(int bitmap) {
  const char* name = bitmap == 110   ? "right"
                     : bitmap == 113 ? "down"
                     : bitmap == 114 ? "left"
                                     : "up";
  return QIcon(QString(":/orelith/arrow-%1.png").arg(name));
}

// Names for assistive technology where a control has no caption.
QString describedName(const ControlSpec& entry) {
  switch (entry.id) {
    case ctl::BlueFrame:
      return "Blue image panel";
    case ctl::GreenFrame:
      return "Green image panel";
    case ctl::RangeBlue:
      return "Blue display range";
    case ctl::RangeGreen:
      return "Green display range";
    case ctl::BackgroundSliderBlue:
      return "Blue background adjustment";
    case ctl::BackgroundSliderGreen:
      return "Green background adjustment";
    case ctl::BackgroundFieldBlue:
      return "Blue background";
    case ctl::BackgroundFieldGreen:
      return "Green background";
    case ctl::StarList:
      return "Star list";
    case ctl::OffsetLabel:
      return "Image offset";
    case ctl::ArrowUp:
      return "Move green image up";
    case ctl::ArrowRight:
      return "Move green image right";
    case ctl::ArrowDown:
      return "Move green image down";
    case ctl::ArrowLeft:
      return "Move green image left";
    case ctl::StatusBar:
      return "Status bar";
    default:
      return controlCaption(entry);
  }
}

QWidget* statusBar(QWidget* client) {
  auto* bar = new QWidget(client);
  int left = 0;
  for (int part = 0; part < 3; ++part) {
    auto* label = new QLabel(bar);
    label->setObjectName(QString("part%1").arg(part));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setGeometry(left, 2, kStatusPartEdges[part] - left, 20);
    left = kStatusPartEdges[part];
  }
  return bar;
}

QWidget* makeWidget(const ControlSpec& entry, Workspace& ws, QWidget* client) {
  const QString caption = controlCaption(entry);
  switch (entry.kind) {
    case ControlKind::Frame:
      return new PanelFrame(ws, entry.id == ctl::BlueFrame ? kBlue : kGreen, client);
    case ControlKind::Caption: {
      auto* label = new QLabel(caption, client);
      label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
      return label;
    }
    case ControlKind::Trackbar: {
      auto* slider = new QSlider(Qt::Horizontal, client);
      slider->setRange(entry.rangeMin, entry.rangeMax);
      slider->setTickPosition(QSlider::NoTicks);
      return slider;
    }
    case ControlKind::StatusBar:
      return statusBar(client);
    case ControlKind::CheckBox:
      return new QCheckBox(caption, client);
    case ControlKind::DigitsEdit: {
      auto* edit = new QLineEdit(caption, client);
      edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
      return edit;
    }
    case ControlKind::Button:
      return new QPushButton(caption, client);
    case ControlKind::ListView:
      return new QTableView(client);
    case ControlKind::ArrowButton: {
      auto* button = new QPushButton(client);
      button->setIcon(arrowIcon(entry.bitmap));
      button->setIconSize(QSize(12, 12));
      return button;
    }
  }
  return new QWidget(client);
}

}  // namespace

QString controlCaption(const ControlSpec& entry) {
  return entry.captionString != kNoString ? fromView(stringText(entry.captionString))
                                          : fromView(entry.text);
}

ControlId controlId(const QObject* widget) {
  return widget ? ControlId{widget->property(kIdProperty).toInt()} : kNoControl;
}

QWidget* createControl(const ControlSpec& entry, Workspace& ws, QWidget* client) {
  QWidget* w = makeWidget(entry, ws, client);
  w->setObjectName(QString("ctl%1").arg(idNumber(entry.id)));
  w->setProperty(kIdProperty, idNumber(entry.id));
  w->setAccessibleName(describedName(entry));
  w->setGeometry(entry.x, entry.y, entry.width, entry.height);
  // The small caption font, so that the captions fit their buttons. The
  // list and the status bar draw with it too, not with the system font of
  // the panels' captions and the fields.
  if (entry.font == ControlFont::DefaultGui || entry.kind == ControlKind::ListView ||
      entry.kind == ControlKind::StatusBar)
    w->setFont(captionFont(w->font()));
  w->setEnabled(entry.enabled);
  w->setVisible(entry.visible);
  return w;
}

void configureStarList(QTableView& view) {
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setSelectionMode(QAbstractItemView::SingleSelection);
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.setShowGrid(true);
  view.setSortingEnabled(false);
  view.setWordWrap(false);
  view.verticalHeader()->hide();
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->setDefaultSectionSize(18);
  QHeaderView* header = view.horizontalHeader();
  header->setSectionsClickable(false);
  header->setSectionsMovable(false);
  header->setHighlightSections(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setStretchLastSection(false);
  for (int c = 0; c < kListColumns; ++c) {
    header->setSectionResizeMode(c, QHeaderView::Interactive);
    view.setColumnWidth(c, kListColumnWidth[c]);
  }
}

}  // namespace orelith::gui
