#include "scan/spool.h"

#include <cstring>
#include <string>

#include "driver/console/failure.h"

namespace halvik {

namespace {

const char *const Problem = "the scan's temporary file of rows cannot be written or read";

void Put(std::FILE *file, const void *bytes, std::size_t size) {
  if (size > 0 && std::fwrite(bytes, size, 1, file) != 1) throw Ioerror(Problem);
}

void Get(std::FILE *file, void *bytes, std::size_t size) {
  if (size > 0 && std::fread(bytes, size, 1, file) != 1) throw Ioerror(Problem);
}

void Putstring(std::FILE *file, const std::string &text) {
  const std::uint64_t size = text.size();
  Put(file, &size, sizeof size);
  Put(file, text.data(), text.size());
}

void Getstring(std::FILE *file, std::string &text) {
  std::uint64_t size = 0;
  Get(file, &size, sizeof size);
  text.resize(size);
  Get(file, text.data(), size);
}

// The fixed-size part of a row, as it lies in memory.
struct Fixedpart {
  std::int64_t Start, End, Records, Variants;
  std::int32_t Samples, Haplotypes;
  std::array<Testresult, Testcount> Tests;
  std::array<double, Meancount> Means;
};

}  // namespace

Spool::Spool() : File(std::tmpfile()) {
  if (File == nullptr) throw Ioerror(std::string(Problem) + ": " + std::strerror(errno));
}

Spool::~Spool() { std::fclose(File); }

void Spool::Write(const Windowresult &row) {
  const Fixedpart fixed{row.Start,   row.End,        row.Records, row.Variants,
                        row.Samples, row.Haplotypes, row.Tests,   row.Means};
  Put(File, &fixed, sizeof fixed);
  Putstring(File, row.Chrom);
  Putstring(File, row.Notes);
  ++Count;
}

void Spool::Rewind() {
  if (std::fflush(File) != 0 || std::fseek(File, 0, SEEK_SET) != 0) throw Ioerror(Problem);
}

bool Spool::Next(Windowresult &row) {
  Fixedpart fixed;
  if (std::fread(&fixed, sizeof fixed, 1, File) != 1) {
    if (std::ferror(File)) throw Ioerror(Problem);
    return false;
  }
  row.Start = fixed.Start;
  row.End = fixed.End;
  row.Records = fixed.Records;
  row.Variants = fixed.Variants;
  row.Samples = fixed.Samples;
  row.Haplotypes = fixed.Haplotypes;
  row.Tests = fixed.Tests;
  row.Means = fixed.Means;
  Getstring(File, row.Chrom);
  Getstring(File, row.Notes);
  return true;
}

std::uint32_t Qvalues::Packed(const Pratio &p) {
  return p.Tested() ? static_cast<std::uint32_t>(p.Numerator << 16 | p.Denominator) : 0;
}

void Qvalues::Add(const Windowresult &row, const Runinfo &run) {
  for (int t = 0; t < Testcount; ++t) Ps[t].push_back(Packed(Pof(row.Tests[t], run)));
}

void Qvalues::Compute() {
  for (int t = 0; t < Testcount; ++t) {
    std::vector<Pratio> ratios;
    ratios.reserve(Ps[t].size());
    for (const std::uint32_t p : Ps[t]) ratios.push_back(p == 0 ? Pratio{} : Pratio{p >> 16, p & 0xffff});
    const std::vector<double> q = Benjaminihochberg(ratios);
    for (std::size_t i = 0; i < q.size(); ++i) Byp[t].emplace(Ps[t][i], q[i]);
    std::vector<std::uint32_t>().swap(Ps[t]);
  }
}

std::array<double, Testcount> Qvalues::Of(const Windowresult &row, const Runinfo &run) const {
  std::array<double, Testcount> q;
  for (int t = 0; t < Testcount; ++t) {
    const auto found = Byp[t].find(Packed(Pof(row.Tests[t], run)));
    q[t] = found == Byp[t].end() ? Nan : found->second;
  }
  return q;
}

}  // namespace halvik
