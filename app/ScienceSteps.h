// The batch tool's science steps beside the specified measurement: flags,
// aperture photometry, the standard transformation, fit diagnostics, the CSV
// table and the plotted diagram, with their options and JSON keys.
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

#include "app/BatchJson.h"
#include "app/BatchOptions.h"
#include "photometry/ScienceTable.h"

namespace orelith::batch {

void addScienceOptions(CLI::App& app, Options& options, std::string& annulus);

// Empty, or what is wrong with the science options.
std::string checkScienceOptions(const std::string& annulus, Options& options);

// Flags, apertures, diagnostics and the transformation, as chosen. False
// after a complaint on `err`.
bool computeScience(const Options& options, const Workspace& ws, ScienceTable& table,
                    std::ostream& err);

// The CSV table and the plotted diagram, as chosen. False after a complaint.
bool writeScienceOutputs(const Options& options, const Workspace& ws, const ScienceTable& table,
                         std::ostream& err);

// The science keys of star `k` of `image` and those of the top level, into
// the workspace JSON as it is written.
void writeStarScience(JsonWriter& w, const Workspace& ws, const ScienceTable& table, int image,
                      int k);
void writeTopScience(JsonWriter& w, const Workspace& ws, const ScienceTable& table,
                     const Options& options);

}  // namespace orelith::batch
