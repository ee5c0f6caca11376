#include "report/CsvTable.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/AtomicFile.h"
#include "resources/NumberText.h"

namespace orelith {
namespace {

constexpr const char* kHeader =
    "blue,green,x_blue,y_blue,x_green,y_green,brightness_blue,brightness_green,pixels_blue,"
    "pixels_green,lg_blue,lg_green,B,V,BV,b_inst,b_inst_error,v_inst,v_inst_error,V_std,"
    "V_std_error,BV_std,BV_std_error,calibration,ignore,hot,large,saturated,edge,extrapolated,"
    "blended\n";

void number(std::string& out, double v) {
  if (std::isfinite(v)) out += fixedText(v, 4);
  out += ',';
}

void integer(std::string& out, long long v) {
  out += std::to_string(v);
  out += ',';
}

void blanks(std::string& out, int count) { out.append(static_cast<std::size_t>(count), ','); }

// Numbers, positions, brightness, pixels and lg of each side; -1 = absent.
void sides(std::string& out, const Workspace& ws, int blue, int green) {
  const int numbers[2] = {blue, green};
  for (int image : {kBlue, kGreen}) {
    if (numbers[image] >= 0)
      integer(out, numbers[image]);
    else
      blanks(out, 1);
  }
  for (int image : {kBlue, kGreen}) {
    if (numbers[image] < 0) {
      blanks(out, 2);
      continue;
    }
    integer(out, star(ws, image, numbers[image]).x);
    integer(out, star(ws, image, numbers[image]).y);
  }
  for (int image : {kBlue, kGreen})
    if (numbers[image] >= 0)
      integer(out, star(ws, image, numbers[image]).brightness);
    else
      blanks(out, 1);
  for (int image : {kBlue, kGreen})
    if (numbers[image] >= 0)
      integer(out, star(ws, image, numbers[image]).pixelCount);
    else
      blanks(out, 1);
  for (int image : {kBlue, kGreen}) {
    if (numbers[image] >= 0)
      number(out, star(ws, image, numbers[image]).lgBrightness);
    else
      blanks(out, 1);
  }
}

void magnitudes(std::string& out, const Workspace& ws, const ScienceResults& science, int blue,
                int green) {
  const StarRecord* b = blue >= 0 ? &star(ws, kBlue, blue) : nullptr;
  if (b && green >= 0 &&
      (hasBit(ws.progressFlags, PRG_MAGNITUDES) || (b->marks & MARK_CALIBRATION))) {
    number(out, b->magnitudeB);
    number(out, b->magnitudeV);
    number(out, static_cast<double>(b->magnitudeB) - b->magnitudeV);
  } else {
    blanks(out, 3);
  }
  const int numbers[2] = {blue, green};
  for (int image : {kBlue, kGreen}) {
    if (!science.apertures || numbers[image] < 0) {
      blanks(out, 2);
      continue;
    }
    const ApertureResult& a = science.apertures->of(image, numbers[image]);
    number(out, a.mag);
    number(out, a.magError);
  }
  if (science.transform && blue >= 0 && green >= 0) {
    const StandardMagnitudes& m = science.transform->standard[blue];
    for (double v : {m.V, m.VError, m.BV, m.BVError}) number(out, v);
  } else {
    blanks(out, 4);
  }
}

void flags(std::string& out, const Workspace& ws, const ScienceResults& science, int blue,
           int green) {
  std::uint32_t marks = 0, found = 0;
  if (blue >= 0) {
    marks |= star(ws, kBlue, blue).marks;
    found |= science.flags.of(kBlue, blue);
  }
  if (green >= 0) {
    marks |= star(ws, kGreen, green).marks;
    found |= science.flags.of(kGreen, green);
  }
  const bool bits[] = {hasBit(marks, MARK_CALIBRATION),  hasBit(marks, MARK_IGNORE),
                       hasBit(marks, MARK_HOT),          hasBit(marks, MARK_LARGE),
                       hasBit(found, FLAG_SATURATED),    hasBit(found, FLAG_EDGE),
                       hasBit(found, FLAG_EXTRAPOLATED), hasBit(found, FLAG_BLENDED)};
  for (bool bit : bits) out += bit ? "1," : "0,";
  out.back() = '\n';
}

// Frames with celestial coordinates add RA and Dec (degrees) of each row's
// star at its position: the blue star's where the blue frame has them.
bool hasSky(const Workspace& ws) {
  return ws.worldCoords[kBlue].valid() || ws.worldCoords[kGreen].valid();
}

void sky(std::string& out, const Workspace& ws, int blue, int green) {
  out.back() = ',';
  std::optional<SkyPosition> p;
  if (blue >= 0) p = skyPosition(ws, kBlue, star(ws, kBlue, blue).x, star(ws, kBlue, blue).y);
  if (!p && green >= 0)
    p = skyPosition(ws, kGreen, star(ws, kGreen, green).x, star(ws, kGreen, green).y);
  if (p)
    out += fixedText(p->ra, 6) + ',' + fixedText(p->dec, 6);
  else
    out += ',';
  out += '\n';
}

void row(std::string& out, const Workspace& ws, const ScienceResults& science, int blue,
         int green) {
  sides(out, ws, blue, green);
  magnitudes(out, ws, science, blue, green);
  flags(out, ws, science, blue, green);
  if (hasSky(ws)) sky(out, ws, blue, green);
}

}  // namespace

std::string csvTable(const Workspace& ws, const ScienceResults& science) {
  std::string out = kHeader;
  if (hasSky(ws)) out.replace(out.size() - 1, 1, ",ra,dec\n");
  const bool compared = hasBit(ws.progressFlags, PRG_COMPARED);
  std::vector<bool> pairedGreen(static_cast<std::size_t>(std::max(ws.starCount[kGreen], 0)));
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    const int p = compared ? star(ws, kBlue, k).partner : -1;
    if (p < 0 || p >= ws.starCount[kGreen]) continue;
    pairedGreen[p] = true;
    row(out, ws, science, k, p);
  }
  for (int k = 0; k < ws.starCount[kBlue]; ++k) {
    const int p = compared ? star(ws, kBlue, k).partner : -1;
    if (p < 0 || p >= ws.starCount[kGreen]) row(out, ws, science, k, -1);
  }
  for (int k = 0; k < ws.starCount[kGreen]; ++k)
    if (!pairedGreen[k]) row(out, ws, science, -1, k);
  return out;
}

bool writeCsv(const Workspace& ws, const ScienceResults& science, const std::string& path,
              StringId& failureMessage) {
  const std::string text = csvTable(ws, science);
  return writeFileAtomically(
      path, {reinterpret_cast<const unsigned char*>(text.data()), text.size()}, failureMessage);
}

}  // namespace orelith
