// A whole orelith-batch run on the sample frames, as a process: start-up,
// search, comparison, calibration, every output. The time is the CPU time of
// the process (user and system); "peak_kb" its largest resident size. And
// the whole pair of 4096 x 4096 16-bit FITS frames (20,000 stars, green
// shifted by (3, -2)): load, search both, pair, calculate through ten
// standards, CSV.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/FieldGenerator.h"
#include "tools/FitsWriter.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> runArguments(const fs::path& out, bool autoBackground) {
  const std::string samples = ORELITH_SOURCE_DIR "/samples/";
  std::vector<std::string> args{ORELITH_BATCH, "--blue", samples + "cluster.b", "--green",
                                samples + "cluster.g"};
  if (autoBackground) {
    args.push_back("--auto-background");
  } else {
    args.insert(args.end(), {"--background-blue", "1130", "--background-green", "1130"});
  }
  const std::vector<std::string> rest{"--search",
                                      "--compare",
                                      "--calibration",
                                      samples + "calibration.csv",
                                      "--calculate",
                                      "--html",
                                      (out / "report.html").string(),
                                      "--complex",
                                      "--cmd-color",
                                      (out / "cmd-color.bmp").string(),
                                      "--cmd-mono",
                                      (out / "cmd-mono.bmp").string(),
                                      "--render-blue",
                                      (out / "blue.png").string(),
                                      "--render-green",
                                      (out / "green.png").string(),
                                      "--range-blue",
                                      "400",
                                      "--range-green",
                                      "400",
                                      "--json",
                                      (out / "state.json").string()};
  args.insert(args.end(), rest.begin(), rest.end());
  return args;
}

// Runs the tool once; its CPU seconds and peak resident kilobytes.
bool runOnce(const std::vector<std::string>& args, double& cpu, long& peakKb) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || ::wait4(child, &status, 0, &usage) != child) return false;
  cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
        1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  peakKb = usage.ru_maxrss;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Each iteration's time is the run's CPU time; the largest peak memory of
// the runs is kept as a counter.
void timeRuns(benchmark::State& state, const std::vector<std::string>& args) {
  long peak = 0;
  for (auto _ : state) {
    double cpu = 0.0;
    long kb = 0;
    if (!runOnce(args, cpu, kb)) {
      state.SkipWithError("orelith-batch failed");
      break;
    }
    state.SetIterationTime(cpu);
    peak = std::max(peak, kb);
  }
  state.counters["peak_kb"] = static_cast<double>(peak);
}

void BM_WholeRun(benchmark::State& state) {
  const fs::path out =
      fs::temp_directory_path() / ("orelith-run-bench-" + std::to_string(::getpid()));
  fs::create_directories(out);
  const std::vector<std::string> args = runArguments(out, state.range(0) != 0);
  timeRuns(state, args);
  fs::remove_all(out);
}
// Argument 0: fixed background level; 1: automatic background.
BENCHMARK(BM_WholeRun)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The FITS pair and its ten standards (unsaturated stars of V 11 to 13 from
// the generator's truth), written once into a fresh folder.
struct FitsPair {
  fs::path dir;
  FitsPair() {
    char name[] = "/tmp/orelith-pair-bench-XXXXXX";
    if (::mkdtemp(name) == nullptr) std::abort();
    dir = name;
    orelith::gen::FieldParams p;
    p.width = p.height = 4096;
    p.starCount = 20000;
    p.gaussianAbove = 100;
    const orelith::gen::FieldPair field = orelith::gen::generateField(p);
    const orelith::gen::FitsLayout layout;
    if (!orelith::gen::writeFits(file("blue.fits"), field.blue.data(), 4096, 4096, {}, layout)
             .empty() ||
        !orelith::gen::writeFits(file("green.fits"), field.green.data(), 4096, 4096, {}, layout)
             .empty())
      std::abort();
    std::ofstream csv(file("standards.csv"));
    csv << "x,y,V,BV\n";
    int written = 0;
    for (const orelith::gen::TrueStar& t : field.truth) {
      if (written == 10 || t.saturated || t.V < 11 || t.V > 13) continue;
      csv << std::lround(t.x) << ',' << std::lround(t.y) << ',' << t.V << ',' << t.BV << '\n';
      ++written;
    }
  }
  ~FitsPair() { fs::remove_all(dir); }
  std::string file(const char* name) const { return (dir / name).string(); }
};

void BM_WholeFitsPair4096(benchmark::State& state) {
  static const FitsPair pair;
  const std::vector<std::string> args{ORELITH_BATCH,
                                      "--blue",
                                      pair.file("blue.fits"),
                                      "--green",
                                      pair.file("green.fits"),
                                      "--background-blue",
                                      "1200",
                                      "--background-green",
                                      "1200",
                                      "--search",
                                      "--compare",
                                      "--calibration",
                                      pair.file("standards.csv"),
                                      "--calculate",
                                      "--csv",
                                      pair.file("out.csv")};
  timeRuns(state, args);
}
BENCHMARK(BM_WholeFitsPair4096)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
