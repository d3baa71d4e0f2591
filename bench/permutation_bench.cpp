// Times whole analyses, from the file name to the start-again question, of
// generated samples (bench/presets.h), each in a fresh process of its own so
// that its peak memory is its own, with the console to /dev/null and the
// random source fixed. The machine may be shared: each preset runs several
// times and the median counts. For the medium preset it also times the
// literal procedure on a few lineups and gives the speed-up.
//
//   permutation_bench [preset ...]              all presets, or the ones named
//   permutation_bench --write preset folder     writes the preset's sample file
//   permutation_bench --analyse preset folder   one analysis of the file there
//   permutation_bench --compare preset folder analysis engine
//                                               the literal procedure against an
//                                               analysis and its engine's seconds
//
// Other arguments beginning with "--" are left to other benchmarks and ignored.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/fileanalysis.h"
#include "driver/analysis.h"
#include "driver/console/sinks.h"
#include "driver/globals.h"
#include "store/store.h"
#include "presets.h"
#include "stats/estimators.h"
#include "stats/fast/engine.h"
#include "stats/fast/lineups.h"
#include "stats/pairmeans.h"
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

Observed Observedof(const Distances &d, const Localities &division) {
  const Lineup lineup = Identitylineup(Pop.Numseqs);
  const double ks = Weightedwithin(Kj, d, division, lineup);
  const double kt = Kj(d, 1, Pop.Numseqs, lineup);
  const double ft = Fbetween(d, division.Start, division.Count, lineup);
  const double ksstar = Weightedwithin(Kjstar, d, division, lineup);
  const double ktstar = Kjstar(d, 1, Pop.Numseqs, lineup);
  const double fbstar = Fbetweenstar(d, division.Start, division.Count, lineup);
  return Observed{kt, 1.0 - ks / kt, 1.0 - ks / ft, ktstar, 1.0 - ksstar / ktstar, 1.0 - ksstar / fbstar};
}

std::string Plines(const std::string &results) {
  std::ifstream in(results);
  std::string line, all;
  while (std::getline(in, line))
    if (line.rfind("P(", 0) == 0)
      all += (all.empty() ? "" : ", ") + line.substr(0, line.find('\t') - 3) + " " + line.substr(line.find('\t') + 1);
  return all;
}

// The text's procedure word for word: a pair's difference counted position
// by position, one Getcode for each record at each position.
double Sitebysite(const Lineup &lineup, std::int32_t a, std::int32_t b) {
  const Sitearray &x = Pop.Seqs[lineup[a]].Sites, &y = Pop.Seqs[lineup[b]].Sites;
  std::int32_t diffs = 0;
  for (std::int32_t p = 1; p <= Pop.Numsegsites; ++p) diffs += Getcode(x, p) != Getcode(y, p) ? 1 : 0;
  return diffs;
}

double Sitebysitestar(const Lineup &lineup, std::int32_t a, std::int32_t b) {
  return std::log(1.0 + Sitebysite(lineup, a, b));
}

// Countlineup with every pair compared site by site.
void Countsitebysite(const Localities &division, const Observed &o, const Lineup &lineup, Lineupcounts &counts) {
  double ks = 0.0, kstars = 0.0;
  for (std::int32_t k = 1; k <= division.Count; ++k) {
    const std::int32_t first = division.Start[k], last = division.Start[k + 1] - 1;
    ks = ks + Withinmean(first, last, lineup, Sitebysite) * division.Weight[k];
    kstars = kstars + Withinmean(first, last, lineup, Sitebysitestar) * division.Weight[k];
  }
  if (1.0 - ks / o.Kt >= o.Kst) ++counts[Testkst];
  if (1.0 - ks / Betweenmean(division.Start, division.Count, lineup, Sitebysite) >= o.Fst) ++counts[Testfst];
  if (1.0 - kstars / o.Ktstar >= o.Kststar) ++counts[Testkststar];
  if (1.0 - kstars / Betweenmean(division.Start, division.Count, lineup, Sitebysitestar) >= o.Fsbstar)
    ++counts[Testfsbstar];
}

// The literal procedure on the loaded sample for a few lineups, site by site
// as the text states it, against the fast engine's share of the analysis
// just made. A lineup compares every pair twice (plain and log-transformed),
// each over all S sites. The program's own reference, Literalcounts, reads
// the difference table like the engine: it is checked for the same counts,
// not timed.
void Comparewithliteral(const presets::Preset &p, double analysis, double engine) {
  const Localities division = Divisionof(p);
  const Distances distances = Measuredistances(Pop);
  const Observed observed = Observedof(distances, division);
  const double comparisons = static_cast<double>(Pop.Numseqs) * (Pop.Numseqs - 1) * Pop.Numsegsites;
  constexpr int Literallineups = 10, Sitelineups = 3;
  Mersennetwister generator;
  Seedgenerator(generator, 7);
  const Lineupcounts literal = Literalcounts(distances, division, observed, Literallineups, generator);
  Seedgenerator(generator, 7);
  const Lineupcounts fast = Fastcounts(distances, division, observed, Literallineups, generator);
  // The same first lineups as Literalcounts draws, compared site by site.
  std::vector<Lineup> lineups;
  Seedgenerator(generator, 7);
  Runlineups(Pop.Numseqs, Sitelineups, 1, generator, [&](int, std::int32_t, const std::int32_t *order) {
    Lineup &l = lineups.emplace_back();
    for (std::int32_t q = 1; q <= Pop.Numseqs; ++q) l[q] = order[q - 1] + 1;
  });
  Seedgenerator(generator, 7);
  const Lineupcounts literalfew = Literalcounts(distances, division, observed, Sitelineups, generator);
  Lineupcounts sitecounts;
  const Clock::time_point start = Clock::now();
  for (const Lineup &l : lineups) Countsitebysite(division, observed, l, sitecounts);
  const double sitelineup = Seconds(start) / Sitelineups;

  const double rest = analysis - engine, literally = rest + sitelineup * p.lineups;
  std::printf(
      "  literal procedure site by site with Getcode (%d lineups): %.1f ms a lineup, %.2f ns a site"
      " comparison (%.3g a lineup)\n",
      Sitelineups, sitelineup * 1e3, sitelineup / comparisons * 1e9, comparisons);
  std::printf("  fast engine in the analysis: %.2f ms for %d lineups, %.2f us a lineup\n", engine * 1e3, p.lineups,
              engine / p.lineups * 1e6);
  std::printf("  whole analysis %.0fx faster than the literal procedure (%.1f s); its lineups %.0fx faster\n",
              literally / analysis, literally, sitelineup * p.lineups / engine);
  std::printf("  same counts: fast engine and Literalcounts over %d lineups %s, site by site over %d %s\n",
              Literallineups, fast == literal ? "yes" : "NO", Sitelineups, sitecounts == literalfew ? "yes" : "NO");
}

std::string Fileof(const presets::Preset &p) {
  return std::string(p.sample ? p.sample : p.name) + (p.fasta ? ".fasta" : ".txt");
}

// The preset whose file p analyses: its own, or the one it names.
const presets::Preset &Sampleof(const presets::Preset &p) { return p.sample ? *Find(p.sample) : p; }

// One analysis by the command line, as `halvik -q -s 1 -r R -l ... FILE`
// (with --null or --pairwise) runs it.
double Runcommandline(const presets::Preset &p, int &status) {
  Filerequest request;
  request.File = Fileof(p);
  const Localities division = Divisionof(p);
  request.Starts.assign(division.Start.begin() + 1, division.Start.begin() + 1 + division.Count);
  request.Results = request.File + ".HVK";
  request.Lineups = p.lineups;
  request.Seed = 1;
  request.Everyvalue = p.mode == presets::Mode::Null;
  request.Pairwise = p.mode == presets::Mode::Pairwise;
  request.Extended = p.mode != presets::Mode::Four;
  const Clock::time_point start = Clock::now();
  const Fileresult result = Analysefile(request);
  status = result.Ok() ? 0 : 1;
  return Seconds(start);
}

// One analysis of the preset's file in `folder`; its seconds.
double Runone(const presets::Preset &p, const std::string &folder, int &status) {
  fs::current_path(folder);
  if (p.mode != presets::Mode::Dialogue) return Runcommandline(p, status);
  const std::string file = Fileof(p);
  Fixedseed = 1;
  Initialise(-1, ::open("/dev/null", O_WRONLY | O_CLOEXEC));
  Keyboard.Buffer = presets::Answers(p, file);
  const Clock::time_point start = Clock::now();
  status = Runanalyses();
  return Seconds(start);
}

// The engine's share of an analysis of the sample in Pop, repeated on its own
// from the same seed, and how it decided the lineups.
Fastreport Engineof(const presets::Preset &p) {
  const Localities division = Divisionof(p);
  const Distances distances = Measuredistances(Pop);
  Fastreport report;
  Mersennetwister generator;
  Seedgenerator(generator, 1);
  Fastcounts(distances, division, Observedof(distances, division), p.lineups, generator, {0, &report});
  return report;
}

// Prints what one analysis did, ending with a line for the parent:
// "= analysis-seconds engine-seconds peak-megabytes".
int Analyse(const presets::Preset &p, const std::string &folder) {
  int status = 0;
  const double analysis = Runone(p, folder, status);
  const double peak = Peakmegabytes();
  if (p.mode != presets::Mode::Dialogue) {
    std::printf("  %s\n= %.6f 0 %.1f\n", Plines(Fileof(p) + ".HVK").c_str(), analysis, peak);
    std::fflush(stdout);
    return status;
  }
  const Fastreport r = Engineof(p);
  const double engine = r.Tableseconds + r.Lineupseconds;
  std::printf(
      "  fast engine: %.3f s tables, %.3f s lineups on %d workers, %.3f s the rest of the analysis;"
      " exact log sums for %lld lineups (%.3f%%), between localities for %lld\n",
      r.Tableseconds, r.Lineupseconds, r.Workers, analysis - engine, static_cast<long long>(r.Exactwithin),
      100.0 * static_cast<double>(r.Exactwithin) / p.lineups, static_cast<long long>(r.Exactbetween));
  std::printf("  %s\n= %.6f %.6f %.1f\n", Plines(std::string(p.name) + ".txt.HVK").c_str(), analysis, engine, peak);
  std::fflush(stdout);
  return status;
}

int Compare(const presets::Preset &p, const std::string &folder, double analysis, double engine) {
  int status = 0;
  Runone(p, folder, status);
  Comparewithliteral(p, analysis, engine);
  std::fflush(stdout);
  return status;
}

// Runs this program with the given arguments; its standard output, or
// nothing if it failed.
std::string Capture(const char *self, const std::vector<std::string> &arguments) {
  int channel[2];
  if (::pipe(channel) != 0) return "";
  const pid_t child = fork();
  if (child == 0) {
    ::dup2(channel[1], 1);
    ::close(channel[0]);
    ::close(channel[1]);
    std::vector<char *> argv{const_cast<char *>(self)};
    for (const std::string &a : arguments) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    execv("/proc/self/exe", argv.data());
    _exit(127);
  }
  ::close(channel[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
    output.append(buffer, static_cast<std::size_t>(got));
  ::close(channel[0]);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return "";
  return output;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// One analysis in a fresh process: its seconds, the engine's, its peak
// memory and what it printed; false if it failed.
struct Run {
  double Analysis = 0.0, Engine = 0.0, Megabytes = 0.0;
  std::string Details;
};

bool Runonce(const char *self, const presets::Preset &p, const std::string &folder, Run &run) {
  const std::string out = Capture(self, {"--analyse", p.name, folder});
  const std::size_t last = out.rfind("\n= ");
  if (last == std::string::npos ||
      std::sscanf(out.c_str() + last + 3, "%lf %lf %lf", &run.Analysis, &run.Engine, &run.Megabytes) != 3) {
    std::printf("%s: the analysis failed\n", p.name);
    return false;
  }
  run.Details = out.substr(0, last + 1);
  return true;
}

// The runs of one preset: medians, the best, the peak, the first's details.
struct Summary {
  std::vector<double> Analyses, Engines;
  double Peak = 0.0;
  std::string Details;
  void Add(const Run &run) {
    if (Analyses.empty()) Details = run.Details;
    Analyses.push_back(run.Analysis);
    Engines.push_back(run.Engine);
    Peak = std::max(Peak, run.Megabytes);
  }
  void Print(const presets::Preset &p, const char *how) const {
    std::printf("%-8s N=%d L=%d S=%d localities=%zu R=%d: %.4f s (median of %zu %s, best %.4f s), peak %.1f MB\n",
                p.name, p.sequences, p.length, p.sites, p.sizes.size(), p.lineups, Median(Analyses), Analyses.size(),
                how, *std::min_element(Analyses.begin(), Analyses.end()), Peak);
    std::printf("%s", Details.c_str());
  }
};

// Runs the preset's analysis `runs` times, each in a fresh process; prints
// the first run's details and the median figures. False if a run failed.
bool Benchpreset(const char *self, const presets::Preset &p, const std::string &folder, int runs, double &median) {
  Summary summary;
  for (int k = 0; k < runs; ++k) {
    Run run;
    if (!Runonce(self, p, folder, run)) return false;
    summary.Add(run);
  }
  summary.Print(p, "fresh runs");
  median = Median(summary.Analyses);
  if (std::string(p.name) != "medium") return true;
  char analysis[32], engine[32];
  std::snprintf(analysis, sizeof analysis, "%.6f", Median(summary.Analyses));
  std::snprintf(engine, sizeof engine, "%.6f", Median(summary.Engines));
  const std::string out = Capture(self, {"--compare", p.name, folder, analysis, engine});
  std::printf("  with the median analysis and its median engine time:\n%s",
              out.empty() ? "  the comparison failed\n" : out.c_str());
  return !out.empty();
}

// Presets compared with each other run interleaved, so that the machine's
// load falls on all alike: the two faces on one sample (the dialogue, the
// command line on the same file, and on the sample as one-line FASTA), and
// the command line with and without Snn and ΦST.
const std::vector<std::vector<const char *>> Together = {{"worst2", "cli2", "fasta2"}, {"cli30", "four30"}};

bool Benchtogether(const char *self, const std::vector<const char *> &names, const std::string &folder, int runs,
                   std::map<std::string, double> &medians, std::vector<Summary> &summaries) {
  summaries.assign(names.size(), Summary{});
  for (int k = 0; k < runs; ++k)
    for (std::size_t f = 0; f < names.size(); ++f) {
      Run run;
      if (!Runonce(self, *Find(names[f]), folder, run)) return false;
      summaries[f].Add(run);
    }
  for (std::size_t f = 0; f < names.size(); ++f) {
    summaries[f].Print(*Find(names[f]), "interleaved runs");
    medians[names[f]] = Median(summaries[f].Analyses);
  }
  return true;
}

bool Benchfaces(const char *self, const std::string &folder, int runs, std::map<std::string, double> &medians) {
  std::vector<Summary> summaries;
  if (!Benchtogether(self, Together[0], folder, runs, medians, summaries)) return false;
  const double dialogue = medians["worst2"], memory = summaries[0].Peak;
  std::printf("faces at worst2: the command line on the same file %.2fx the dialogue's time, peak %+.1f MB (targets"
              " 1.15x, +16 MB); on one-line FASTA %.2fx, peak %.1f MB (targets 1.3x, 64 MB)\n",
              medians["cli2"] / dialogue, summaries[1].Peak - memory, medians["fasta2"] / dialogue, summaries[2].Peak);
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 4 && std::strcmp(argv[1], "--analyse") == 0) {
    const presets::Preset *p = Find(argv[2]);
    return p == nullptr ? 2 : Analyse(*p, argv[3]);
  }
  if (argc == 6 && std::strcmp(argv[1], "--compare") == 0) {
    const presets::Preset *p = Find(argv[2]);
    return p == nullptr ? 2 : Compare(*p, argv[3], std::atof(argv[4]), std::atof(argv[5]));
  }
  if (argc == 4 && std::strcmp(argv[1], "--write") == 0) {
    const presets::Preset *p = Find(argv[2]);
    if (p != nullptr) presets::Writesample(Sampleof(*p), (fs::path(argv[3]) / Fileof(*p)).string(), p->fasta);
    return p == nullptr ? 2 : 0;
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
  std::printf(
      "Whole analyses, console to /dev/null (targets: worst2 <= 5 s, worst30 <= 3 s, medium >= 1000x the"
      " literal procedure, peak <= 64 MB; null2, null30 and null3 within 3x of cli2, cli30 and cli3; pairwise30 < 10 "
      "s; worst1 as fast as before; cli30, with Snn and PhiST, within 1.1x of four30 without them)\n");
  std::fflush(stdout);
  int failures = 0;
  std::map<std::string, double> medians;
  // A group runs together when every preset of it is chosen.
  const auto chosenname = [&](const char *name) {
    return std::any_of(chosen.begin(), chosen.end(), [&](const presets::Preset *p) { return std::string(p->name) == name; });
  };
  std::vector<bool> together(Together.size());
  for (std::size_t g = 0; g < Together.size(); ++g)
    together[g] = std::all_of(Together[g].begin(), Together[g].end(), chosenname);
  const auto ingroup = [&](const presets::Preset *p) {
    for (std::size_t g = 0; g < Together.size(); ++g)
      for (const char *name : Together[g])
        if (together[g] && std::string(name) == p->name) return true;
    return false;
  };
  for (const presets::Preset *p : chosen) {
    const fs::path file = folder / Fileof(*p);
    if (!fs::exists(file)) presets::Writesample(Sampleof(*p), file.string(), p->fasta);
  }
  if (together[0] && !Benchfaces(argv[0], folder.string(), 5, medians)) ++failures;
  std::vector<Summary> summaries;
  if (together[1] && !Benchtogether(argv[0], Together[1], folder.string(), 5, medians, summaries)) ++failures;
  for (const presets::Preset *p : chosen) {
    if (ingroup(p)) continue;
    // The medium analysis lasts milliseconds, so its median is cheap and
    // needs more runs to settle.
    if (!Benchpreset(argv[0], *p, folder.string(), std::string(p->name) == "medium" ? 9 : 3, medians[p->name]))
      ++failures;
    std::fflush(stdout);
  }
  for (const auto &[with, without] : {std::pair{"null2", "cli2"}, std::pair{"null30", "cli30"},
                                     std::pair{"null3", "cli3"}, std::pair{"cli30", "four30"}})
    if (medians[with] > 0 && medians[without] > 0)
      std::printf("%s takes %.2fx the time of %s\n", with, medians[with] / medians[without], without);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return failures == 0 ? 0 : 1;
}
