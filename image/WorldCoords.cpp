#include "image/WorldCoords.h"

#include <wcslib/wcs.h>
#include <wcslib/wcsfix.h>
#include <wcslib/wcshdr.h>

#include <cmath>
#include <cstdio>
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
      cards_ = cards;
      return;
    }
  }
}

WorldCoords::WorldCoords(const WorldCoords& other) {
  if (other.valid()) *this = WorldCoords(other.cards_, other.frameHeight_);
}

WorldCoords& WorldCoords::operator=(const WorldCoords& other) {
  if (this != &other) *this = WorldCoords(other);
  return *this;
}

WorldCoords::WorldCoords(WorldCoords&& other) noexcept
    : all_(std::move(other.all_)),
      wcs_(std::exchange(other.wcs_, nullptr)),
      frameHeight_(other.frameHeight_),
      cards_(std::move(other.cards_)) {}

WorldCoords& WorldCoords::operator=(WorldCoords&& other) noexcept {
  all_ = std::move(other.all_);
  wcs_ = std::exchange(other.wcs_, nullptr);
  frameHeight_ = other.frameHeight_;
  cards_ = std::move(other.cards_);
  return *this;
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

std::string skyText(const SkyPosition& p) {
  // Rounded once in the smallest unit shown, so that 59.999 s carries.
  constexpr long long kDayCs = 24LL * 3600 * 100;
  const long long cs = (std::llround(p.ra / 15.0 * 360000.0) % kDayCs + kDayCs) % kDayCs;
  const long long tenths = std::llround(std::abs(p.dec) * 36000.0);
  char text[64];
  std::snprintf(text, sizeof text, "RA %02lld:%02lld:%02lld.%02lld Dec %c%02lld:%02lld:%02lld.%lld",
                cs / 360000, cs / 6000 % 60, cs / 100 % 60, cs % 100, p.dec < 0 ? '-' : '+',
                tenths / 36000, tenths / 600 % 60, tenths / 10 % 60, tenths % 10);
  return text;
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
