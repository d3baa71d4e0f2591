// For the scan's tests: small VCFs made from a seed, the program run on
// them, its TSV read back, and a deliberately plain reference that computes
// a window's statistics and counts from the text alone.
#pragma once
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <htslib/bgzf.h>
#include <htslib/tbx.h>
#include <htslib/vcf.h>

#include "scan/collect.h"
#include "scan/samples.h"
#include "scan/vcf.h"
#include "stats/fast/lineups.h"
#include "stats/random.h"
#include "support.h"

namespace scantest {

using namespace support;

// A VCF's samples: name and locality, in column order.
struct Cohort {
  std::vector<std::string> Names, Places;
  std::string Map() const {
    std::string map;
    for (std::size_t s = 0; s < Names.size(); ++s) map += Names[s] + "\t" + Places[s] + "\n";
    return map;
  }
};

struct Vcfrecipe {
  Cohort Samples;
  int Records = 60;
  std::int64_t Length = 3000;  // positions drawn from 1..Length
  double Missing = 0.1, Unphasedshare = 0.0, Differentiation = 0.3;
  bool Triallelic = true;  // some records with a second ALT
  std::uint32_t Seed = 1;
};

inline const char *const Vcfhead =
    "##fileformat=VCFv4.2\n##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
    "##FILTER=<ID=q10,Description=\"Low quality\">\n";

inline std::string Headerline(const Cohort &c) {
  std::string line = "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT";
  for (const std::string &name : c.Names) line += "\t" + name;
  return line + "\n";
}

// Records at distinct positions on chromosome c1, some of each kind the
// scan skips, some with three alleles and invariant sites among them; each
// locality leans to its own allele frequency.
inline std::string Makevcf(const Vcfrecipe &recipe) {
  std::mt19937_64 random(recipe.Seed);
  std::uniform_real_distribution<double> unit(0, 1);
  std::vector<std::int64_t> positions;
  while (positions.size() < static_cast<std::size_t>(recipe.Records)) {
    const std::int64_t p = 1 + static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(recipe.Length));
    if (std::find(positions.begin(), positions.end(), p) == positions.end()) positions.push_back(p);
  }
  std::sort(positions.begin(), positions.end());
  std::string vcf = std::string(Vcfhead) + Headerline(recipe.Samples);
  for (const std::int64_t p : positions) {
    const double kind = unit(random);
    std::string ref = "A", alt = kind < 0.1 ? "." : kind < 0.2 && recipe.Triallelic ? "G,T" : "G", filter = "PASS";
    if (kind > 0.95)
      filter = "q10";
    else if (kind > 0.92)
      alt = "GA";
    else if (kind > 0.9)
      alt = "G,*";
    const int alleles = alt == "." ? 1 : alt == "G,T" ? 3 : 2;
    const double base = unit(random);
    std::string line = "c1\t" + std::to_string(p) + "\t.\t" + ref + "\t" + alt + "\t.\t" + filter + "\t.\tGT";
    for (std::size_t s = 0; s < recipe.Samples.Names.size(); ++s) {
      const double lean = recipe.Samples.Places[s] == recipe.Samples.Places[0] ? recipe.Differentiation : 0.0;
      const double frequency = std::clamp(base * 0.6 + lean * unit(random), 0.0, 1.0);
      auto allele = [&] {
        if (alleles == 1) return 0;
        if (unit(random) >= frequency) return 0;
        return alleles == 3 && unit(random) < 0.3 ? 2 : 1;
      };
      const int a = allele(), b = allele();
      const bool missing = unit(random) < recipe.Missing;
      const char sep = unit(random) < recipe.Unphasedshare ? '/' : '|';
      line += missing ? (unit(random) < 0.5 ? std::string("\t./.") : std::string("\t.|") + std::to_string(b))
                      : "\t" + std::to_string(a) + sep + std::to_string(b);
    }
    vcf += line + "\n";
  }
  return vcf;
}

inline Cohort Makecohort(const std::vector<int> &sizes, const std::string &prefix = "s") {
  Cohort c;
  for (std::size_t k = 0; k < sizes.size(); ++k)
    for (int i = 0; i < sizes[k]; ++i) {
      c.Names.push_back(prefix + std::to_string(c.Names.size() + 1));
      c.Places.push_back("place" + std::to_string(k + 1));
    }
  return c;
}

// A run of the built program from the working folder.
struct Ran {
  int Status;
  std::string Out, Err;
};

inline Ran Runhalvik(const std::string &arguments) {
  Inworkfolder here;
  const int raw = std::system((std::string(HALVIK_BINARY) + " " + arguments + " > run.out 2> run.err").c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Readfile("run.out"), Readfile("run.err")};
}

inline void Put(const std::string &name, const std::string &text) {
  Inworkfolder here;
  Writefile(name, text);
}

inline std::string Get(const std::string &name) {
  Inworkfolder here;
  return Readfile(name);
}

using Row = std::map<std::string, std::string>;

// The rows of a TSV table by column name.
inline std::vector<Row> Readtable(const std::string &text) {
  std::vector<Row> rows;
  std::istringstream in(text);
  std::string line;
  std::vector<std::string> columns;
  auto split = [](const std::string &l) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream s(l);
    while (std::getline(s, cell, '\t')) cells.push_back(cell);
    if (!l.empty() && l.back() == '\t') cells.emplace_back();
    return cells;
  };
  if (std::getline(in, line)) columns = split(line);
  while (std::getline(in, line)) {
    const std::vector<std::string> cells = split(line);
    Row row;
    for (std::size_t c = 0; c < columns.size() && c < cells.size(); ++c) row[columns[c]] = cells[c];
    rows.push_back(row);
  }
  return rows;
}

inline double Number(const Row &row, const std::string &column) { return std::stod(row.at(column)); }

// ---- The reference: the text read plainly, every sum formed from scratch.

struct Call {
  bool Called;
  int A, B;  // B is -1 for a haploid call
  bool Phased;
};

struct Record {
  std::int64_t Position;
  bool Used;
  std::vector<Call> Calls;  // by VCF column
};

inline std::vector<std::string> Fields(const std::string &line) {
  std::vector<std::string> f;
  std::string cell;
  std::istringstream s(line);
  while (std::getline(s, cell, '\t')) f.push_back(cell);
  return f;
}

inline std::vector<Record> Readrecords(const std::string &vcf) {
  std::vector<Record> records;
  std::istringstream in(vcf);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = Fields(line);
    Record r{std::stoll(f[1]), (f[6] == "PASS" || f[6] == ".") && f[3].size() == 1, {}};
    for (std::size_t a = 0; a < f[4].size(); a += 2)
      r.Used = r.Used && f[4][a] != '*' && (a + 1 == f[4].size() || f[4][a + 1] == ',');
    for (std::size_t c = 9; c < f.size(); ++c) {
      const std::string &g = f[c];
      Call call{g.find('.') == std::string::npos, g[0] - '0', g.size() > 2 ? g[2] - '0' : -1,
                g.size() > 2 && g[1] == '|'};
      r.Calls.push_back(call);
    }
    records.push_back(r);
  }
  return records;
}

// The statistics of one division (locality of each chosen sample), NaN
// where a statistic is not formed.
struct Figures {
  double Kst, Fst, Kstarst, Fstarsb, Snn, Phist, Ssdw;
};

struct Window {
  std::vector<const Record *> Records;
  std::vector<int> Columns;  // the chosen samples' VCF columns
  bool Phased;
  int Ploidy;
};

// d between the haplotypes (s, c) and (t, e) of chosen samples s and t,
// scaled by the window's records over their common records.
inline double Haplodistance(const Window &w, std::size_t s, int c, std::size_t t, int e) {
  double differ = 0, common = 0;
  for (const Record *r : w.Records) {
    const Call &x = r->Calls[static_cast<std::size_t>(w.Columns[s])],
               &y = r->Calls[static_cast<std::size_t>(w.Columns[t])];
    if (!x.Called || !y.Called) continue;
    common += 1;
    differ += (c == 0 ? x.A : x.B) != (e == 0 ? y.A : y.B);
  }
  return differ * static_cast<double>(w.Records.size()) / common;
}

// The same for unphased diploids from genotypes alone: the four pairs
// between two samples differ g_i (2 - g_j) + (2 - g_i) g_j times at a
// biallelic record; the pair within a sample when it is heterozygous.
inline double Genotypedistance(const Window &w, std::size_t s, std::size_t t) {
  double differ = 0, common = 0;
  for (const Record *r : w.Records) {
    const Call &x = r->Calls[static_cast<std::size_t>(w.Columns[s])],
               &y = r->Calls[static_cast<std::size_t>(w.Columns[t])];
    if (!x.Called || !y.Called) continue;
    common += 1;
    const int gx = (x.A > 0) + (x.B > 0), gy = (y.A > 0) + (y.B > 0);
    differ += s == t ? (gx == 1) : gx * (2 - gy) + (2 - gx) * gy;
  }
  return differ * static_cast<double>(w.Records.size()) / common;
}

inline Figures Compute(const Window &w, const std::vector<int> &place, int places) {
  const std::size_t samples = w.Columns.size();
  const int ploidy = w.Ploidy;
  const std::size_t n = samples * static_cast<std::size_t>(ploidy);
  std::vector<std::vector<double>> d(n, std::vector<double>(n, 0));
  std::vector<double> pairsum(samples * samples, 0);  // unphased: the sums over the pairs between samples
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j)
      if (i != j && w.Phased)
        d[i][j] = Haplodistance(w, i / ploidy, static_cast<int>(i % ploidy), j / ploidy, static_cast<int>(j % ploidy));
  if (!w.Phased)
    for (std::size_t s = 0; s < samples; ++s)
      for (std::size_t t = 0; t < samples; ++t) pairsum[s * samples + t] = Genotypedistance(w, s, t);
  std::vector<double> within(places, 0), withinstar(places, 0), size(places, 0), pairs(places, 0);
  double total = 0, totalstar = 0, between = 0, betweenstar = 0, betweenpairs = 0;
  for (std::size_t i = 0; i < n; ++i) size[place[i / ploidy]] += 1;
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 1; j < n; ++j) {
      const std::size_t s = i / ploidy, t = j / ploidy;
      // Unphased: each haplotype pair carries its share of the pair sum.
      const double dij = w.Phased ? d[i][j] : s == t ? pairsum[s * samples + s] : pairsum[s * samples + t] / 4;
      const double star = std::log(1 + dij);
      total += dij;
      totalstar += star;
      if (place[s] == place[t]) {
        within[place[s]] += dij;
        withinstar[place[s]] += star;
        pairs[place[s]] += 1;
      } else {
        between += dij;
        betweenstar += star;
        betweenpairs += 1;
      }
    }
  const double allpairs = n * (n - 1.0) / 2;
  double ks = 0, ksstar = 0, ssdw = 0, squares = 0;
  for (int k = 0; k < places; ++k) {
    ks += size[k] / n * within[k] / pairs[k];
    ksstar += size[k] / n * withinstar[k] / pairs[k];
    ssdw += within[k] / size[k];
    squares += size[k] * size[k];
  }
  Figures f;
  f.Kst = 1 - ks / (total / allpairs);
  f.Fst = 1 - ks / (between / betweenpairs);
  f.Kstarst = w.Phased ? 1 - ksstar / (totalstar / allpairs) : NAN;
  f.Fstarsb = w.Phased ? 1 - ksstar / (betweenstar / betweenpairs) : NAN;
  f.Ssdw = ssdw;
  const double sigmaw = ssdw / (n - places), nzero = (n - squares / n) / (places - 1.0);
  const double sigmaa = ((total / n - ssdw) / (places - 1.0) - sigmaw) / nzero;
  f.Phist = sigmaa / (sigmaa + sigmaw);
  f.Snn = NAN;
  if (w.Phased) {
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
      double nearest = INFINITY;
      for (std::size_t j = 0; j < n; ++j)
        if (j / ploidy != i / ploidy) nearest = std::min(nearest, d[i][j]);
      double t = 0, same = 0;
      for (std::size_t j = 0; j < n; ++j)
        if (j / ploidy != i / ploidy && std::abs(d[i][j] - nearest) <= 1e-9 * (1 + nearest)) {
          t += 1;
          same += place[j / ploidy] == place[i / ploidy];
        }
      sum += same / t;
    }
    f.Snn = sum / n;
  }
  return f;
}

// The lineups a run with this seed draws, as each sample's locality: the
// samples arranged by locality in order of first appearance, position p of
// a lineup taking the locality of position p.
inline std::vector<std::vector<int>> Lineups(const std::vector<int> &arranged, int count, std::uint32_t seed) {
  halvik::Mersennetwister generator;
  halvik::Seedgenerator(generator, seed);
  std::vector<std::vector<int>> lineups(static_cast<std::size_t>(count));
  halvik::Runlineups(static_cast<std::int32_t>(arranged.size()), count, 1, generator,
                     [&](int, std::int32_t r, const std::int32_t *order) {
                       std::vector<int> place(arranged.size());
                       for (std::size_t p = 0; p < arranged.size(); ++p)
                         place[static_cast<std::size_t>(order[p])] = arranged[p];
                       lineups[static_cast<std::size_t>(r)] = place;
                     });
  return lineups;
}

// A count between those of the lineups surely at or beyond the observed
// value and of those at it within rounding.
struct Bracket {
  int Least = 0, Most = 0;
};

inline void Tallyone(Bracket &b, double value, double observed, bool larger) {
  if (std::isnan(value) || std::isnan(observed)) return;
  const double slack = 1e-9 * (1 + std::abs(observed));
  const double beyond = larger ? value - observed : observed - value;
  b.Least += beyond > slack;
  b.Most += beyond >= -slack;
}

// ---- In-process: the windows as the scan assembles them.

struct Assembled {
  halvik::Samplelayout Layout;
  std::vector<halvik::Windowdata> Windows;
};

inline Assembled Assemble(const std::string &vcfname, const std::string &map, std::int64_t size) {
  Inworkfolder here;
  auto opened = halvik::Vcfsource::Open(vcfname);
  auto &source = std::get<std::unique_ptr<halvik::Vcfsource>>(opened);
  Assembled a;
  a.Layout = std::get<halvik::Samplelayout>(
      halvik::Layout(source->Samplenames(), std::get<halvik::Groupmap>(halvik::Readgroups("m", map)), "m", vcfname));
  source->Choose(a.Layout.Columns);
  halvik::Windowplan plan;
  plan.Size = plan.Step = size;
  halvik::Windower windower(plan, static_cast<std::int32_t>(a.Layout.Columns.size()),
                            [&](halvik::Windowdata &&w) { a.Windows.push_back(std::move(w)); });
  halvik::Vcfrecord record;
  std::int32_t chrom = 0;
  while (source->Next(record, chrom)) windower.Add(record, source->Chromosomes()[chrom], source->Ploidy());
  windower.Finish(source->Ploidy());
  return a;
}

// The text as a bgzipped file, with a tabix index when asked.
inline void Putbgzipped(const std::string &name, const std::string &text, bool indexed) {
  Inworkfolder here;
  BGZF *file = bgzf_open(name.c_str(), "w");
  if (file == nullptr || bgzf_write(file, text.data(), text.size()) < 0 || bgzf_close(file) != 0)
    Fault("cannot write " + name);
  if (indexed && tbx_index_build(name.c_str(), 0, &tbx_conf_vcf) != 0) Fault("cannot index " + name);
}

// The VCF text converted to BCF by htslib. The records are read before the
// header is written: reading them declares their chromosomes, and the
// record's flag of an undeclared one is cleared.
inline void Putbcf(const std::string &name, const std::string &vcfname) {
  Inworkfolder here;
  hts_set_log_level(HTS_LOG_OFF);
  htsFile *in = hts_open(vcfname.c_str(), "r"), *out = hts_open(name.c_str(), "wb");
  bcf_hdr_t *header = bcf_hdr_read(in);
  std::vector<bcf1_t *> records{bcf_init()};
  while (bcf_read(in, header, records.back()) == 0) records.push_back(bcf_init());
  if (bcf_hdr_write(out, header) != 0) Fault("cannot write " + name);
  for (bcf1_t *record : records) {
    record->errcode = 0;
    if (record != records.back() && bcf_write(out, header, record) != 0) Fault("cannot write " + name);
    bcf_destroy(record);
  }
  bcf_hdr_destroy(header);
  hts_close(in);
  hts_close(out);
}

}  // namespace scantest
