// The small font of the buttons' and check boxes' captions and of the
// dialogs, in the place of the system's "MS Sans Serif" 8 the layout was
// drawn for: a narrow face, so that every caption shows whole in the room its
// control has ("Display calibrate curve" beside its check mark in 126
// pixels). fonts-liberation provides the first.
#pragma once

#include <QFont>

namespace orelith::gui {

inline QFont captionFont(QFont font) {
  font.setFamilies(
      {"Liberation Sans Narrow", "Arial Narrow", "Nimbus Sans Narrow", "DejaVu Sans Condensed"});
  font.setPixelSize(12);
  return font;
}

}  // namespace orelith::gui
