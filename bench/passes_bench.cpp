// Times the three passes over a sequence file of the largest size Halvik
// takes: 1000 sequences of 100000 nucleotides with 10000 segregating sites.
// The argument is how many of those sites each sequence after the first
// differs at: 11 gives about 11000 found-site lines, 10000 about ten million.
// The console goes to /dev/null, the results file to a temporary folder.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "driver/console/bounded.h"
#include "driver/console/failure.h"
#include "driver/console/sinks.h"
#include "driver/globals.h"
#include "driver/printer.h"
#include "population/segsites.h"
#include "store/store.h"
#include "seqfile/verify.h"

namespace fs = std::filesystem;
using namespace halvik;

namespace {

constexpr int Sequences = 1000;
constexpr int Length = 100000;
constexpr int Sites = 10000;

fs::path Folder() {
  static const fs::path folder = [] {
    fs::path path = fs::temp_directory_path() / ("halvik-passes-bench-" + std::to_string(::getpid()));
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

// Sequence j > 1 differs from sequence 1 at `differing` of the segregating
// sites, consecutive in a ring, so that together they cover all of them.
std::string Makefile(int differing) {
  static std::map<int, std::string> made;
  if (made.count(differing)) return made[differing];
  const std::string name = (Folder() / ("sample" + std::to_string(differing) + ".txt")).string();
  std::mt19937 random(12345);
  std::string first(Length, 'A');
  for (char &c : first) c = "AGCT"[random() % 4];
  std::vector<int> sites(Sites);
  for (int k = 0; k < Sites; ++k) sites[k] = k * (Length / Sites) + static_cast<int>(random() % (Length / Sites));
  std::ofstream out(name, std::ios::binary);
  std::string line;
  for (int j = 1; j <= Sequences; ++j) {
    line = first;
    if (j > 1)
      for (int t = 0; t < differing; ++t) {
        char &c = line[static_cast<std::size_t>(sites[static_cast<std::size_t>(((j - 2) * differing + t) % Sites)])];
        c = c == 'A' ? 'G' : 'A';
      }
    out << "seq" << j << ' ' << line << '\n';
  }
  return made[differing] = name;
}

void Prepare(int differing) {
  static const int devnull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  Initialise(-1, devnull);
  Filename = Makefile(differing);
  Createfile(Outfile, Filename + ".HVK");
}

void Finishrun(benchmark::State &state) {
  Deliver(Console);
  Closefile(Outfile);
  if (!Errormessage.empty()) state.SkipWithError(Errormessage.c_str());
}

void Run(bool verify, bool find) {
  const Sequencesource source{Filename};
  Dialogueprinter printer(Console, Outfile);
  try {
    if (verify) Verifysequences(source, Pop, printer);
    if (find) Findsegsites(source, Pop, printer);
  } catch (const Fatalerror &refusal) {
    Assignbounded(Errormessage, refusal.Message);
  }
}

void Verify(benchmark::State &state) {
  Prepare(static_cast<int>(state.range(0)));
  for (auto _ : state) Run(true, false);
  Finishrun(state);
}

void Find(benchmark::State &state) {
  Prepare(static_cast<int>(state.range(0)));
  Run(true, false);
  for (auto _ : state) Run(false, true);
  Finishrun(state);
}

void Allpasses(benchmark::State &state) {
  Prepare(static_cast<int>(state.range(0)));
  for (auto _ : state) Run(true, true);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 3 * Sequences * Length);
  Finishrun(state);
}

BENCHMARK(Verify)->Arg(11)->Unit(benchmark::kMillisecond);
BENCHMARK(Find)->Arg(11)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(Allpasses)->Arg(11)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return 0;
}
