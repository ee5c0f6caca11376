#include "app/BatchJson.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>

namespace orelith::batch {

void JsonWriter::beginObject() { open('{'); }
void JsonWriter::endObject() { close('}'); }
void JsonWriter::beginArray() { open('['); }
void JsonWriter::endArray() { close(']'); }

void JsonWriter::key(const char* name) {
  item();
  Container& object = open_.back();
  if (members_.size() > object.firstMember && std::strcmp(members_.back().key, name) > 0)
    object.sorted = false;
  members_.push_back({name, out_.size()});
  out_ += '"';
  out_ += name;
  out_ += "\": ";
  afterKey_ = true;
}

void JsonWriter::value(long long v) {
  item();
  char text[24];
  out_.append(text, std::to_chars(text, text + sizeof text, v).ptr);
}

void JsonWriter::value(bool v) {
  item();
  out_ += v ? "true" : "false";
}

void JsonWriter::value(double v) {
  item();
  if (!std::isfinite(v)) {
    out_ += "null";
    return;
  }
  char text[64];
  out_.append(text, nlohmann::detail::to_chars(text, text + sizeof text, v));
}

void JsonWriter::value(std::string_view text) {
  item();
  out_ += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void JsonWriter::ints(std::initializer_list<long long> values) {
  beginArray();
  for (long long v : values) value(v);
  endArray();
}

// Before a value or key: the comma and the line of the previous one.
void JsonWriter::item() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (open_.empty()) return;
  if (!empty_) out_ += ',';
  newline();
  empty_ = false;
}

void JsonWriter::open(char bracket) {
  item();
  out_ += bracket;
  open_.push_back({members_.size(), true});
  empty_ = true;
}

void JsonWriter::close(char bracket) {
  const Container c = open_.back();
  if (!c.sorted) sortMembers(c.firstMember);
  members_.resize(c.firstMember);
  open_.pop_back();
  if (!empty_) newline();
  out_ += bracket;
  empty_ = false;
}

void JsonWriter::newline() {
  out_ += '\n';
  out_.append(2 * open_.size(), ' ');
}

// An insertion sort of the member texts in place. With the separator that
// precedes a member appended after the last one, every member is followed by
// the same separator and may move as one piece with it; most objects need
// only their few late keys moved forward.
void JsonWriter::sortMembers(std::size_t first) {
  const std::size_t separator = 2 + 2 * open_.size();
  out_ += ',';
  newline();
  const std::size_t n = members_.size();
  for (std::size_t i = first + 1; i < n; ++i) {
    const Member late = members_[i];
    std::size_t j = i;
    while (j > first && std::strcmp(members_[j - 1].key, late.key) > 0) --j;
    if (j == i) continue;
    const std::size_t end = i + 1 < n ? members_[i + 1].start : out_.size();
    const std::size_t to = members_[j].start;
    moveBefore(to, late.start, end);
    for (std::size_t k = i; k > j; --k) {
      members_[k] = members_[k - 1];
      members_[k].start += end - late.start;
    }
    members_[j] = {late.key, to};
  }
  out_.resize(out_.size() - separator);
}

// Moves the text [from, end) to `to`, the text [to, from) after it; only the
// shorter part passes through the spare buffer.
void JsonWriter::moveBefore(std::size_t to, std::size_t from, std::size_t end) {
  char* text = out_.data();
  const std::size_t before = from - to;
  const std::size_t moved = end - from;
  if (moved <= before) {
    spare_.assign(text + from, moved);
    std::memmove(text + to + moved, text + to, before);
    std::memcpy(text + to, spare_.data(), moved);
  } else {
    spare_.assign(text + to, before);
    std::memmove(text + to, text + from, moved);
    std::memcpy(text + to + moved, spare_.data(), before);
  }
}

namespace {

void writeStar(JsonWriter& w, const Workspace& ws, int image, int k, const JsonInputs& in) {
  const StarRecord& s = star(ws, image, k);
  w.beginObject();
  w.member("B", static_cast<double>(s.magnitudeB));
  w.member("V", static_cast<double>(s.magnitudeV));
  w.member("brightness", static_cast<long long>(s.brightness));
  w.member("calibration", hasBit(s.marks, MARK_CALIBRATION));
  w.member("hot", hasBit(s.marks, MARK_HOT));
  w.member("ignore", hasBit(s.marks, MARK_IGNORE));
  w.member("large", hasBit(s.marks, MARK_LARGE));
  w.member("lg", static_cast<double>(s.lgBrightness));
  w.member("partner", static_cast<long long>(s.partner));
  if (in.withPixels) {
    w.key("pixel_list");
    w.beginArray();
    for (int p = 0; p < s.pixelCount; ++p) w.ints({s.pixels[p].x, s.pixels[p].y});
    w.endArray();
  }
  w.member("pixels", static_cast<long long>(s.pixelCount));
  w.member("x", static_cast<long long>(s.x));
  w.member("y", static_cast<long long>(s.y));
  if (in.starKeys) in.starKeys(w, image, k);
  w.endObject();
}

void writeImage(JsonWriter& w, const Workspace& ws, int image, const JsonInputs& in) {
  const SearchRect& r = ws.searchRect[image];
  w.beginObject();
  w.member("background", static_cast<long long>(ws.backgroundLevel[image]));
  w.member("file", std::string_view(in.files[image]));
  w.member("loaded", hasBit(ws.progressFlags, kLoadedBit[image]));
  w.key("search_rect");
  w.ints({r.left, r.top, r.right, r.bottom});
  w.member("searched", hasBit(ws.progressFlags, kSearchedBit[image]));
  w.key("stars");
  w.beginArray();
  for (int k = 0; k < ws.starCount[image]; ++k) writeStar(w, ws, image, k, in);
  w.endArray();
  w.member("title", std::string_view(ws.fileTitle[image]));
  w.endObject();
}

// Enough for every key of the stars and the science, so that the text is
// never copied on growing; pages reserved but not written cost no memory.
std::size_t expectedSize(const Workspace& ws, const JsonInputs& in) {
  std::size_t size = 8192 + 1024 * static_cast<std::size_t>(ws.calibration.count);
  for (int image : {kBlue, kGreen}) {
    for (int k = 0; k < ws.starCount[image]; ++k)
      size +=
          1024 + (in.withPixels ? 80 * static_cast<std::size_t>(star(ws, image, k).pixelCount) : 0);
  }
  return size;
}

}  // namespace

std::string workspaceJsonText(const Workspace& ws, const JsonInputs& in) {
  std::string out;
  out.reserve(expectedSize(ws, in));
  JsonWriter w(out);
  w.beginObject();
  w.key("calibration_list");
  w.beginArray();
  for (int e = 0; e < ws.calibration.count; ++e)
    w.ints({ws.calibration.entries[e].blue, ws.calibration.entries[e].green});
  w.endArray();
  w.member("coefficients", static_cast<long long>(ws.algorithm.coefficientCount));
  w.member("compared", hasBit(ws.progressFlags, PRG_COMPARED));
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
  w.member("magnitudes", hasBit(ws.progressFlags, PRG_MAGNITUDES));
  w.key("messages");
  w.beginArray();
  for (int m : in.messages) w.value(static_cast<long long>(m));
  w.endArray();
  w.key("offset");
  w.ints({ws.offsetX, ws.offsetY});
  w.member("overlap", static_cast<long long>(ws.overlapCount));
  if (in.topKeys) in.topKeys(w);
  w.endObject();
  out += '\n';
  return out;
}

}  // namespace orelith::batch
