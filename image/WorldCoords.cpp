#include "image/WorldCoords.h"

#include <wcslib/wcs.h>
#include <wcslib/wcsfix.h>
#include <wcslib/wcshdr.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace orelith {
namespace {

constexpr int kCardSize = 80;

bool isEquatorial(wcsprm& w) {
  // wcsfix mends common slips (a CD matrix without its diagonal, AIPS-style
  // projection names) before the check; nullptr skips its cylinder fix,
  // which needs the image size.
  int fixStatus[NWCSFIX];
  wcsfix(0, nullptr, &w, fixStatus);
  if (wcsset(&w) != 0 || w.lng < 0 || w.lat < 0) return false;
  return std::strcmp(w.lngtyp, "RA") == 0 && std::strcmp(w.lattyp, "DEC") == 0;
}

}  // namespace

void WorldCoords::Release::operator()(wcsprm* all) const {
  int n = count;
  wcsvfree(&n, &all);
}

WorldCoords::WorldCoords(const std::string& cards, int frameHeight) : frameHeight_(frameHeight) {
  // wcspih reads (and may rewrite) its own copy of the cards.
  std::vector<char> text(cards.begin(), cards.end());
  text.push_back('\0');
  int rejected = 0;
  int count = 0;
  wcsprm* all = nullptr;
  const int cardCount = static_cast<int>(cards.size() / kCardSize);
  if (wcspih(text.data(), cardCount, WCSHDR_all, 0, &rejected, &count, &all) != 0) return;
  all_ = std::unique_ptr<wcsprm, Release>(all, Release{count});
  for (int i = 0; i < count; ++i) {
    if (isEquatorial(all[i])) {
      wcs_ = &all[i];
      return;
    }
  }
}

std::optional<SkyPosition> WorldCoords::skyAt(double x, double y) const {
  if (wcs_ == nullptr) return std::nullopt;
  const auto n = static_cast<std::size_t>(wcs_->naxis);
  // Axes beyond the frame's two sit at their first pixel.
  std::vector<double> pixel(n, 1.0), image(n), world(n);
  pixel[0] = x + 1.0;
  if (n > 1) pixel[1] = frameHeight_ - y;
  double phi = 0.0;
  double theta = 0.0;
  int status = 0;
  if (wcsp2s(wcs_, 1, wcs_->naxis, pixel.data(), image.data(), &phi, &theta, world.data(),
             &status) != 0)
    return std::nullopt;
  const double ra = world[static_cast<std::size_t>(wcs_->lng)];
  const double dec = world[static_cast<std::size_t>(wcs_->lat)];
  if (!std::isfinite(ra) || !std::isfinite(dec)) return std::nullopt;
  return SkyPosition{std::fmod(ra + 360.0, 360.0), dec};
}

WcsSummary WorldCoords::summary() const {
  WcsSummary s{};
  if (wcs_ == nullptr) return s;
  const int n = wcs_->naxis;
  for (int i = 0; i < 2 && i < n; ++i) {
    s.ctype[i] = wcs_->ctype[i];
    s.crpix[i] = wcs_->crpix[i];
    s.crval[i] = wcs_->crval[i];
    // wcsset keeps CDELTi PCi_j (or CDi_j) as the pixel-to-image matrix.
    for (int j = 0; j < 2 && j < n; ++j) s.cd[i][j] = wcs_->lin.piximg[i * n + j];
  }
  s.radesys = wcs_->radesys;
  return s;
}

}  // namespace orelith
