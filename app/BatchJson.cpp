#include "app/BatchJson.h"

namespace orelith::batch {
namespace {

using nlohmann::json;

json starJson(const Workspace& ws, int image, int k, bool withPixels) {
  const StarRecord& s = star(ws, image, k);
  // Floats are widened to double, which prints the shortest text that reads
  // back to the same double and so to the same float.
  json j = {{"x", s.x},
            {"y", s.y},
            {"brightness", s.brightness},
            {"pixels", s.pixelCount},
            {"lg", static_cast<double>(s.lgBrightness)},
            {"hot", hasBit(s.marks, MARK_HOT)},
            {"large", hasBit(s.marks, MARK_LARGE)},
            {"partner", s.partner},
            {"calibration", hasBit(s.marks, MARK_CALIBRATION)},
            {"ignore", hasBit(s.marks, MARK_IGNORE)},
            {"B", static_cast<double>(s.magnitudeB)},
            {"V", static_cast<double>(s.magnitudeV)}};
  if (withPixels) {
    json list = json::array();
    for (int p = 0; p < s.pixelCount; ++p) list.push_back({s.pixels[p].x, s.pixels[p].y});
    j["pixel_list"] = std::move(list);
  }
  return j;
}

json imageJson(const Workspace& ws, int image, const JsonInputs& in) {
  const SearchRect& r = ws.searchRect[image];
  json stars = json::array();
  for (int k = 0; k < ws.starCount[image]; ++k)
    stars.push_back(starJson(ws, image, k, in.withPixels));
  return {{"loaded", hasBit(ws.progressFlags, kLoadedBit[image])},
          {"file", in.files[image]},
          {"title", std::string(ws.fileTitle[image])},
          {"background", ws.backgroundLevel[image]},
          {"search_rect", {r.left, r.top, r.right, r.bottom}},
          {"searched", hasBit(ws.progressFlags, kSearchedBit[image])},
          {"stars", std::move(stars)}};
}

json curvesJson(const Workspace& ws) {
  json curves = json::array();
  for (const auto& curve : ws.curves)
    curves.push_back(std::vector<double>(curve, curve + kMaxCoefficients));
  return curves;
}

}  // namespace

json workspaceJson(const Workspace& ws, const JsonInputs& in) {
  json calibration = json::array();
  for (int e = 0; e < ws.calibration.count; ++e)
    calibration.push_back({ws.calibration.entries[e].blue, ws.calibration.entries[e].green});
  return {{"images", {imageJson(ws, kBlue, in), imageJson(ws, kGreen, in)}},
          {"messages", in.messages},
          {"offset", {ws.offsetX, ws.offsetY}},
          {"overlap", ws.overlapCount},
          {"compared", hasBit(ws.progressFlags, PRG_COMPARED)},
          {"coefficients", ws.algorithm.coefficientCount},
          {"curves", curvesJson(ws)},
          {"calibration_list", std::move(calibration)},
          {"magnitudes", hasBit(ws.progressFlags, PRG_MAGNITUDES)}};
}

std::string workspaceJsonText(const Workspace& ws, const JsonInputs& in) {
  return workspaceJson(ws, in).dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace orelith::batch
