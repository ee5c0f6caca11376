#include "app/WindowOptions.h"

#include <CLI/CLI.hpp>
#include <memory>

namespace orelith {
namespace {

constexpr char kDescription[] =
    "orelith: the window for two-colour (B, V) photometry of a star field";
constexpr char kFiles[] =
    "Each FILE opens in the panel of its colour: *.b in the blue panel, *.g in\n"
    "the green one, a FITS file by its FILTER keyword (B blue, V or G green);\n"
    "files of no colour (*.st6, FITS without FILTER) fill the panels left, blue\n"
    "first. A red frame (*.r), a second frame of a colour and a third file are\n"
    "not opened, and the window says so. The options then take the steps a user\n"
    "clicks, in this order.";

void addOptions(CLI::App& app, StartRequest& r) {
  app.footer(kFiles);
  app.set_version_flag("--version", std::string(ORELITH_VERSION));
  // The file each panel gets, as startWindow places the FILEs (added last,
  // read when the checks run, once every argument is read).
  const auto files = std::make_shared<CLI::Option*>(nullptr);
  const auto panelFile = [files](int image) {
    return [files, image] {
      std::vector<FrameFile> frames;
      for (const std::string& path : (*files)->results()) frames.push_back(classifyFrame(path));
      return placeFrames(frames).panel[image];
    };
  };
  app.add_option("--background-blue", r.background[kBlue],
                 "type N into the blue background field (a decimal for a floating-point FITS "
                 "frame)")
      ->check(batch::backgroundCheck(panelFile(kBlue)))
      ->type_name("N");
  app.add_option("--background-green", r.background[kGreen],
                 "type N into the green background field (a decimal for a floating-point "
                 "FITS frame)")
      ->check(batch::backgroundCheck(panelFile(kGreen)))
      ->type_name("N");
  app.add_flag("--search", r.search, "\"Search stars\" in each loaded image");
  app.add_flag("--compare", r.compare, "\"Compare images\"");
  app.add_option("--calibration", r.calibrationFile,
                 "enter the calibration stars of a CSV x,y,V,BV (blue pixels), as \"Import "
                 "calibration stars...\" does")
      ->type_name("FILE");
  app.add_flag("--calculate", r.calculate, "\"Calculate magnitudes\"");
  *files = app.add_option("FILE", r.files, "ST-6 or FITS frames to open");
}

}  // namespace

std::string windowUsage() {
  CLI::App app{kDescription, "orelith"};
  StartRequest unused;
  addOptions(app, unused);
  return app.help();
}

batch::ParseOutcome parseWindowOptions(int argc, const char* const* argv, StartRequest& request,
                                       std::string& out, std::string& err) {
  CLI::App app{kDescription, "orelith"};
  addOptions(app, request);
  if (const batch::ParseOutcome o = batch::parseApp(app, argc, argv, out, err);
      o != batch::ParseOutcome::Run)
    return o;
  if (app.count("--calibration") > 0 && request.calibrationFile.empty()) {
    err = "--calibration needs a file name\n";
    return batch::ParseOutcome::UsageError;
  }
  return batch::ParseOutcome::Run;
}

}  // namespace orelith
