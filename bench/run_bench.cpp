// A whole orelith-batch run on the sample frames, as a process: start-up,
// search, comparison, calibration, every output. The time is the CPU time of
// the process (user and system); "peak_kb" its largest resident size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

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

void BM_WholeRun(benchmark::State& state) {
  const fs::path out =
      fs::temp_directory_path() / ("orelith-run-bench-" + std::to_string(::getpid()));
  fs::create_directories(out);
  const std::vector<std::string> args = runArguments(out, state.range(0) != 0);
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
  fs::remove_all(out);
}
// Argument 0: fixed background level; 1: automatic background.
BENCHMARK(BM_WholeRun)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
