// FITS frames: every pixel type read back from the field generator's files, plain or
// tile-compressed, with blank pixels; layout and masks against files built here by hand; bad
// files refused with their reason; RA and Dec against the gnomonic projection by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>

#include "image/FitsReader.h"
#include "image/WorldCoords.h"
#include "tests/support/ParamName.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FieldGenerator.h"
#include "tools/FitsWriter.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

using test::card;

std::vector<std::string> imageCards(const std::vector<long long>& axes, int bitpix = 16) {
  std::vector<std::string> c = {card("SIMPLE", "T"), card("BITPIX", std::to_string(bitpix)),
                                card("NAXIS", std::to_string(axes.size()))};
  for (std::size_t k = 0; k < axes.size(); ++k)
    c.push_back(card("NAXIS" + std::to_string(k + 1), std::to_string(axes[k])));
  return c;
}

std::string joined(const std::vector<std::string>& cards) {
  std::string s;
  for (const std::string& c : cards) s += c;
  return s;
}

// The cards and END in whole 2880-byte blocks, then the data, padded likewise unless cut.
std::vector<unsigned char> hdu(const std::vector<std::string>& cards,
                               std::vector<unsigned char> data = {}, bool pad = true) {
  std::string text = joined(cards) + std::string("END").append(77, ' ');
  text.resize((text.size() + 2879) / 2880 * 2880, ' ');
  std::vector<unsigned char> bytes(text.begin(), text.end());
  if (pad) data.resize((data.size() + 2879) / 2880 * 2880, 0);
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

// Big-endian bytes of a value, as FITS stores every pixel.
template <class T>
void putBigEndian(std::vector<unsigned char>& out, T v) {
  unsigned char b[sizeof v];
  std::memcpy(b, &v, sizeof v);
  if constexpr (std::endian::native == std::endian::little) std::reverse(b, b + sizeof v);
  out.insert(out.end(), b, b + sizeof v);
}

std::vector<unsigned char> operator+(std::vector<unsigned char> a,
                                     const std::vector<unsigned char>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class FitsFiles : public testing::Test {
 protected:
  void SetUp() override { dir = test::makeTempDir(); }
  void TearDown() override { fs::remove_all(dir); }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  FitsOutcome read(const std::vector<unsigned char>& bytes, Frame& frame) {
    test::writeBytes(dir / "f.fits", bytes);
    return readFitsFile(path("f.fits"), frame);
  }
  fs::path dir;
};

// Built by hand. 16 x 16 of 16 bits: stored s(i, j) = (i - 1) + 100 (j - 1) - 1000 at FITS
// pixel (i, j), read as 32768 + 2 s, row 1 at the bottom, (1, 1) BLANK. Floats: NaN and infinity
// masked. An empty primary before an image extension whose third axis has one plane.
TEST_F(FitsFiles, HandMadeFramesAreReadAsStored) {
  std::vector<std::string> cards = imageCards({16, 16});
  cards.insert(cards.end(), {card("BZERO", "32768"), card("BSCALE", "2"), card("BLANK", "-32768"),
                             card("FILTER", "'V       '")});
  std::vector<unsigned char> shorts, floats;
  for (int k = 0; k < 256; ++k) {  // k = (i - 1) + 16 (j - 1)
    putBigEndian(shorts, static_cast<std::int16_t>(k ? k % 16 + 100 * (k / 16) - 1000 : -32768));
    putBigEndian(floats, k == 1 ? NAN : k == 2 ? INFINITY : static_cast<float>(k) * 0.25f - 3);
  }
  Frame f;
  ASSERT_EQ(read(hdu(cards, shorts), f).status, FitsStatus::Ok);
  for (int k = 1; k < 256; ++k)
    ASSERT_EQ(f.at(k % 16, 15 - k / 16), 32768 + 2 * (k % 16 + 100 * (k / 16) - 1000));
  EXPECT_TRUE(f.masked(15 * 16) && std::isnan(f.at(0, 15)));
  EXPECT_EQ(std::count(f.mask.begin(), f.mask.end(), 1), 1);
  EXPECT_EQ(f.filter, "V");
  EXPECT_NE(f.header.find("BSCALE  =                    2"), std::string::npos);
  ASSERT_EQ(read(hdu(imageCards({16, 16}, -32), floats), f).status, FitsStatus::Ok);
  EXPECT_EQ((std::array{f.at(0, 15), f.at(15, 0)}), (std::array{-3.0f, 255 * 0.25f - 3}));
  EXPECT_EQ(std::count(f.mask.begin(), f.mask.end(), 1), 2);
  EXPECT_TRUE(f.masked(15 * 16 + 1) && f.masked(15 * 16 + 2));
  std::vector<std::string> ext = imageCards({16, 20, 1}, 8);
  ext[0] = card("XTENSION", "'IMAGE   '");
  ext.insert(ext.end(), {card("PCOUNT", "0"), card("GCOUNT", "1")});
  ASSERT_EQ(read(hdu(imageCards({})) + hdu(ext, std::vector<unsigned char>(320, 7)), f).status,
            FitsStatus::Ok);
  EXPECT_EQ((std::array{f.width, f.height, f.hdu, f.bitpix}), (std::array{16, 20, 2, 8}));
  EXPECT_TRUE(f.at(15, 19) == 7.0f && f.mask.empty());
}

struct BadCase {
  const char* name;
  std::vector<unsigned char> bytes;
  FitsStatus status;
  const char* says;  // part of the message
};

std::vector<unsigned char> tableOnly() {
  // clang-format off
  const std::vector<std::string> table = {
      card("XTENSION", "'BINTABLE'"), card("BITPIX", "8"), card("NAXIS", "2"), card("NAXIS1", "4"),
      card("NAXIS2", "1"), card("PCOUNT", "0"), card("GCOUNT", "1"), card("TFIELDS", "1"),
      card("TFORM1", "'J       '")};
  // clang-format on
  return hdu(imageCards({})) + hdu(table, std::vector<unsigned char>(4, 0));
}

class BadFiles : public FitsFiles, public testing::WithParamInterface<BadCase> {};

// Refused before the pixels are allocated: a frame of 4e9 x 4e9 pixels would need 64 EB.
TEST_P(BadFiles, AreRefusedWithTheirReason) {
  const BadCase& c = GetParam();
  Frame f;
  const FitsOutcome out = read(c.bytes, f);
  EXPECT_EQ(out.status, c.status);
  EXPECT_NE(out.message.find(c.says), std::string::npos) << out.message;
  EXPECT_TRUE(f.values.empty() && f.width == 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, BadFiles, testing::Values(
    BadCase{"Truncated", hdu(imageCards({16, 16}), std::vector<unsigned char>(100), false),
            FitsStatus::Refused, "ends before its last pixel"},
    BadCase{"OneAxis", hdu(imageCards({100}), std::vector<unsigned char>(200)),
            FitsStatus::Refused, "one axis"},
    BadCase{"Cube", hdu(imageCards({16, 16, 4}), std::vector<unsigned char>(2048)),
            FitsStatus::Refused, "cube"},
    BadCase{"TableOnly", tableOnly(), FitsStatus::Refused, "only tables"},
    BadCase{"NoData", hdu(imageCards({})), FitsStatus::Refused, "holds no image."},
    BadCase{"HugeAxes", hdu(imageCards({4000000000LL, 4000000000LL})), FitsStatus::Refused,
            "at most 32768 pixels a side and 67108864 pixels"},
    BadCase{"TooManyPixels", hdu(imageCards({10000, 10000})), FitsStatus::Refused, "at most"},
    BadCase{"TooSmall", hdu(imageCards({8, 100}), std::vector<unsigned char>(1600)),
            FitsStatus::Refused, "at least 16 pixels a side"},
    BadCase{"BadHeader", hdu({card("SIMPLE", "T"), card("BITPIX", "'x'")}),
            FitsStatus::Refused, "cannot be read (CFITSIO:"},
    BadCase{"Gzip", {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3}, FitsStatus::Refused, "gunzip"},
    BadCase{"Empty", {}, FitsStatus::NotFits, "no FITS file"}),
    test::ParamName());
// clang-format on

struct TypeCase {
  const char* name;
  int width, height, bitpix;
  bool compressed;
  int blanks;
  double bzero, bscale;
};

class Types : public FitsFiles, public testing::WithParamInterface<TypeCase> {};

// The generator's counts come back as BZERO + BSCALE x counts (8-bit files in steps of 257
// counts); so a float frame and its integer twin read to the same values.
TEST_P(Types, GeneratedFieldReadsBack) {
  const TypeCase& c = GetParam();
  gen::FieldParams p;
  p.width = c.width, p.height = c.height, p.starCount = 40, p.blankPixels = c.blanks;
  p.shiftX = p.shiftY = 0, p.edgeMargin = 2;
  const gen::FieldPair field = gen::generateField(p);
  gen::FitsLayout layout{c.bitpix, c.compressed, c.bzero, c.bscale, "B", {10, 5, 150, 2.2, 1.5}};
  ASSERT_EQ(
      gen::writeFits(path("g.fits"), field.blue.data(), c.width, c.height, field.blankBlue, layout),
      "");
  Frame f;
  ASSERT_EQ(readFitsFile(path("g.fits"), f).status, FitsStatus::Ok);
  EXPECT_EQ((std::array{f.width, f.height, f.bitpix, f.hdu}),
            (std::array{c.width, c.height, c.bitpix, c.compressed ? 2 : 1}));
  EXPECT_EQ(f.compressed, c.compressed);
  EXPECT_EQ(f.filter, "B");
  for (std::size_t i = 0; i < field.blue.size(); ++i) {
    const double counts = c.bitpix == 8 ? 257 * std::round(field.blue[i] / 257.0) : field.blue[i];
    const bool blank = std::count(field.blankBlue.begin(), field.blankBlue.end(), i) != 0;
    if (blank) {
      ASSERT_TRUE(f.masked(i) && std::isnan(f.values[i])) << i;
    } else {
      ASSERT_EQ(f.values[i], static_cast<float>(c.bzero + c.bscale * counts)) << i;
    }
  }
  EXPECT_EQ(std::count(f.mask.begin(), f.mask.end(), 1), c.blanks);
  const auto sky = WorldCoords(f.header, f.height).skyAt(10, 5);
  ASSERT_TRUE(sky.has_value());
  EXPECT_NEAR(sky->ra, 150.0, 1e-9);
  EXPECT_NEAR(sky->dec, 2.2, 1e-9);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, Types, testing::Values(
    TypeCase{"Tiny16", 16, 16, 16, false, 0, 0, 1},
    TypeCase{"Byte", 375, 242, 8, false, 3, 0, 1},
    TypeCase{"ShortCompressed", 375, 242, 16, true, 5, 0, 1},
    TypeCase{"LongScaled", 300, 200, 32, false, 5, -1000, 0.5},
    TypeCase{"FloatCompressed", 500, 300, -32, true, 10, 0, 1},
    TypeCase{"FloatNegative", 2048, 16, -32, false, 0, -1000, 1},
    TypeCase{"DoubleScaled", 400, 300, -64, false, 10, 100, 2.5}),
    test::ParamName());
// clang-format on

// Frames of two sizes with stars over both, some in one frame only; bright stars flat at the
// full well, below the hot pixels; the flat field's ripple on a bare sky (1000 (1 +- 0.05)).
TEST(Generator, FramesOfTwoSizesWithPlateausAndRipple) {
  gen::FieldParams p;
  p.width = 300, p.height = 200, p.greenWidth = 200, p.greenHeight = 250;
  p.shiftX = 50, p.shiftY = -30, p.overlapOnly = false, p.fullWell = 60000, p.starCount = 300;
  const gen::FieldPair field = gen::generateField(p);
  ASSERT_EQ(field.green.size(), 200u * 250u);
  int onlyBlue = 0, onlyGreen = 0;
  for (const gen::TrueStar& t : field.truth) {
    const bool inBlue = t.x >= 0 && t.x < 300 && t.y >= 0 && t.y < 200;
    const bool inGreen = t.x + 50 >= 0 && t.x + 50 < 200 && t.y - 30 >= 0 && t.y - 30 < 250;
    ASSERT_TRUE(inBlue || inGreen);
    onlyBlue += inBlue && !inGreen, onlyGreen += inGreen && !inBlue;
  }
  EXPECT_GT(onlyBlue, 10);
  EXPECT_GT(onlyGreen, 10);
  std::vector<std::uint16_t> blue = field.blue;
  for (int at : field.hotBlue) blue[at] = 0;
  EXPECT_EQ(*std::max_element(blue.begin(), blue.end()), 60000);
  EXPECT_GT(std::count(blue.begin(), blue.end(), 60000), 3);  // a plateau, not a pixel
  gen::FieldParams bare;
  bare.starCount = bare.hotPixels = 0, bare.photonNoise = false, bare.readNoise = 0;
  bare.flatRipple = 0.05;
  const gen::FieldPair flat = gen::generateField(bare);
  EXPECT_EQ(flat.blue[0], 1050);        // cos 0 = 1
  EXPECT_EQ(flat.blue[56 * 375], 950);  // cos(2 pi 56 / 113) = -0.99904
  // The Gaussian draw keeps the noise of sky and read-out: sqrt(1000 + 10^2) = 33.17.
  bare.photonNoise = true, bare.readNoise = 10, bare.flatRipple = 0, bare.gaussianAbove = 100;
  const std::vector<std::uint16_t> sky = gen::generateField(bare).blue;
  double sum = 0, squares = 0, n = 0;
  for (double v : sky) sum += v, squares += v * v, ++n;
  const double mean = sum / n;
  EXPECT_NEAR(mean, 1000, 0.5);
  EXPECT_NEAR(std::sqrt(squares / n - mean * mean), 33.17, 0.3);
}

// ---- world coordinates ----

// RA, Dec of intermediate coordinates (xi east, eta north, degrees) by the inverse gnomonic
// projection (Snyder, Map Projections, eq. 22-16 and 22-17).
SkyPosition gnomonic(double ra0, double dec0, double xi, double eta) {
  constexpr double r = std::numbers::pi / 180.0;
  xi *= r, eta *= r, dec0 *= r;
  const double rho = std::hypot(xi, eta), c = std::atan(rho);
  if (rho == 0) return {ra0, dec0 / r};
  const double dec =
      std::asin(std::cos(c) * std::sin(dec0) + eta * std::sin(c) * std::cos(dec0) / rho);
  const double ra = ra0 + std::atan2(xi * std::sin(c), rho * std::cos(dec0) * std::cos(c) -
                                                           eta * std::sin(dec0) * std::sin(c)) /
                              r;
  return {std::fmod(ra + 360.0, 360.0), dec / r};
}

// A 1.2"/pixel tangent plane turned by 30 degrees, reference pixel off the frame's centre.
TEST(WorldCoordsTest, PixelsMapAsTheGnomonicProjection) {
  // 1.2 / 3600 cos 30 and sin 30 degrees.
  const std::string text[2][2] = {{"-2.886751345948E-04", "1.666666666667E-04"},
                                  {"1.666666666667E-04", "2.886751345948E-04"}};
  double cd[2][2];
  for (int k = 0; k < 4; ++k) cd[k / 2][k % 2] = std::stod(text[k / 2][k % 2]);
  const std::string header =
      joined({card("NAXIS", "2"), card("CTYPE1", "'RA---TAN'"), card("CTYPE2", "'DEC--TAN'"),
              card("CRPIX1", "100.5"), card("CRPIX2", "80.5"), card("CRVAL1", "359.99"),
              card("CRVAL2", "-5.4"), card("CD1_1", text[0][0]), card("CD1_2", text[0][1]),
              card("CD2_1", text[1][0]), card("CD2_2", text[1][1])});
  const WorldCoords wcs(header, 160);
  ASSERT_TRUE(wcs.valid());
  for (const auto& [x, y] : {std::pair{99.5, 79.5}, {0.0, 0.0}, {500.0, 3.0}, {-40.0, 300.0}}) {
    const double p1 = x + 1 - 100.5, p2 = (160 - y) - 80.5;  // FITS pixel less the reference
    const SkyPosition want =
        gnomonic(359.99, -5.4, cd[0][0] * p1 + cd[0][1] * p2, cd[1][0] * p1 + cd[1][1] * p2);
    const auto got = wcs.skyAt(x, y);
    ASSERT_TRUE(got.has_value());
    EXPECT_NEAR(got->ra, want.ra, 1e-9) << x << "," << y;
    EXPECT_NEAR(got->dec, want.dec, 1e-9) << x << "," << y;
  }
  WorldCoords copy = wcs;  // set up again from the cards; a moved-from one has none
  EXPECT_EQ(copy.skyAt(0, 0)->dec, wcs.skyAt(0, 0)->dec);
  const WorldCoords moved = std::move(copy);
  EXPECT_TRUE(moved.valid() && !copy.valid());  // NOLINT(bugprone-use-after-move)
  const WcsSummary sum = wcs.summary();
  EXPECT_EQ(sum.ctype[1], "DEC--TAN");
  EXPECT_EQ((std::array{sum.crpix[0], sum.crval[1], sum.cd[0][1]}),
            (std::array{100.5, -5.4, cd[0][1]}));
}

// By hand: 150.5 degrees = 10.0333... h = 10:02:00.00; 359.99999999 degrees carries to 00:00:00.00.
TEST(WorldCoordsTest, SkyTextInHoursAndDegrees) {
  EXPECT_EQ(skyText({150.5, 2.25}), "RA 10:02:00.00 Dec +02:15:00.0");
  EXPECT_EQ(skyText({359.99999999, -0.5 / 3600}), "RA 00:00:00.00 Dec -00:00:00.5");
}

TEST(WorldCoordsTest, OnlyEquatorialSystemsCount) {
  const auto with = [](const char* lng, const char* lat) {
    return joined({card("NAXIS", "2"), card("CTYPE1", lng), card("CTYPE2", lat),
                   card("CRPIX1", "1"), card("CRPIX2", "1"), card("CDELT1", "-0.001"),
                   card("CDELT2", "0.001")});
  };
  EXPECT_FALSE(WorldCoords(joined({card("NAXIS", "2")}), 100).valid());
  EXPECT_FALSE(WorldCoords(with("'GLON-TAN'", "'GLAT-TAN'"), 100).valid());
  EXPECT_FALSE(WorldCoords("", 100).skyAt(1, 1).has_value());
  // Declination first: FITS pixel (2, 1), a step along the first axis, is 0.001 degrees south.
  const auto swapped = WorldCoords(with("'DEC--TAN'", "'RA---TAN'"), 100).skyAt(1, 99);
  ASSERT_TRUE(swapped.has_value());
  EXPECT_NEAR(swapped->dec, -0.001, 1e-9);
  EXPECT_NEAR(swapped->ra, 0.0, 1e-9);
}

}  // namespace
}  // namespace orelith
