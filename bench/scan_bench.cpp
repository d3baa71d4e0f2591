// Times halvik scan on generated VCFs, each run in a child process of its
// own so that its peak memory is its own, and times vcftools's windowed Fst
// on the same file in the same run, runs of the two taking turns, the median
// of three counting. vcftools tests nothing; the target is that the scan,
// testing every window with 999 lineups, takes no longer.
//
//   scan_bench [preset ...]   all presets, or the ones named
//
// Other arguments beginning with "--" are left to other benchmarks and ignored.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <htslib/bgzf.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "scan/scan.h"

namespace fs = std::filesystem;

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

// A preset: the file (samples, records over a genome, missing calls) and
// how the scan runs on it.
struct Preset {
  const char *Name;
  std::vector<std::string> Options;  // besides -g, -r, -s, -o
  bool Versus;                       // timed beside vcftools
};

const std::vector<Preset> &Presets() {
  static const std::vector<Preset> all = {
      // The target: 10 kb windows, 999 lineups, both cores, no stopping.
      {"scan", {"-w", "10000"}, true},
      // Sequential stopping on the same file.
      {"scan-stop", {"-w", "10000", "--stop-after", "20"}, false},
      // The largest windows the memory target speaks of.
      {"scan-100kb", {"-w", "100000"}, false},
      // One thread, for the share the second core takes.
      {"scan-1thread", {"-w", "10000", "-j", "1"}, false},
  };
  return all;
}

void Put(BGZF *file, std::string &text) {
  if (bgzf_write(file, text.data(), text.size()) < 0) {
    std::fprintf(stderr, "scan_bench: cannot write the VCF\n");
    std::exit(1);
  }
  text.clear();
}

// 100 phased diploid samples in two localities of 50, 200,000 biallelic
// records over 20 Mb, 1% of calls missing; each locality's allele frequency
// drawn near the other's.
void Writevcf(const fs::path &folder) {
  std::mt19937_64 random(20240917u);
  std::uniform_real_distribution<double> unit(0, 1);
  std::normal_distribution<double> shift(0, 0.1);
  constexpr int Samples = 100, Records = 200000, Length = 20000000;
  std::vector<int> positions;
  std::vector<bool> taken(Length + 1);
  while (positions.size() < Records) {
    const int p = 1 + static_cast<int>(random() % Length);
    if (!taken[p]) positions.push_back(p);
    taken[p] = true;
  }
  std::sort(positions.begin(), positions.end());
  BGZF *file = bgzf_open((folder / "bench.vcf.gz").c_str(), "w");
  std::string text =
      "##fileformat=VCFv4.2\n##contig=<ID=chr1,length=20000000>\n"
      "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
      "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT";
  std::ofstream map(folder / "localities.txt"), a(folder / "A.txt"), b(folder / "B.txt");
  for (int s = 1; s <= Samples; ++s) {
    text += "\ts" + std::to_string(s);
    map << "s" << s << '\t' << (s <= Samples / 2 ? "A" : "B") << '\n';
    (s <= Samples / 2 ? a : b) << "s" << s << '\n';
  }
  text += '\n';
  for (const int p : positions) {
    const double fa = unit(random) * 0.5, fb = std::clamp(fa + shift(random), 0.0, 1.0);
    text += "chr1\t" + std::to_string(p) + "\t.\tA\tG\t.\tPASS\t.\tGT";
    for (int s = 0; s < Samples; ++s) {
      const double f = s < Samples / 2 ? fa : fb;
      if (unit(random) < 0.01) {
        text += "\t./.";
        continue;
      }
      text += unit(random) < f ? "\t1|" : "\t0|";
      text += unit(random) < f ? '1' : '0';
    }
    text += '\n';
    if (text.size() > (1 << 20)) Put(file, text);
  }
  Put(file, text);
  if (bgzf_close(file) != 0) std::exit(1);
}

struct Timing {
  double Wall, Cpu, Peak;  // seconds, seconds, MB
  int Status;
};

// Runs `body` in a child process with its output to /dev/null.
template <class Body>
Timing Inchild(Body body) {
  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  return {wall, cpu, static_cast<double>(usage.ru_maxrss) / 1024.0, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

Timing Scan(const Preset &p, const fs::path &folder) {
  std::vector<std::string> words = {"scan", "-q", "-g", (folder / "localities.txt").string(), "-r", "999",
                                    "-s",   "1",  "-o", (folder / "table.tsv").string()};
  words.insert(words.end(), p.Options.begin(), p.Options.end());
  words.push_back((folder / "bench.vcf.gz").string());
  return Inchild([&] {
    std::vector<char *> argv;
    for (std::string &w : words) argv.push_back(w.data());
    return halvik::Runscan(static_cast<int>(argv.size()), argv.data());
  });
}

Timing Vcftools(const fs::path &folder) {
  const std::string vcf = (folder / "bench.vcf.gz").string(), a = (folder / "A.txt").string(),
                    b = (folder / "B.txt").string(), out = (folder / "vcftools").string();
  return Inchild([&] {
    const char *argv[] = {"vcftools", "--gzvcf",           vcf.c_str(), "--weir-fst-pop", a.c_str(),   "--weir-fst-pop",
                          b.c_str(),  "--fst-window-size", "10000",     "--out",          out.c_str(), nullptr};
    if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) return 1;
    execvp("vcftools", const_cast<char **>(argv));
    return 127;
  });
}

Timing Median(std::vector<Timing> runs) {
  std::sort(runs.begin(), runs.end(), [](const Timing &x, const Timing &y) { return x.Wall < y.Wall; });
  Timing middle = runs[runs.size() / 2];
  for (const Timing &t : runs) middle.Peak = std::max(middle.Peak, t.Peak);
  return middle;
}

bool Hasvcftools() {
  const char *path = std::getenv("PATH");
  std::string paths = path ? path : "";
  for (std::size_t at = 0; at <= paths.size();) {
    const std::size_t colon = std::min(paths.find(':', at), paths.size());
    if (access((paths.substr(at, colon - at) + "/vcftools").c_str(), X_OK) == 0) return true;
    at = colon + 1;
  }
  return false;
}

// Returns whether the preset met its targets.
bool Runpreset(const Preset &p, const fs::path &folder) {
  std::vector<Timing> scans, others;
  const bool versus = p.Versus && Hasvcftools();
  for (int round = 0; round < 3; ++round) {
    scans.push_back(Scan(p, folder));
    if (versus) others.push_back(Vcftools(folder));
  }
  const Timing s = Median(scans);
  if (s.Status != 0) {
    std::printf("%-13s halvik scan failed with status %d\n", p.Name, s.Status);
    return false;
  }
  std::printf("%-13s halvik %.2f s (%.2f s CPU, peak %.0f MB)", p.Name, s.Wall, s.Cpu, s.Peak);
  bool met = s.Peak < 256;
  if (versus) {
    const Timing v = Median(others);
    std::printf("; vcftools %.2f s (%.2f s CPU, peak %.0f MB); halvik/vcftools %.2f", v.Wall, v.Cpu, v.Peak,
                s.Wall / v.Wall);
    met = met && v.Status == 0 && s.Wall <= v.Wall;
  } else if (p.Versus) {
    std::printf("; vcftools is not installed: not timed beside it");
  }
  std::printf("%s\n", met ? "" : "  <- misses its target");
  std::fflush(stdout);
  return met;
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<const Preset *> chosen;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--", 2) == 0) continue;
    const auto found = std::find_if(Presets().begin(), Presets().end(),
                                    [&](const Preset &p) { return std::strcmp(p.Name, argv[i]) == 0; });
    if (found == Presets().end()) {
      std::fprintf(stderr, "no preset %s\n", argv[i]);
      return 2;
    }
    chosen.push_back(&*found);
  }
  if (chosen.empty())
    for (const Preset &p : Presets()) chosen.push_back(&p);
  const fs::path folder = fs::temp_directory_path() / ("halvik-scan-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::printf(
      "Genome scans: 100 phased diploid samples in 2 localities, 200,000 biallelic records over 20 Mb, 1%% of calls "
      "missing, 999 lineups a window (targets: scan no slower than vcftools --weir-fst-pop --fst-window-size 10000 "
      "on the same file; peak < 256 MB)\n");
  std::fflush(stdout);
  Writevcf(folder);
  bool met = true;
  for (const Preset *p : chosen) met = Runpreset(*p, folder) && met;
  fs::remove_all(folder);
  return met ? 0 : 1;
}
