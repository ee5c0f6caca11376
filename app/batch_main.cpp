// orelith-batch: the measurement without a window.
#include <iostream>

#include "app/BatchOptions.h"
#include "app/BatchRunner.h"

namespace {
// The state of the measurement, as the program owns it: one static record.
orelith::Workspace workspace;
}  // namespace

int main(int argc, char** argv) {
  orelith::batch::Options options;
  std::string out, err;
  switch (orelith::batch::parseOptions(argc, argv, options, out, err)) {
    case orelith::batch::ParseOutcome::Exit0:
      // Help or version to a full disk or a closed pipe is no success.
      if (std::cout << out << std::flush) return 0;
      std::cerr << "ERROR: cannot write to standard output\n";
      return 2;
    case orelith::batch::ParseOutcome::UsageError:
      std::cerr << err;
      return 1;
    case orelith::batch::ParseOutcome::Run:
      break;
  }
  return orelith::batch::runBatch(options, workspace, std::cout, std::cerr);
}
