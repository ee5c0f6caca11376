// The plotted colour-magnitude diagram drawn with cairo, and its geometry.
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "report/CmdPlot.h"
#include "resources/NumberText.h"

namespace orelith {
namespace {

constexpr double kMarker = 3.0;

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
  try {
    bytes->insert(bytes->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    return CAIRO_STATUS_WRITE_ERROR;  // no exception may cross cairo's C frames
  }
  return CAIRO_STATUS_SUCCESS;
}

void text(cairo_t* cr, const char* s, double x, double y, double alignX) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, s, &e);
  cairo_move_to(cr, x - alignX * e.width - e.x_bearing, y);
  cairo_show_text(cr, s);
}

void drawAxes(cairo_t* cr, const CmdPlotFrame& f, const char* title) {
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1.0);
  cairo_rectangle(cr, kPlotLeft, kPlotTop, kPlotWidth - kPlotLeft - kPlotRight,
                  kPlotHeight - kPlotTop - kPlotBottom);
  cairo_stroke(cr);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 12);
  const double bvStep = cmdTickStep(f.bvHigh - f.bvLow);
  for (double t = std::ceil(f.bvLow / bvStep) * bvStep; t <= f.bvHigh; t += bvStep) {
    double px, py;
    cmdPlotPosition(f, t, f.vHigh, px, py);
    cairo_move_to(cr, px, py);
    cairo_line_to(cr, px, py - 6);
    cairo_stroke(cr);
    text(cr, fixedText(std::abs(t) < 1e-9 ? 0.0 : t, 2).c_str(), px, py + 16, 0.5);
  }
  const double vStep = cmdTickStep(f.vHigh - f.vLow);
  for (double t = std::ceil(f.vLow / vStep) * vStep; t <= f.vHigh; t += vStep) {
    double px, py;
    cmdPlotPosition(f, f.bvLow, t, px, py);
    cairo_move_to(cr, px, py);
    cairo_line_to(cr, px + 6, py);
    cairo_stroke(cr);
    text(cr, fixedText(t, 1).c_str(), px - 6, py + 4, 1.0);
  }
  text(cr, "B-V", kPlotLeft + (kPlotWidth - kPlotLeft - kPlotRight) / 2, kPlotHeight - 20, 0.5);
  text(cr, "V", 20, kPlotTop + (kPlotHeight - kPlotTop - kPlotBottom) / 2, 0.5);
  cairo_set_font_size(cr, 14);
  text(cr, title, kPlotWidth / 2.0, 24, 0.5);
}

void drawPoint(cairo_t* cr, const CmdPlotFrame& f, const CmdPlotPoint& p) {
  double px, py;
  cmdPlotPosition(f, p.bv, p.v, px, py);
  cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
  if (std::isfinite(p.bvError) && p.bvError > 0) {
    double x0, x1, y;
    cmdPlotPosition(f, p.bv - p.bvError, p.v, x0, y);
    cmdPlotPosition(f, p.bv + p.bvError, p.v, x1, y);
    cairo_move_to(cr, x0, py);
    cairo_line_to(cr, x1, py);
  }
  if (std::isfinite(p.vError) && p.vError > 0) {
    double x, y0, y1;
    cmdPlotPosition(f, p.bv, p.v - p.vError, x, y0);
    cmdPlotPosition(f, p.bv, p.v + p.vError, x, y1);
    cairo_move_to(cr, px, y0);
    cairo_line_to(cr, px, y1);
  }
  cairo_stroke(cr);
  if (p.calibration) {
    cairo_set_source_rgb(cr, 0.8, 0, 0);
    cairo_rectangle(cr, px - kMarker - 1, py - kMarker - 1, 2 * kMarker + 2, 2 * kMarker + 2);
  } else {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_new_sub_path(cr);
    cairo_arc(cr, px, py, kMarker, 0, 2 * M_PI);
  }
  if (p.flagged) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, p.calibration ? 0.8 : 0, 0, 0);
    cairo_stroke(cr);
  } else {
    cairo_fill(cr);
  }
}

void draw(cairo_t* cr, std::span<const CmdPlotPoint> points, const std::string& title) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  const CmdPlotFrame f = cmdPlotFrame(points);
  drawAxes(cr, f, title.c_str());
  cairo_save(cr);
  cairo_rectangle(cr, kPlotLeft, kPlotTop, kPlotWidth - kPlotLeft - kPlotRight,
                  kPlotHeight - kPlotTop - kPlotBottom);
  cairo_clip(cr);
  for (const CmdPlotPoint& p : points) drawPoint(cr, f, p);
  cairo_restore(cr);
}

}  // namespace

double cmdTickStep(double span) {
  const double raw = span / 6.0, power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (m * power >= raw) return m * power;
  return 10.0 * power;
}

CmdPlotFrame cmdPlotFrame(std::span<const CmdPlotPoint> points) {
  CmdPlotFrame f{INFINITY, -INFINITY, INFINITY, -INFINITY};
  for (const CmdPlotPoint& p : points) {
    f.bvLow = std::min(f.bvLow, p.bv);
    f.bvHigh = std::max(f.bvHigh, p.bv);
    f.vLow = std::min(f.vLow, p.v);
    f.vHigh = std::max(f.vHigh, p.v);
  }
  if (points.empty()) f = {0.0, 1.0, 10.0, 15.0};
  // Room around the extremes, and never a zero span.
  f.bvLow -= 0.1;
  f.bvHigh += 0.1;
  f.vLow -= 0.3;
  f.vHigh += 0.3;
  return f;
}

void cmdPlotPosition(const CmdPlotFrame& f, double bv, double v, double& px, double& py) {
  px = kPlotLeft + (bv - f.bvLow) / (f.bvHigh - f.bvLow) * (kPlotWidth - kPlotLeft - kPlotRight);
  py = kPlotTop + (v - f.vLow) / (f.vHigh - f.vLow) * (kPlotHeight - kPlotTop - kPlotBottom);
}

bool drawCmdPlot(std::span<const CmdPlotPoint> points, const std::string& title, bool svg,
                 std::vector<unsigned char>& bytes) {
  cairo_surface_t* surface =
      svg ? cairo_svg_surface_create_for_stream(appendBytes, &bytes, kPlotWidth, kPlotHeight)
          : cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPlotWidth, kPlotHeight);
  cairo_t* cr = cairo_create(surface);
  draw(cr, points, title);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  bool written = true;
  if (!svg)
    written =
        cairo_surface_write_to_png_stream(surface, appendBytes, &bytes) == CAIRO_STATUS_SUCCESS;
  cairo_surface_finish(surface);
  const bool drawn = written && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return drawn;
}

}  // namespace orelith
