// Times whole analyses, from the file name to the start-again question, of
// generated samples (bench/presets.h), each in a fresh process of its own so
// that its peak memory is its own. The console goes to /dev/null and the
// random source is fixed. For the medium preset it also times a few lineups
// of the literal procedure and gives the speed-up.
//
//   permutation_bench [preset ...]   all presets, or the ones named
//
// Arguments beginning with "--" are left to other benchmarks and ignored.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/analysis.h"
#include "driver/globals.h"
#include "population/store.h"
#include "presets.h"
#include "stats/estimators.h"
#include "stats/fastcounts.h"
#include "stats/permutation.h"
#include "stats/random.h"
#include "stats/subdivision.h"

namespace fs = std::filesystem;
using namespace halvik;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

double Peakmegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

const presets::Preset *Find(const std::string &name) {
  for (const presets::Preset &p : presets::All())
    if (name == p.name) return &p;
  return nullptr;
}

Localities Divisionof(const presets::Preset &p) {
  Localities division;
  division.Count = static_cast<std::int32_t>(p.sizes.size());
  division.Start[1] = 1;
  for (std::int32_t k = 1; k <= division.Count; ++k) {
    division.Start[k + 1] = division.Start[k] + p.sizes[static_cast<std::size_t>(k - 1)];
    division.Weight[k] = static_cast<double>(p.sizes[static_cast<std::size_t>(k - 1)]) / p.sequences;
  }
  return division;
}

Observed Observedof(const Localities &division) {
  const Lineup lineup = Identitylineup(Pop.Numseqs);
  const double ks = Weightedwithin(Kj, division, lineup, false);
  const double kt = Kj(1, Pop.Numseqs, lineup, false);
  const double ft = Fbetween(division.Start, division.Count, lineup);
  const double kstars = Weightedwithin(Kjstar, division, lineup, false);
  const double kstart = Kjstar(1, Pop.Numseqs, lineup, false);
  const double fstarb = Fbetweenstar(division.Start, division.Count, lineup);
  return Observed{kt, 1.0 - ks / kt, 1.0 - ks / ft, kstart, 1.0 - kstars / kstart, 1.0 - kstars / fstarb};
}

std::string Plines(const std::string &results) {
  std::ifstream in(results);
  std::string line, all;
  while (std::getline(in, line))
    if (line.rfind("P(", 0) == 0) all += (all.empty() ? "" : ", ") + line.substr(0, line.find('\t') - 3) + " " +
                                         line.substr(line.find('\t') + 1);
  return all;
}

// The literal procedure on the loaded sample, a few lineups, against the
// fast engine on all of them.
void Comparewithliteral(const presets::Preset &p, double analysis) {
  const Localities division = Divisionof(p);
  const Observed observed = Observedof(division);
  constexpr int Literallineups = 10;
  Seedrandom(7);
  Clock::time_point start = Clock::now();
  const Lineupcounts slow = Literalcounts(division, observed, Literallineups);
  const double literal = Seconds(start) / Literallineups;
  Seedrandom(7);
  const Lineupcounts fast = Fastcounts(division, observed, Literallineups);
  start = Clock::now();
  Fastcounts(division, observed, p.lineups);
  const double engine = Seconds(start);
  std::printf("  literal procedure: %.3f ms a lineup, %.1f s for %d lineups (extrapolated)\n", literal * 1e3,
              literal * p.lineups, p.lineups);
  std::printf("  fast engine alone: %.4f s for %d lineups: %.0fx faster\n", engine, p.lineups,
              literal * p.lineups / engine);
  std::printf("  whole analysis: %.0fx faster than with the literal procedure (%.1f s)\n",
              (analysis - engine + literal * p.lineups) / analysis, analysis - engine + literal * p.lineups);
  std::printf("  first %d lineups, same counts from both engines: %s\n", Literallineups,
              slow == fast ? "yes" : "NO");
}

int Analyse(const presets::Preset &p, const std::string &folder) {
  fs::current_path(folder);
  const std::string file = std::string(p.name) + ".txt";
  Fixedseed = 1;
  Initialise(-1, ::open("/dev/null", O_WRONLY | O_CLOEXEC));
  Keyboard.buffer = presets::Answers(p, file);
  const Clock::time_point start = Clock::now();
  const int status = Runanalyses();
  const double analysis = Seconds(start);
  const Fastreport &r = Lastfastreport;
  std::printf("%-8s N=%d L=%d S=%d localities=%zu R=%d: %.3f s, peak %.1f MB%s\n", p.name, p.sequences, p.length,
              p.sites, p.sizes.size(), p.lineups, analysis, Peakmegabytes(), status == 0 ? "" : " (FAILED)");
  if (r.Lineups == p.lineups)
    std::printf("  fast engine: %.3f s tables, %.3f s lineups on %d workers, %.3f s the rest of the analysis;"
                " exact log sums for %lld lineups (%.3f%%), between localities for %lld\n",
                r.Tableseconds, r.Lineupseconds, r.Workers, analysis - r.Tableseconds - r.Lineupseconds, static_cast<long long>(r.Exactwithin),
                100.0 * static_cast<double>(r.Exactwithin) / p.lineups, static_cast<long long>(r.Exactbetween));
  else
    std::printf("  (the analysis did not use the fast engine)\n");
  std::printf("  %s\n", Plines(file + ".HVK").c_str());
  if (std::string(p.name) == "medium") Comparewithliteral(p, analysis);
  std::fflush(stdout);
  return status;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 4 && std::strcmp(argv[1], "--analyse") == 0) {
    const presets::Preset *p = Find(argv[2]);
    return p == nullptr ? 2 : Analyse(*p, argv[3]);
  }
  std::vector<const presets::Preset *> chosen;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--", 2) != 0) {
      const presets::Preset *p = Find(argv[i]);
      if (p == nullptr) {
        std::fprintf(stderr, "no preset %s\n", argv[i]);
        return 2;
      }
      chosen.push_back(p);
    }
  if (chosen.empty())
    for (const presets::Preset &p : presets::All()) chosen.push_back(&p);

  const fs::path folder = fs::temp_directory_path() / ("halvik-permutation-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::printf("Whole analyses, console to /dev/null (targets: worst2 <= 5 s, worst30 <= 3 s, medium >= 1000x the"
              " literal procedure; peak <= 64 MB)\n");
  std::fflush(stdout);
  int failures = 0;
  for (const presets::Preset *p : chosen) {
    presets::Writesample(*p, (folder / (std::string(p->name) + ".txt")).string());
    const pid_t child = fork();
    if (child == 0) {
      execl("/proc/self/exe", argv[0], "--analyse", p->name, folder.c_str(), static_cast<char *>(nullptr));
      _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::printf("%s: the analysis failed\n", p->name);
      ++failures;
    }
    fs::remove(folder / (std::string(p->name) + ".txt"));
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return failures == 0 ? 0 : 1;
}
