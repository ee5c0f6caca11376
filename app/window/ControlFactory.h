// One widget per row of the main window's control table.
#pragma once

#include <QString>

#include "image/Workspace.h"
#include "interaction/MainWindowLayout.h"

class QObject;
class QTableView;
class QWidget;

namespace orelith::gui {

// The widget of `entry` as a child of the client area, at its place, with its
// caption, font, range and initial state, its object name "ctl<id>" and an
// accessible name.
QWidget* createControl(const ControlSpec& entry, Workspace& ws, QWidget* client);

// The caption the table gives a control: its string, else its fixed text.
QString controlCaption(const ControlSpec& entry);

// The identifier a control's widget carries, kNoControl for any other object.
ControlId controlId(const QObject* widget);

// Grid lines, one whole row selected at a time, a header that does not sort,
// the column widths and compact rows.
void configureStarList(QTableView& view);

}  // namespace orelith::gui
