#include "photometry/Psf.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "photometry/LeastSquares.h"

namespace orelith {
namespace {

constexpr int kShapeParams = 4;  // ln q11, ln q22, atanh rho, ln (beta - 1)
constexpr int kStarParams = 3;   // flux, x, y
constexpr int kMaxStarFitParams = 1 + 2 * kStarParams;  // a sky offset and two stars
// Fit acceptance: pixels beyond the parameters, residuals near the noise
// (a profile that is not quite a Moffat leaves some), flux known to 20 %.
constexpr int kSparePixels = 10;
constexpr double kMaxReducedChi2 = 8.0;
constexpr double kMaxUnexplained = 0.05;
constexpr double kMaxFluxError = 0.2;
// A second star: the chi-square drop, as a floor and as a share of what the
// single fit leaves above the noise, its distance in FWHM, its flux share and
// significance.
constexpr double kPairChi2 = 25.0;
constexpr double kPairExcessShare = 0.2;
constexpr double kPairDistance = 0.5;
constexpr double kPairFluxShare = 0.05;
constexpr double kPairSigmas = 5.0;
// A fit takes at most 200 steps; a pair fit 50. A pair that has not settled
// by then is two stars sharing one place's light, or one of negative light,
// creeping along a valley of nearly equal fits: never a star and its
// companion, which settle in a few steps.
constexpr int kMaxFitSteps = 200;
constexpr int kMaxPairSteps = 50;
// Stars of a Gaussian profile drive beta towards infinity, where the shape
// fit never settles. No star seen through the air has a beta beyond 50 (it
// is near 4 to 5), so a fit that passes it is running off: it gives up and
// fits the shape again with beta held at 200, where a Moffat profile is the
// Gaussian of its width to within a tenth of a per cent of its peak.
constexpr double kRunawayBeta = 50.0;
constexpr double kMaxBeta = 200.0;
// Pixels within the FWHM of a star are the mean of 3 x 3 samples.
constexpr int kSubSamples = 3;
// The profile's table: nodes at most a 48th of the FWHM apart, out to 3
// FWHM (the widest stamp) and a margin for the star's place in it.
constexpr double kTableSteps = 48.0;
constexpr double kTableReach = 3.0;
constexpr double kTableMargin = 4.0;

// The profile and its derivatives by dx, dy and the four shape parameters.
struct Terms {
  double m = 0, dx = 0, dy = 0;
  double shape[kShapeParams] = {};

  void add(const Terms& t) {
    m += t.m;
    dx += t.dx;
    dy += t.dy;
    for (int k = 0; k < kShapeParams; ++k) shape[k] += t.shape[k];
  }
  void scale(double f) {
    m *= f;
    dx *= f;
    dy *= f;
    for (double& v : shape) v *= f;
  }
};

// The profile's constants, worked out once per shape rather than once per
// sample (the fits evaluate the profile a few thousand times a star).
struct Moffat {
  PsfShape s;
  double root, q12, norm;

  explicit Moffat(const PsfShape& shape)
      : s(shape),
        root(std::sqrt(s.q11 * s.q22)),
        q12(s.rho * root),
        norm((s.beta - 1.0) * root * std::sqrt(1.0 - s.rho * s.rho) / std::numbers::pi) {}
};

// The profile at (dx, dy) and its derivatives, times 1 + its curvature
// term over `share` (below).
Terms sampleTerms(const Moffat& p, double dx, double dy, bool withShape, double share) {
  const PsfShape& s = p.s;
  const double q12 = p.q12, root = p.root;
  const double base = 1.0 + s.q11 * dx * dx + 2.0 * q12 * dx * dy + s.q22 * dy * dy;
  const double ax = s.q11 * dx + q12 * dy, ay = q12 * dx + s.q22 * dy;
  Terms t;
  t.m = p.norm * std::pow(base, -s.beta);
  const double g = -s.beta * t.m / base;
  t.dx = g * 2.0 * ax;
  t.dy = g * 2.0 * ay;
  if (withShape) {
    t.shape[0] = 0.5 * t.m + g * (s.q11 * dx * dx + q12 * dx * dy);
    t.shape[1] = 0.5 * t.m + g * (s.q22 * dy * dy + q12 * dx * dy);
    t.shape[2] = -s.rho * t.m + g * 2.0 * dx * dy * root * (1.0 - s.rho * s.rho);
    t.shape[3] = t.m * (1.0 - (s.beta - 1.0) * std::log(base));
  }
  // Pixels whose centre lies within `inner` of the star (its FWHM) are
  // sampled finely; farther out the profile is nearly linear across a pixel.
  // The mean over a pixel of a smooth profile is its centre value plus a
  // 24th of its Laplacian: 1 + this of the centre value. Without it the
  // single samples beyond the fine ones would miss half a per cent of the
  // light.
  const double gx = 2.0 * ax, gy = 2.0 * ay, b = s.beta;
  const double curvature =
      (b * (b + 1.0) * (gx * gx + gy * gy) / (base * base) - 2.0 * b * (s.q11 + s.q22) / base) /
      24.0;
  t.scale(1.0 + curvature / share);
  return t;
}

Terms pixelTerms(const Moffat& p, double dx, double dy, int sub, double inner, bool withShape) {
  if (sub <= 1 || dx * dx + dy * dy > inner * inner) return sampleTerms(p, dx, dy, withShape, 1.0);
  // The same rule on each of sub x sub parts, a sub^2-th of the area.
  Terms sum;
  for (int i = 0; i < sub; ++i)
    for (int j = 0; j < sub; ++j) {
      const double x = dx + (i + 0.5) / sub - 0.5, y = dy + (j + 0.5) / sub - 0.5;
      sum.add(sampleTerms(p, x, y, withShape, sub * sub));
    }
  sum.scale(1.0 / (sub * sub));
  return sum;
}

}  // namespace

// The pixel means of a held shape and their slopes by x and y on a square
// grid about the star, one for pixels sampled finely (within the FWHM) and
// one for the rest, each interpolated between its four nearest nodes. Every
// pixel beyond the grids is worked out.
struct PsfProfile::Table {
  // A float's seven digits are far finer than the table's thousandth of the
  // peak, and half the size of doubles keeps more of the table near the
  // processor during a crowded frame's fits.
  struct Node {
    float m, dx, dy;
  };
  // Nodes at whole-pixel offsets k in [-reach, reach] plus a phase p/n of a
  // pixel, p in 0..n (phase n is the next pixel's phase 0, so that a cell
  // never wraps). A star's pixels share its phase, so the nodes of a row of
  // its pixels lie side by side, each phase pair's offsets in a plane of
  // their own: a fit reads its nodes in order, not across the table.
  struct Grid {
    int reach = 0;
    int side = 0;  // offsets a row of a plane
    std::vector<Node> nodes;

    std::size_t index(int px, int py, int kx, int ky, int n) const {
      const auto plane = static_cast<std::size_t>(py * (n + 1) + px);
      return (plane * side + static_cast<std::size_t>(ky + reach)) * side +
             static_cast<std::size_t>(kx + reach);
    }
  };
  Moffat moffat;
  double inner;
  int n;  // phases a pixel
  Grid fine, coarse;

  Table(const PsfShape& shape, double reach)
      : moffat(shape),
        inner(shape.fwhm()),
        n(std::max(1, static_cast<int>(std::ceil(kTableSteps / inner)))) {
    // Each grid holds one rule, the fine one only within the FWHM and the
    // nodes of its cells, so that no cell mixes the two.
    fill(fine, static_cast<int>(std::ceil(inner)) + 1, kSubSamples, inner + 2.0 / n);
    fill(coarse, static_cast<int>(std::ceil(reach)), 1, INFINITY);
  }

  void fill(Grid& g, int reach, int sub, double within) {
    g.reach = reach;
    g.side = 2 * reach + 1;
    g.nodes.resize(static_cast<std::size_t>((n + 1) * (n + 1)) * g.side * g.side);
    std::vector<bool> done(g.nodes.size(), false);
    for (int py = 0; py <= n; ++py)
      for (int px = 0; px <= n; ++px)
        for (int ky = -reach; ky <= reach; ++ky)
          for (int kx = -reach; kx <= reach; ++kx) {
            const std::size_t at = g.index(px, py, kx, ky, n);
            const double dx = kx + static_cast<double>(px) / n,
                         dy = ky + static_cast<double>(py) / n;
            if (done[at] || dx * dx + dy * dy > within * within) continue;
            const Terms t = pixelTerms(moffat, dx, dy, sub, INFINITY, false);
            g.nodes[at] = {static_cast<float>(t.m), static_cast<float>(t.dx),
                           static_cast<float>(t.dy)};
            // The profile is the same at (-dx, -dy) and its slopes turn;
            // that node, phase (n - px, n - py) at (-kx - 1, -ky - 1), is
            // taken from here where it lies on the grid. The mean of 3 x 3
            // samples is not quite symmetric in its rounding: the fine
            // grid works out each node.
            const int mx = -kx - 1, my = -ky - 1;
            if (sub > 1 || mx < -reach || my < -reach) continue;
            const std::size_t mirror = g.index(n - px, n - py, mx, my, n);
            g.nodes[mirror] = {g.nodes[at].m, -g.nodes[at].dx, -g.nodes[at].dy};
            done[mirror] = true;
          }
  }

  // A grid's nodes about a star at (x, y): pixel (column, row) reads the
  // nodes at (column + kx, row + ky) of the four planes of the star's phase.
  struct Placed {
    const Grid* grid;
    const Node* plane[4];  // phases (p, q), (p + 1, q), (p, q + 1), (p + 1, q + 1)
    double a, b;           // weights of the second phase in x and y
    int kx, ky;
  };
  using Star = Placed[2];  // the fine grid's and the coarse one's

  static int floorDiv(int v, int d) { return v >= 0 ? v / d : -((-v + d - 1) / d); }

  Placed place(const Grid& g, double x, double y) const {
    const double u = std::floor(-x * n), v = std::floor(-y * n);
    Placed p{&g, {}, -x * n - u, -y * n - v, 0, 0};
    const int qu = static_cast<int>(u), qv = static_cast<int>(v);
    p.kx = floorDiv(qu, n);
    p.ky = floorDiv(qv, n);
    const int px = qu - p.kx * n, py = qv - p.ky * n;
    for (int k = 0; k < 4; ++k)
      p.plane[k] = &g.nodes[g.index(px + k % 2, py + k / 2, -g.reach, -g.reach, n)];
    return p;
  }

  void place(double x, double y, Star& star) const {
    star[0] = place(fine, x, y);
    star[1] = place(coarse, x, y);
  }

  // The terms at pixel (column, row), (dx, dy) from the star.
  Terms at(const Star& star, int column, int row, double dx, double dy) const {
    const Placed& p = star[dx * dx + dy * dy <= inner * inner ? 0 : 1];
    const int reach = p.grid->reach;
    const int kx = column + p.kx, ky = row + p.ky;
    if (kx < -reach || ky < -reach || kx > reach || ky > reach)
      return pixelTerms(moffat, dx, dy, kSubSamples, inner, false);
    const auto at = static_cast<std::size_t>((ky + reach) * p.grid->side + kx + reach);
    const Node &n00 = p.plane[0][at], &n10 = p.plane[1][at], &n01 = p.plane[2][at],
               &n11 = p.plane[3][at];
    const double a = p.a, b = p.b;
    const auto mix = [&](float Node::*field) {
      return (1 - b) * ((1 - a) * double{n00.*field} + a * double{n10.*field}) +
             b * ((1 - a) * double{n01.*field} + a * double{n11.*field});
    };
    Terms t;
    t.m = mix(&Node::m);
    t.dx = mix(&Node::dx);
    t.dy = mix(&Node::dy);
    return t;
  }

  Terms at(double dx, double dy) const {
    Star star;
    place(-dx, -dy, star);
    return at(star, 0, 0, dx, dy);
  }
};

PsfProfile::PsfProfile(const PsfShape& shape) : shape_(shape) {}

PsfProfile PsfProfile::tabulated(const PsfShape& shape) {
  PsfProfile p(shape);
  p.table_ = std::make_shared<const Table>(shape, kTableReach * shape.fwhm() + kTableMargin);
  return p;
}

double PsfProfile::pixel(double dx, double dy) const {
  return table_ != nullptr ? table_->at(dx, dy).m : psfPixel(shape_, dx, dy);
}

namespace {

// The shape's first `shaped` parameters from p (4: all; 3: beta held).
PsfShape shapeFrom(const double* p, int shaped = kShapeParams, double heldBeta = 0) {
  PsfShape s;
  s.q11 = std::exp(p[0]);
  s.q22 = std::exp(p[1]);
  s.rho = std::tanh(p[2]);
  s.beta = shaped == kShapeParams ? 1.0 + std::exp(p[3]) : heldBeta;
  return s;
}

void shapeTo(const PsfShape& s, double* p, int shaped = kShapeParams) {
  p[0] = std::log(s.q11);
  p[1] = std::log(s.q22);
  p[2] = std::atanh(s.rho);
  if (shaped == kShapeParams) p[3] = std::log(s.beta - 1.0);
}

// Residuals (value - sky - offset - model) / sigma over the stamps' pixels
// and their Jacobian. Stamp k has its block of parameters after the shape's
// (when fitted): its sky offset, then flux, x, y of each of its `perStamp`
// stars. The offset frees the profile's wings from an error of the sky: a
// sky too high by a count steepens every wing fitted. The shape is held
// (`shaped` 0), fitted whole (4) or with `held`'s beta (3).
struct StampModel {
  std::span<const Stamp> stamps;
  int perStamp;
  int shaped;
  PsfShape held;
  const PsfProfile::Table* table;  // the held shape's, when tabulated
  int params;
  // The profile's terms of every pixel and star at the parameters last
  // evaluated. The solver asks for the Jacobian only where it has just
  // evaluated the residuals (an accepted step), so the profile, most of a
  // fit's time, is worked out once per step instead of twice. With the shape
  // fitted, the residuals keep its derivatives too.
  struct Cache {
    std::vector<Terms> terms;
    std::vector<double> at;
  };
  mutable Cache cache;

  void evaluate(const double* p) const {
    std::vector<Terms>& terms = cache.terms;
    if (!cache.at.empty() && std::equal(cache.at.begin(), cache.at.end(), p)) return;
    const bool fitShape = shaped > 0;
    const PsfShape shape = fitShape ? shapeFrom(p, shaped, held.beta) : held;
    const Moffat moffat(shape);
    const double inner = shape.fwhm();
    const int first = shaped;
    terms.clear();
    std::size_t size = 0;
    for (const Stamp& s : stamps) size += s.value.size() * static_cast<std::size_t>(perStamp);
    terms.reserve(size);
    PsfProfile::Table::Star placed[2];
    for (std::size_t k = 0; k < stamps.size(); ++k) {
      const Stamp& s = stamps[k];
      const double* star = p + first + static_cast<int>(k) * (1 + perStamp * kStarParams) + 1;
      for (int c = 0; c < perStamp && table != nullptr; ++c)
        table->place(star[c * kStarParams + 1], star[c * kStarParams + 2], placed[c]);
      for (int j = 0; j < s.height; ++j)
        for (int i = 0; i < s.width; ++i) {
          if (std::isnan(s.value[static_cast<std::size_t>(j * s.width + i)])) continue;
          for (int c = 0; c < perStamp; ++c) {
            const double* q = star + c * kStarParams;
            const int column = s.left + i, row = s.top + j;
            const double dx = column - q[1], dy = row - q[2];
            terms.push_back(table != nullptr
                                ? table->at(placed[c], column, row, dx, dy)
                                : pixelTerms(moffat, dx, dy, kSubSamples, inner, fitShape));
          }
        }
    }
    cache.at.assign(p, p + params);
  }

  // Pixel by pixel, the residual and, where `jrow` is given, its row of the
  // Jacobian there; `next(residual, jrow)` takes them and gives the row for
  // the next pixel.
  template <class Next>
  void walk(const double* p, double* jrow, Next&& next) const {
    evaluate(p);
    const int first = shaped;
    const Terms* t = cache.terms.data();
    for (std::size_t k = 0; k < stamps.size(); ++k) {
      const Stamp& s = stamps[k];
      const double* block = p + first + static_cast<int>(k) * (1 + perStamp * kStarParams);
      const double* star = block + 1;
      for (std::size_t at = 0; at < s.value.size(); ++at) {
        if (std::isnan(s.value[at])) continue;
        if (jrow) std::fill(jrow, jrow + params, 0.0);
        double model = block[0];
        if (jrow) jrow[block - p] = -1.0 / s.sigma[at];
        for (int c = 0; c < perStamp; ++c, ++t) {
          const double* q = star + c * kStarParams;
          model += q[0] * t->m;
          if (!jrow) continue;
          const double w = -1.0 / s.sigma[at];
          const int col = static_cast<int>(q - p);
          jrow[col] = w * t->m;
          jrow[col + 1] = -w * q[0] * t->dx;
          jrow[col + 2] = -w * q[0] * t->dy;
          for (int m = 0; m < shaped; ++m) jrow[m] += w * q[0] * t->shape[m];
        }
        jrow = next((s.value[at] - s.sky - model) / s.sigma[at], jrow);
      }
    }
  }

  void operator()(const double* p, double* r, double* J) const {
    walk(p, J, [&](double residual, double* jrow) {
      *r++ = residual;
      return jrow ? jrow + params : nullptr;
    });
  }

  // The chi-square and, with `ne`, the normal equations, summed pixel by
  // pixel without the Jacobian as a whole: `add(jrow, residual)` adds a
  // pixel's row (kept in `row`) to J^T r and J^T J's lower triangle.
  template <class Add>
  double sumNormal(const double* p, NormalEquations* ne, double* row, Add&& add) const {
    const auto n = static_cast<std::size_t>(params);
    if (ne) {
      ne->jtj.assign(n * n, 0.0);
      ne->jtr.assign(n, 0.0);
    }
    double chi2 = 0;
    walk(p, ne ? row : nullptr, [&](double residual, double* jrow) {
      chi2 += residual * residual;
      if (jrow) add(jrow, residual);
      return jrow;
    });
    if (ne)
      for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = 0; b < a; ++b) ne->jtj[b * n + a] = ne->jtj[a * n + b];
    return chi2;
  }

  // The sums of a fit of stars in a held shape (at most kMaxStarFitParams
  // parameters, each moved by every pixel).
  double normal(const double* p, NormalEquations* ne) const {
    std::array<double, kMaxStarFitParams> row{};
    const auto n = static_cast<std::size_t>(params);
    return sumNormal(p, ne, row.data(), [&](const double* jrow, double residual) {
      for (std::size_t a = 0; a < n; ++a) {
        ne->jtr[a] += jrow[a] * residual;
        for (std::size_t b = 0; b <= a; ++b) ne->jtj[a * n + b] += jrow[a] * jrow[b];
      }
    });
  }

  // The same sums for a shape fit through many stars' stamps. A pixel moves
  // only the shape's parameters and its own stamp's, so the rest of its row
  // is 0 and stays out of the sums, which are most of the work otherwise.
  double sparseNormal(const double* p, NormalEquations* ne) const {
    const auto n = static_cast<std::size_t>(params);
    std::vector<double> row(n);
    std::vector<std::size_t> moved;
    moved.reserve(n);
    return sumNormal(p, ne, row.data(), [&](const double* jrow, double residual) {
      moved.clear();
      for (std::size_t a = 0; a < n; ++a)
        if (jrow[a] != 0) moved.push_back(a);
      for (std::size_t i = 0; i < moved.size(); ++i) {
        const std::size_t a = moved[i];
        ne->jtr[a] += jrow[a] * residual;
        for (std::size_t j = 0; j <= i; ++j) ne->jtj[a * n + moved[j]] += jrow[a] * jrow[moved[j]];
      }
    });
  }
};

// The profile of beta kMaxBeta as wide as `s`: the Gaussian that stars of a
// Gaussian profile drive the shape towards.
PsfShape gaussianOf(const PsfShape& s) {
  // The FWHM goes as sqrt((2^(1/beta) - 1) / q) at a given ellipse.
  const double scale = (std::pow(2.0, 1.0 / kMaxBeta) - 1.0) / (std::pow(2.0, 1.0 / s.beta) - 1.0);
  PsfShape g = s;
  g.q11 *= scale;
  g.q22 *= scale;
  g.beta = kMaxBeta;
  return g;
}

int pixelCount(std::span<const Stamp> stamps) {
  int n = 0;
  for (const Stamp& s : stamps) n += s.pixels();
  return n;
}

}  // namespace

double PsfShape::q12() const { return rho * std::sqrt(q11 * q22); }

double PsfShape::fwhm() const {
  // The half-maximum contour Q = 2^(1/beta) - 1 encloses pi (2^(1/beta) - 1) / sqrt(det).
  const double det = q11 * q22 * (1.0 - rho * rho);
  return 2.0 * std::sqrt((std::pow(2.0, 1.0 / beta) - 1.0) / std::sqrt(det));
}

double PsfShape::at(double dx, double dy) const {
  const Moffat p(*this);
  return p.norm * std::pow(1.0 + q11 * dx * dx + 2.0 * p.q12 * dx * dy + q22 * dy * dy, -beta);
}

PsfShape PsfShape::round(double fwhm, double beta) {
  const double alpha = fwhm / (2.0 * std::sqrt(std::pow(2.0, 1.0 / beta) - 1.0));
  PsfShape s;
  s.q11 = s.q22 = 1.0 / (alpha * alpha);
  s.beta = beta;
  return s;
}

double psfPixel(const PsfShape& shape, double dx, double dy, int sub) {
  return pixelTerms(Moffat(shape), dx, dy, sub, shape.fwhm(), false).m;
}

int Stamp::pixels() const {
  int n = 0;
  for (double v : value) n += !std::isnan(v);
  return n;
}

namespace {

// fitStars's parameters: the sky offset, then flux, x and y of at most two stars.
std::vector<double> startOf(std::span<const StarGuess> guesses) {
  std::vector<double> p = {0.0};
  for (std::size_t c = 0; c < std::min<std::size_t>(guesses.size(), 2); ++c)
    p.insert(p.end(), {guesses[c].flux, guesses[c].x, guesses[c].y});
  return p;
}

}  // namespace

namespace {

// The sky offset and the stars where the parameters `p` put them.
PsfStarFit& placeStars(const std::vector<double>& p, PsfStarFit& out) {
  out.sky = p[0];
  for (int c = 0; c < out.components; ++c) {
    const auto at = static_cast<std::size_t>(1 + c * kStarParams);
    out.flux[c] = p[at];
    out.x[c] = p[at + 1];
    out.y[c] = p[at + 2];
  }
  return out;
}

double chi2At(const StampModel& model, const std::vector<double>& p, int pixels) {
  std::vector<double> r(static_cast<std::size_t>(pixels));
  model(p.data(), r.data(), nullptr);
  double chi2 = 0;
  for (double v : r) chi2 += v * v;
  return chi2;
}

// Sets the sky offset and flux of a single star in `p` to the values that
// fit the stamp best with the star where `p` puts it (the profile of the
// model's last evaluation, at `p`), and `chi2` to the chi-square there.
// False, `p` unchanged, when the equations have no solution of positive flux.
bool bestLinearStart(const StampModel& model, const Stamp& stamp, std::vector<double>& p,
                     double& chi2) {
  double sw = 0, sm = 0, smm = 0, sy = 0, smy = 0;
  const StampModel::Cache& c = model.cache;
  for (std::size_t i = 0, at = 0; i < stamp.value.size(); ++i) {
    if (std::isnan(stamp.value[i])) continue;
    const double w = 1.0 / (stamp.sigma[i] * stamp.sigma[i]), m = c.terms[at++].m;
    const double y = stamp.value[i] - stamp.sky;
    sw += w, sm += w * m, smm += w * m * m, sy += w * y, smy += w * m * y;
  }
  const double det = sw * smm - sm * sm;
  if (!(det > 0)) return false;
  const double offset = (smm * sy - sm * smy) / det, flux = (sw * smy - sm * sy) / det;
  if (!(flux > 0)) return false;
  p[0] = offset;
  p[1] = flux;
  chi2 = 0;
  for (std::size_t i = 0, at = 0; i < stamp.value.size(); ++i) {
    if (std::isnan(stamp.value[i])) continue;
    const double r =
        (stamp.value[i] - stamp.sky - offset - flux * c.terms[at++].m) / stamp.sigma[i];
    chi2 += r * r;
  }
  return true;
}

// Whether (x, y) lies on one of the stamp's pixels.
bool insideStamp(const Stamp& stamp, double x, double y) {
  return x >= stamp.left - 0.5 && x <= stamp.left + stamp.width - 0.5 && y >= stamp.top - 0.5 &&
         y <= stamp.top + stamp.height - 0.5;
}

// A star fit in a tabulated profile (a large frame's many stars) sums its
// normal equations as it reads the table; the worked-out profile keeps GSL's
// solver.
LeastSquaresResult solve(const StampModel& model, int pixels, std::vector<double>& p,
                         double stopBelow, const GiveUpTest& giveUp, int steps) {
  if (model.table == nullptr)
    return solveLeastSquares(pixels, p, model, true, steps, stopBelow, giveUp);
  return solveNormalEquations(
      p, [&](const double* q, NormalEquations* ne) { return model.normal(q, ne); }, true, steps,
      stopBelow, giveUp);
}

// The residuals at the solution: GSL's solver keeps them, the other is
// asked once more.
std::vector<double> residualsOf(const StampModel& model, const LeastSquaresResult& r,
                                const std::vector<double>& p, int pixels) {
  if (!r.residuals.empty()) return r.residuals;
  std::vector<double> out(static_cast<std::size_t>(pixels));
  model(p.data(), out.data(), nullptr);
  return out;
}

// fitStars, given up once `giveUp` holds at a step or after `steps` steps
// (not converged then).
PsfStarFit fitStarsUntil(const PsfProfile& profile, const Stamp& stamp,
                         std::span<const StarGuess> guesses, double stopBelow,
                         const GiveUpTest& giveUp, int steps = kMaxFitSteps) {
  PsfStarFit out;
  out.components = static_cast<int>(std::min<std::size_t>(guesses.size(), 2));
  std::vector<double> p = startOf(guesses);
  const int params = static_cast<int>(p.size());
  out.pixels = stamp.pixels();
  if (out.components == 0 || out.pixels <= params) return out;
  const StampModel model{std::span(&stamp, 1), out.components, 0, profile.shape(),
                         profile.table(),      params,         {}};
  // Below already at its start, the fit need not run (the solver starts
  // from the profile worked out here).
  if (stopBelow > -INFINITY) {
    out.chi2 = chi2At(model, p, out.pixels);
    out.stopped = out.chi2 < stopBelow;
    if (out.stopped) return placeStars(p, out);
    // The flux and sky offset that fit best where a single star starts
    // follow from two linear equations; most stars that start above the
    // value fall below it there, and the fit need not run. Those that do
    // not are fitted from their start as given.
    std::vector<double> best = p;
    if (out.components == 1 && bestLinearStart(model, stamp, best, out.chi2) &&
        out.chi2 < stopBelow) {
      out.stopped = true;
      return placeStars(best, out);
    }
  }
  const LeastSquaresResult r = solve(model, out.pixels, p, stopBelow, giveUp, steps);
  out.chi2 = r.chi2;
  out.stopped = r.stopped;
  out.reducedChi2 = r.chi2 / (out.pixels - params);
  // A star whose centre left the stamp explains light beyond it, never its
  // own: its flux and place mean nothing, however settled the fit.
  bool inside = true;
  for (int c = 0; c < out.components; ++c) {
    const auto at = static_cast<std::size_t>(1 + c * kStarParams);
    inside = inside && insideStamp(stamp, p[at + 1], p[at + 2]);
  }
  out.converged = r.converged && inside;
  const std::vector<double> residuals = residualsOf(model, r, p, out.pixels);
  double unexplained = 0, light = 0;
  for (std::size_t i = 0, at = 0; i < stamp.value.size(); ++i)
    if (!std::isnan(stamp.value[i])) unexplained += std::abs(residuals[at++]) * stamp.sigma[i];
  for (int c = 0; c < out.components; ++c)
    light += std::abs(p[static_cast<std::size_t>(1 + c * kStarParams)]);
  out.unexplained = light > 0 ? unexplained / light : INFINITY;
  for (int c = 0; c < out.components && !r.stopped; ++c) {
    const int at = 1 + c * kStarParams;
    out.fluxError[c] = std::sqrt(r.covariance[static_cast<std::size_t>(at * params + at)]);
  }
  return placeStars(p, out);
}

}  // namespace

PsfStarFit fitStars(const PsfProfile& profile, const Stamp& stamp,
                    std::span<const StarGuess> guesses, double stopBelow) {
  return fitStarsUntil(profile, stamp, guesses, stopBelow, nullptr);
}

PsfStarFit fitWithNeighbour(const PsfProfile& profile, const Stamp& stamp,
                            const PsfStarFit& single) {
  if (single.components != 1) return PsfStarFit{};
  // The pixel of the largest residual at least a pixel from the first star.
  double best = 0, bx = single.x[0], by = single.y[0];
  for (int j = 0; j < stamp.height; ++j)
    for (int i = 0; i < stamp.width; ++i) {
      const auto at = static_cast<std::size_t>(j * stamp.width + i);
      const double x = stamp.left + i, y = stamp.top + j;
      if (std::isnan(stamp.value[at]) || std::hypot(x - single.x[0], y - single.y[0]) < 1.0)
        continue;
      const double rest = stamp.value[at] - stamp.sky -
                          single.flux[0] * profile.pixel(x - single.x[0], y - single.y[0]);
      if (rest > best) {
        best = rest;
        bx = x;
        by = y;
      }
    }
  const double peakShare = profile.pixel(0, 0);
  const StarGuess guesses[2] = {{single.x[0], single.y[0], single.flux[0]},
                                {bx, by, peakShare > 0 ? best / peakShare : 0.0}};
  // A second star that leaves the stamp explains light beyond it, never a
  // companion on the star's pixels; such fits wander outwards for hundreds
  // of steps, so the fit gives up there.
  const auto leaves = [&](const double* q) {
    return !insideStamp(stamp, q[1 + kStarParams + 1], q[1 + kStarParams + 2]);
  };
  return fitStarsUntil(profile, stamp, guesses, -INFINITY, leaves, kMaxPairSteps);
}

bool secondStarFound(const PsfStarFit& single, const PsfStarFit& pair, double fwhm) {
  if (!single.converged || !pair.converged || pair.components != 2) return false;
  const double drop = single.chi2 - pair.chi2;
  const double excess = std::max(0.0, single.chi2 - (single.pixels - 1 - kStarParams));
  const double second = std::min(pair.flux[0], pair.flux[1]);
  const double error = pair.flux[0] < pair.flux[1] ? pair.fluxError[0] : pair.fluxError[1];
  return drop > std::max(kPairChi2, kPairExcessShare * excess) &&
         std::hypot(pair.x[0] - pair.x[1], pair.y[0] - pair.y[1]) >= kPairDistance * fwhm &&
         second >= kPairFluxShare * std::max(pair.flux[0], pair.flux[1]) &&
         second > kPairSigmas * error;
}

bool fitUsable(const PsfStarFit& f) {
  const int params = 1 + f.components * kStarParams;
  if (!f.converged || f.pixels < params + kSparePixels) return false;
  if (f.reducedChi2 > kMaxReducedChi2 && f.unexplained > kMaxUnexplained) return false;
  for (int c = 0; c < f.components; ++c)
    if (!(f.flux[c] > 0) || !(f.fluxError[c] < kMaxFluxError * f.flux[c])) return false;
  return true;
}

namespace {

LeastSquaresResult solveShape(const StampModel& model, int pixels, std::vector<double>& p,
                              bool summed, const GiveUpTest& giveUp) {
  if (!summed) return solveLeastSquares(pixels, p, model, false, 200, -INFINITY, giveUp);
  return solveNormalEquations(
      p, [&](const double* q, NormalEquations* ne) { return model.sparseNormal(q, ne); }, false,
      200, -INFINITY, giveUp);
}

}  // namespace

PsfShapeFit fitPsfShape(std::span<const Stamp> stamps, std::span<const StarGuess> guesses,
                        double fwhm, bool summed) {
  PsfShapeFit out;
  out.stars = static_cast<int>(std::min(stamps.size(), guesses.size()));
  stamps = stamps.first(static_cast<std::size_t>(out.stars));
  std::vector<double> p(kShapeParams);
  shapeTo(PsfShape::round(fwhm, 3.0), p.data());
  for (int k = 0; k < out.stars; ++k)
    p.insert(p.end(), {0.0, guesses[k].flux, guesses[k].x, guesses[k].y});
  const int params = static_cast<int>(p.size());
  const int pixels = pixelCount(stamps);
  if (out.stars == 0 || pixels <= params) return out;
  const StampModel model{stamps, 1, kShapeParams, PsfShape{}, nullptr, params, {}};
  const auto runaway = [](const double* q) { return q[3] > std::log(kRunawayBeta - 1.0); };
  LeastSquaresResult r = solveShape(model, pixels, p, summed, runaway);
  out.shape = shapeFrom(p.data());
  if (r.gaveUp) {
    out.shape = gaussianOf(out.shape);
    p.erase(p.begin() + kShapeParams - 1);
    shapeTo(out.shape, p.data(), kShapeParams - 1);
    const StampModel held{stamps, 1, kShapeParams - 1, out.shape, nullptr, params - 1, {}};
    r = solveShape(held, pixels, p, summed, nullptr);
    out.shape = shapeFrom(p.data(), kShapeParams - 1, kMaxBeta);
  }
  out.reducedChi2 = r.chi2 / (pixels - static_cast<int>(p.size()));
  out.converged = r.converged;
  return out;
}

}  // namespace orelith
