// Right ascension and declination of frame pixels, from the celestial world
// coordinate system of a FITS header (through wcslib).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

struct wcsprm;

namespace orelith {

struct SkyPosition {
  double ra;   // degrees, 0..360
  double dec;  // degrees
};

// The header's description of the mapping, as FITS states it (pixels
// 1-based, row 1 at the bottom of the frame).
struct WcsSummary {
  std::string ctype[2];  // e.g. "RA---TAN", "DEC--TAN"
  double crpix[2];
  double crval[2];      // degrees
  double cd[2][2];      // degrees a pixel: CDi_j, or CDELTi times PCi_j
  std::string radesys;  // e.g. "ICRS", "FK5"; empty when not given
};

class WorldCoords {
 public:
  WorldCoords() = default;
  // The first of the header's coordinate systems (the primary first) whose
  // axes are RA and Dec; none when the header has no such system or wcslib
  // cannot set it up. `cards` are 80-character cards; `frameHeight` turns
  // FITS rows into frame rows.
  WorldCoords(const std::string& cards, int frameHeight);
  // A copy sets the system up again from the same cards.
  WorldCoords(const WorldCoords& other);
  WorldCoords& operator=(const WorldCoords& other);
  WorldCoords(WorldCoords&& other) noexcept;
  WorldCoords& operator=(WorldCoords&& other) noexcept;
  ~WorldCoords() = default;

  bool valid() const { return wcs_ != nullptr; }
  // RA and Dec of frame pixel (x, y), row 0 at the top; none without a
  // system or where the projection has no sky.
  std::optional<SkyPosition> skyAt(double x, double y) const;
  WcsSummary summary() const;

 private:
  struct Release {
    int count;  // systems in the array
    void operator()(wcsprm* all) const;
  };
  std::unique_ptr<wcsprm, Release> all_;
  wcsprm* wcs_ = nullptr;  // the chosen system, one of all_
  int frameHeight_ = 0;
  std::string cards_;  // kept while valid, for copies
};

// "RA 10:00:00.00 Dec +02:00:00.0": hours of right ascension to a
// hundredth of a second, degrees of declination to a tenth of an arcsecond.
std::string skyText(const SkyPosition& p);

}  // namespace orelith
