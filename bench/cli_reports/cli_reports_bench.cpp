// The reports as a script makes them: one scorestat-cli process per report,
// start-up, settings, query, grid and file included, on a generated exam.
//
//   bench_cli_reports [students] [runs]   defaults: 100000, 5
//
// Prints, per step, the median of `runs` wall times and the children's CPU
// time beside it (on a shared machine the CPU time says more).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/bench_util.h"
#include "common/generated_exam.h"
#include "data/score_database.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Timing {
  double wall = 0;
  double cpu = 0;
  long peak_kib = 0;  // the largest resident size of one process
};

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Runs scorestat-cli with `args` (its stderr thrown away); the child's CPU
// time is added to `used` and its peak resident size kept there when
// larger. False when it fails.
bool RunCli(const std::vector<std::string>& args, Timing& used) {
  std::vector<std::string> words = {SCORESTAT_CLI};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  used.cpu += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  used.peak_kib = std::max(used.peak_kib, usage.ru_maxrss);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The median wall time and CPU time of `runs` runs of `step`, and the
// largest process any of them ran.
Timing Measure(int runs, const std::function<bool(Timing&)>& step) {
  std::vector<double> walls, cpus;
  long peak_kib = 0;
  for (int i = 0; i < runs; ++i) {
    Timing used;
    const auto start = std::chrono::steady_clock::now();
    if (!step(used)) {
      std::fprintf(stderr, "scorestat-cli failed\n");
      std::exit(1);
    }
    walls.push_back(bench::SecondsSince(start));
    cpus.push_back(used.cpu);
    peak_kib = std::max(peak_kib, used.peak_kib);
  }
  return {bench::Median(walls), bench::Median(cpus), peak_kib};
}

void Print(const char* what, const Timing& t, const char* target) {
  std::printf("  %-44s %7.3f s wall %7.3f s cpu %6ld MiB peak   (target %s)\n", what, t.wall, t.cpu,
              t.peak_kib / 1024, target);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t students = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  std::printf("%s\n", bench::MachineLine().c_str());
  const fs::path dir = bench::FreshFolder("scorestat_bench_cli_reports");
  data::AppState state;
  if (!bench::ImportGeneratedExam(dir, bench::CountyExam(students), state)) return 1;
  data::LoadSubjectLines(state);
  const std::string db = state.database_path;
  std::printf("exam: %zu students, %d subjects, 300 classes; median of %d runs\n", students,
              state.subject_lines.Count(), runs);

  const std::vector<std::string> subjects = state.subject_lines.SubjectName;
  Print("gbkm, one process per subject, all subjects",
        Measure(runs,
                [&](Timing& used) {
                  for (const std::string& s : subjects)
                    if (!RunCli({"--db", db, "report", "gbkm", "--subject", s, "-o",
                                 (dir / "gbkm.json").string()},
                                used))
                      return false;
                  return true;
                }),
        "0.3 s");
  Print("zfdmbm to .json",
        Measure(runs,
                [&](Timing& used) {
                  return RunCli(
                      {"--db", db, "report", "zfdmbm", "-o", (dir / "zfdmbm.json").string()}, used);
                }),
        "0.3 s");
  Print("report all to .xlsx",
        Measure(
            runs,
            [&](Timing& used) {
              return RunCli({"--db", db, "report", "all", "-o", (dir / "all.xlsx").string()}, used);
            }),
        "6 s");
  fs::remove_all(dir);
  return 0;
}
