#include "scan/run.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "alignment/groups.h"
#include "cli/progress.h"
#include "cli/version.h"
#include "driver/console/failure.h"
#include "scan/collect.h"
#include "scan/pipeline.h"
#include "scan/report.h"
#include "stats/random.h"

namespace halvik {

namespace {

// Everything read before the scan: the map's localities, the windows, the file.
struct Prepared {
  Samplelayout Layout;
  Windowplan Plan;
  std::unique_ptr<Vcfsource> Source;
};

template <class Value>
Value Accepted(std::variant<Value, Refusal> &&read) {
  if (Refusal *refusal = std::get_if<Refusal>(&read)) throw Scanstop{Refusedstatus, refusal->Message};
  return std::get<Value>(std::move(read));
}

Prepared Prepare(const Scanoptions &o) {
  const std::string vcf = o.Inputs.front();
  std::vector<std::string> inputs{vcf, o.Groups}, outputs;
  if (!o.Regions.empty()) inputs.push_back(o.Regions);
  if (!o.Output.empty()) outputs.push_back(o.Output);
  if (!o.Plot.empty()) outputs.push_back(o.Plot);
  if (const std::string clash = Collision(inputs, outputs); !clash.empty()) throw Scanstop{Usagestatus, clash};
  const Groupmap map = Accepted(Readgroups(o.Groups, Readinput("--groups", o.Groups)));
  Prepared p;
  p.Plan.Size = o.Size;
  p.Plan.Step = o.Step;
  p.Plan.Region = o.Region;
  if (!o.Regions.empty())
    if (const auto refusal = Readbed(o.Regions, Readinput("--regions", o.Regions), p.Plan))
      throw Scanstop{Refusedstatus, refusal->Message};
  p.Source = Accepted(Vcfsource::Open(vcf));
  p.Layout = Accepted(Layout(p.Source->Samplenames(), map, o.Groups, vcf));
  p.Source->Choose(p.Layout.Columns);
  if (const std::vector<Readspan> spans = Spansof(p.Plan); !spans.empty() || !p.Plan.Grid()) p.Source->Restrict(spans);
  return p;
}

std::string Localities(const Samplelayout &layout) {
  std::string text;
  for (std::size_t k = 0; k < layout.Sizes.size(); ++k)
    text += (k ? ", " : "") + layout.Localities[k] + " " + std::to_string(layout.Sizes[k]);
  return text;
}

// Reads every record into windows, handed to `take`.
void Readwindows(Prepared &p, const Windowtaker &take, std::atomic<std::int64_t> &progress) {
  Windower windower(p.Plan, static_cast<std::int32_t>(p.Layout.Columns.size()), take);
  Vcfrecord record;
  std::int32_t chrom = 0;
  for (std::int64_t n = 0; p.Source->Next(record, chrom); ++n) {
    windower.Add(record, p.Source->Chromosomes()[static_cast<std::size_t>(chrom)], p.Source->Ploidy());
    if (n % 4096 == 0) progress = p.Source->Bytesread();
  }
  windower.Finish(p.Source->Ploidy());
}

// One line on standard error when the scan is done.
void Tell(const std::string &vcf, std::int64_t windows, std::int64_t tested, const Samplelayout &layout,
          const Runinfo &run) {
  std::fprintf(stderr,
               "halvik scan: %s: done (%lld %s, %lld tested; %zu samples in %zu localities: %s; %d %s, seed %u)\n",
               vcf.c_str(), static_cast<long long>(windows), windows == 1 ? "window" : "windows",
               static_cast<long long>(tested), layout.Columns.size(), layout.Sizes.size(), Localities(layout).c_str(),
               run.Lineups, run.Lineups == 1 ? "lineup" : "lineups", run.Seed);
}

}  // namespace

std::string Readinput(const std::string &option, const std::string &name) {
  std::ifstream in(name, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) throw Scanstop{Usagestatus, option + ": " + name + ": cannot be read"};
  if (!in.is_open()) throw Scanstop{Usagestatus, option + ": " + name + ": cannot be read"};
  return content;
}

int Scanvcf(const Scanoptions &o) {
  Prepared p = Prepare(o);
  Destinations to(o);
  Runinfo run{o.Lineups, o.Seed ? *o.Seed : Deviceseed(), o.Stopafter, Version};
  const Testsetup setup = Setuptests(p.Layout, o.Lineups, run.Seed, o.Stopafter);
  const int threads = o.Threads > 0 ? o.Threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  Spool spool;
  Qvalues qvalues;
  std::int64_t tested = 0;
  std::atomic<std::int64_t> progress = 0;
  {
    const Progressbar bar(!o.Quiet, "halvik scan: " + o.Inputs.front(), p.Source->Filesize(), progress);
    Testwindows([&](const Windowtaker &take) { Readwindows(p, take, progress); }, setup, threads,
                [&](Windowresult &&row) {
                  tested += row.Tests[Kstat].Drawn > 0 || row.Tests[Phistat].Drawn > 0;
                  qvalues.Add(row, run);
                  spool.Write(row);
                });
  }
  Report(spool, qvalues, run, to, o.Inputs.front());
  if (!o.Quiet) Tell(o.Inputs.front(), spool.Rows(), tested, p.Layout, run);
  return 0;
}

}  // namespace halvik
