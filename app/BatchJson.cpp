#include "app/BatchJson.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace orelith::batch {
namespace {

// Writes JSON as a two-space indented dump of nlohmann::json does, without
// building a tree of maps first (a thousand stars made that the slowest part
// of a run). Keys must come in byte order, as such a tree would sort them.
class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  void beginObject() { open('{'); }
  void endObject() { close('}'); }
  void beginArray() { open('['); }
  void endArray() { close(']'); }
  void key(const char* name) {
    item();
    out_ += '"';
    out_ += name;
    out_ += "\": ";
    afterKey_ = true;
  }
  void value(long long v) {
    item();
    out_ += std::to_string(v);
  }
  void value(bool v) {
    item();
    out_ += v ? "true" : "false";
  }
  void value(double v) {
    item();
    if (!std::isfinite(v)) {
      out_ += "null";
      return;
    }
    char text[64];
    out_.append(text, nlohmann::detail::to_chars(text, text + sizeof text, v));
  }
  void value(const std::string& text) {
    item();
    out_ += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  }
  void ints(std::initializer_list<long long> values) {
    beginArray();
    for (long long v : values) value(v);
    endArray();
  }

 private:
  // Before a value or key: the comma and the line of the previous one.
  void item() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (depth_ == 0) return;
    if (!empty_) out_ += ',';
    newline();
    empty_ = false;
  }
  void open(char bracket) {
    item();
    out_ += bracket;
    ++depth_;
    empty_ = true;
  }
  void close(char bracket) {
    --depth_;
    if (!empty_) newline();
    out_ += bracket;
    empty_ = false;
  }
  void newline() {
    out_ += '\n';
    out_.append(static_cast<std::size_t>(2 * depth_), ' ');
  }

  std::string& out_;
  int depth_ = 0;
  bool empty_ = true;
  bool afterKey_ = false;
};

void writeStar(JsonWriter& w, const StarRecord& s, bool withPixels) {
  w.beginObject();
  w.key("B");
  w.value(static_cast<double>(s.magnitudeB));
  w.key("V");
  w.value(static_cast<double>(s.magnitudeV));
  w.key("brightness");
  w.value(static_cast<long long>(s.brightness));
  w.key("calibration");
  w.value(hasBit(s.marks, MARK_CALIBRATION));
  w.key("hot");
  w.value(hasBit(s.marks, MARK_HOT));
  w.key("ignore");
  w.value(hasBit(s.marks, MARK_IGNORE));
  w.key("large");
  w.value(hasBit(s.marks, MARK_LARGE));
  w.key("lg");
  w.value(static_cast<double>(s.lgBrightness));
  w.key("partner");
  w.value(static_cast<long long>(s.partner));
  if (withPixels) {
    w.key("pixel_list");
    w.beginArray();
    for (int p = 0; p < s.pixelCount; ++p) w.ints({s.pixels[p].x, s.pixels[p].y});
    w.endArray();
  }
  w.key("pixels");
  w.value(static_cast<long long>(s.pixelCount));
  w.key("x");
  w.value(static_cast<long long>(s.x));
  w.key("y");
  w.value(static_cast<long long>(s.y));
  w.endObject();
}

void writeImage(JsonWriter& w, const Workspace& ws, int image, const JsonInputs& in) {
  const SearchRect& r = ws.searchRect[image];
  w.beginObject();
  w.key("background");
  w.value(static_cast<long long>(ws.backgroundLevel[image]));
  w.key("file");
  w.value(in.files[image]);
  w.key("loaded");
  w.value(hasBit(ws.progressFlags, kLoadedBit[image]));
  w.key("search_rect");
  w.ints({r.left, r.top, r.right, r.bottom});
  w.key("searched");
  w.value(hasBit(ws.progressFlags, kSearchedBit[image]));
  w.key("stars");
  w.beginArray();
  for (int k = 0; k < ws.starCount[image]; ++k) writeStar(w, star(ws, image, k), in.withPixels);
  w.endArray();
  w.key("title");
  w.value(std::string(ws.fileTitle[image]));
  w.endObject();
}

}  // namespace

std::string workspaceJsonText(const Workspace& ws, const JsonInputs& in) {
  std::string out;
  out.reserve(4096 + 512 * static_cast<std::size_t>(ws.starCount[kBlue] + ws.starCount[kGreen]));
  JsonWriter w(out);
  w.beginObject();
  w.key("calibration_list");
  w.beginArray();
  for (int e = 0; e < ws.calibration.count; ++e)
    w.ints({ws.calibration.entries[e].blue, ws.calibration.entries[e].green});
  w.endArray();
  w.key("coefficients");
  w.value(static_cast<long long>(ws.algorithm.coefficientCount));
  w.key("compared");
  w.value(hasBit(ws.progressFlags, PRG_COMPARED));
  w.key("curves");
  w.beginArray();
  for (const auto& curve : ws.curves) {
    w.beginArray();
    for (double c : curve) w.value(c);
    w.endArray();
  }
  w.endArray();
  w.key("images");
  w.beginArray();
  for (int image : {kBlue, kGreen}) writeImage(w, ws, image, in);
  w.endArray();
  w.key("magnitudes");
  w.value(hasBit(ws.progressFlags, PRG_MAGNITUDES));
  w.key("messages");
  w.beginArray();
  for (int m : in.messages) w.value(static_cast<long long>(m));
  w.endArray();
  w.key("offset");
  w.ints({ws.offsetX, ws.offsetY});
  w.key("overlap");
  w.value(static_cast<long long>(ws.overlapCount));
  w.endObject();
  out += '\n';
  if (in.extend) {
    // The science keys join the tree; the dump keeps every key in byte order
    // and writes the values above exactly as they were.
    nlohmann::json state = nlohmann::json::parse(out);
    in.extend(state);
    out = state.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
  }
  return out;
}

}  // namespace orelith::batch
