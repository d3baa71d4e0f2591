// A window of the scan: where it lies, what its records hold.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "scan/records.h"

namespace halvik {

// A window's records, ready to test. Only the records that can tell two
// samples apart are kept as calls: those with two alleles or more among the
// calls, and those where a sample is not called; the others only count.
//
// The calls are laid out haplotype by haplotype, each a row of bits over the
// kept records, because every pair sum is a popcount over two such rows.
// Haplotype h is allele slot h % Ploidy of sample h / Ploidy.
struct Windowdata {
  std::int64_t Index = 0;  // the window's number in the run, from 0
  std::string Chrom;
  std::int64_t Start = 0, End = 0;  // 1-based, both included
  std::int64_t Records = 0, Variants = 0;
  std::array<std::int64_t, Skipreasons> Skipped{};  // by Skipreason, less one
  bool Phased = true;                               // no heterozygote written with '/'
  int Ploidy = 0;                                   // of the run's calls; 0 while none is known
  std::int32_t Samples = 0;
  std::int32_t Kept = 0, Words = 0;  // kept records, and 64-bit words per row of bits over them
  int Planes = 0;                    // bits of the largest allele index
  // Alleles[(h * Planes + p) * Words + w]: bit p of haplotype h's allele at
  // kept records 64 w to 64 w + 63 (0 where the sample is not called).
  std::vector<std::uint64_t> Alleles;
  // Missing[s * Words + w]: sample s is not called at those kept records.
  std::vector<std::uint64_t> Missing;
};

}  // namespace halvik
