// Any bytes, as a VCF (or BCF, or bgzipped), read by the scan's source
// through its windows and tested: a refusal is one line that names the file,
// and whatever is read keeps the scan's promises. The samples go alternately
// to two localities; windows of 40 bp every 20 overlap.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "driver/console/failure.h"
#include "scan/collect.h"
#include "scan/samples.h"
#include "scan/vcf.h"
#include "scan/windowtest.h"

namespace {

using namespace halvik;

void Require(bool holds) {
  if (!holds) std::abort();
}

const std::string &Inputname() {
  static const std::string name = [] {
    char folder[] = "/tmp/halvik-vcf-fuzz-XXXXXX";
    Require(::mkdtemp(folder) != nullptr);
    return std::string(folder) + "/in.vcf";
  }();
  return name;
}

void Checkrefusal(const std::string &message) {
  Require(message.rfind(Inputname() + ": ", 0) == 0);
  Require(message.find('\n') == std::string::npos);
}

// What the window holds against what was read, and its row against the window.
void Checkwindow(const Windowdata &w, const Windowresult &row, std::int32_t lineups) {
  Require(w.Start <= w.End && w.Variants <= w.Records && w.Kept <= w.Records && w.Planes <= 3);
  Require(w.Alleles.size() == static_cast<std::size_t>(w.Samples * w.Ploidy * w.Planes * w.Words));
  Require(row.Records == w.Records && row.Samples <= w.Samples && row.Haplotypes == row.Samples * w.Ploidy);
  for (const Testresult &t : row.Tests) {
    Require(t.Count >= 0 && t.Count <= t.Drawn && t.Drawn <= lineups);
    Require(t.Drawn == 0 || !std::isnan(t.Value));
  }
  for (const Testresult &t : {row.Tests[Kstat], row.Tests[Fstat]})
    Require(std::isnan(t.Value) || (t.Value <= 1.0 + 1e-12 && std::isfinite(t.Value)));
}

void Scan(Vcfsource &source) {
  const std::vector<std::string> &names = source.Samplenames();
  Groupmap map;
  for (std::size_t s = 0; s < names.size(); ++s) map.Entries.emplace_back(names[s], s % 2 ? "B" : "A");
  auto laid = Layout(names, map, "map", Inputname());
  if (const Refusal *refusal = std::get_if<Refusal>(&laid))
    return Require(refusal->Message.find('\n') == std::string::npos);
  const Samplelayout &layout = std::get<Samplelayout>(laid);
  source.Choose(layout.Columns);
  Windowplan plan;
  plan.Size = 40;
  plan.Step = 20;
  constexpr std::int32_t Lineups = 7;
  const Testsetup setup = Setuptests(layout, Lineups, 1, 0);
  const bool test = layout.Columns.size() <= 40;  // larger samples would slow the fuzzer down
  Windower windower(plan, static_cast<std::int32_t>(layout.Columns.size()), [&](Windowdata &&w) {
    if (test) Checkwindow(w, Testwindow(w, setup), Lineups);
  });
  Vcfrecord record;
  std::int32_t chrom = 0;
  std::int64_t last = 0;
  std::size_t chroms = 0;
  while (source.Next(record, chrom)) {
    Require(static_cast<std::size_t>(chrom) + 1 == source.Chromosomes().size());
    Require(source.Chromosomes().size() > chroms || record.Position >= last);  // sorted, or refused
    chroms = source.Chromosomes().size();
    last = record.Position;
    Require(record.Calls.size() == 2 * layout.Columns.size());
    windower.Add(record, source.Chromosomes()[static_cast<std::size_t>(chrom)], source.Ploidy());
  }
  windower.Finish(source.Ploidy());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  {
    std::ofstream out(Inputname(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
  }
  auto opened = Vcfsource::Open(Inputname());
  if (const Refusal *refusal = std::get_if<Refusal>(&opened)) {
    Checkrefusal(refusal->Message);
    return 0;
  }
  try {
    Scan(*std::get<std::unique_ptr<Vcfsource>>(opened));
  } catch (const Fatalerror &refusal) {
    Checkrefusal(refusal.Message);
  }
  return 0;
}
