// The entry point of the plotting module: the cairo drawing of the plotted
// diagram lives in a module of its own, loaded only by a run that plots, so
// that no other run pays for loading cairo and the font and X libraries under
// it. C linkage: the program finds the entry by name.
#pragma once

#include <cstddef>

#include "report/CmdPlot.h"

extern "C" {

// Takes the file's bytes as they are made; 0 to go on, anything else stops
// the drawing as failed.
typedef int (*OrelithPlotSink)(void* closure, const unsigned char* data, unsigned int length);

// Draws the diagram of `count` points under `title` as SVG (svg != 0) or PNG
// and hands the file's bytes to `sink`. 0 when the whole file was made.
int orelith_plot_cmd(const orelith::CmdPlotPoint* points, std::size_t count, const char* title,
                     int svg, OrelithPlotSink sink, void* closure);
}

namespace orelith {
inline constexpr char kPlotEntryName[] = "orelith_plot_cmd";
}  // namespace orelith
