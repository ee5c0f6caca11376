// Large FITS frames: a 4096 x 4096 16-bit frame of 20,000 stars (sky 1000,
// noise about 33) read with CFITSIO, searched by our star search at a fixed
// level and by the automatic background, and SEP's extraction of it at the
// same threshold, timed by SEP's Python binding in a child process (its
// extraction alone: reading and start-up are not counted).
#include <benchmark/benchmark.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "analysis/StarSearch.h"
#include "image/FitsReader.h"
#include "image/OpenImage.h"
#include "tools/FieldGenerator.h"
#include "tools/FitsWriter.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

constexpr int kSide = 4096;
constexpr double kThreshold = 1200;  // sky + 6 sigma

// Written once per run into a fresh folder, removed at exit.
struct Fields {
  fs::path dir;
  std::string blue;
  Fields() {
    char name[] = "/tmp/orelith-fits-bench-XXXXXX";
    if (::mkdtemp(name) == nullptr) std::abort();
    dir = name;
    blue = (dir / "blue.fits").string();
    gen::FieldParams p;
    p.width = p.height = kSide;
    p.starCount = 20000;
    p.gaussianAbove = 100;
    const gen::FieldPair field = gen::generateField(p);
    gen::FitsLayout layout;
    if (!gen::writeFits(blue, field.blue.data(), kSide, kSide, {}, layout).empty()) std::abort();
  }
  ~Fields() { fs::remove_all(dir); }
};

const Fields& fields() {
  static const Fields f;
  return f;
}

void BM_LoadFits16(benchmark::State& state) {
  const std::string& path = fields().blue;
  Frame frame;
  for (auto _ : state) {
    if (readFitsFile(path, frame).status != FitsStatus::Ok) state.SkipWithError("unreadable");
    benchmark::DoNotOptimize(frame.values.data());
  }
}
BENCHMARK(BM_LoadFits16)->Unit(benchmark::kMillisecond);

// The frame opened as the window opens it, searched at SEP's threshold
// (argument 0) or with the automatic background first (argument 1).
void BM_Search(benchmark::State& state) {
  auto ws = std::make_unique<Workspace>();
  if (openImage(*ws, kBlue, fields().blue).status != St6Status::Ok) {
    state.SkipWithError("unreadable");
    return;
  }
  if (state.range(0) != 0) ws->optionFlags |= OPT_AUTO_BACKGROUND;
  for (auto _ : state) {
    ws->backgroundLevel[kBlue] = static_cast<int>(kThreshold);
    if (searchStars(*ws, kBlue).status != SearchStatus::Ok) state.SkipWithError("search failed");
  }
  state.counters["stars"] = ws->starCount[kBlue];
  state.counters["level"] = ws->backgroundLevel[kBlue];
}
BENCHMARK(BM_Search)->Arg(0)->Arg(1)->ArgNames({"auto"})->Unit(benchmark::kMillisecond);

// The time is the CPU time SEP reports for sep.extract.
void BM_SepExtract(benchmark::State& state) {
  const std::string command =
      "/usr/bin/python3 " ORELITH_SEP_SCRIPT " " + fields().blue + " " + std::to_string(kThreshold);
  double objects = 0;
  for (auto _ : state) {
    std::FILE* out = ::popen(command.c_str(), "r");
    double seconds = 0;
    const bool read = out != nullptr && std::fscanf(out, "%lf %lf", &seconds, &objects) == 2;
    if (out == nullptr || ::pclose(out) != 0 || !read) {
      state.SkipWithError("SEP did not run (python3-sep)");
      break;
    }
    state.SetIterationTime(seconds);
  }
  state.counters["objects"] = objects;
}
BENCHMARK(BM_SepExtract)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orelith
