// A small measurement for the window rules: blue stars 0, 1, 2 at (10, 10),
// (15, 10), (20, 10) with brightness 150, 550, 950; green stars 0 and 1 on
// the first two and green star 2 alone at (30, 30). Both searched; `paired`
// compares them at offset (0, 0), which leaves blue 2 and green 2 unpaired.
#pragma once

#include "analysis/Correspondence.h"
#include "analysis/StarSearch.h"
#include "tests/support/TestWorkspace.h"

namespace orelith::test {

inline std::unique_ptr<Workspace> searchedPair(bool paired) {
  auto ws = makeWorkspace();
  paintPattern(*ws, kBlue, {"1....5....9"}, 10, 10);
  paintPattern(*ws, kGreen, {"1....5"}, 10, 10);
  pixelAt(*ws, kGreen, 30, 30) = 500;
  NullWindowPort port;
  for (int image : {kBlue, kGreen}) {
    ws->searchRect[image] = kWholeImage;
    ws->backgroundLevel[image] = 150;
    ws->progressFlags |= kLoadedBit[image];
    searchStars(*ws, port, image);
  }
  if (paired) {
    ws->optionFlags = OPT_MOVE_MANUALLY;  // at offset (0, 0)
    compareImages(*ws, port);
    ws->optionFlags = 0;
  }
  return ws;
}

}  // namespace orelith::test
