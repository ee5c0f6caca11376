#include "app/window/Application.h"

#include <clocale>

namespace orelith::gui {

void prepareApplication() { std::setlocale(LC_NUMERIC, "C"); }

}  // namespace orelith::gui
