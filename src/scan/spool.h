// The rows of a run, kept in an unnamed temporary file until the q-values,
// which need every window's P, are known: memory holds a few bytes per
// window, not its row.
#pragma once
#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

#include "scan/result.h"

namespace halvik {

class Spool {
 public:
  Spool();
  ~Spool();
  Spool(const Spool &) = delete;
  Spool &operator=(const Spool &) = delete;

  void Write(const Windowresult &row);
  std::int64_t Rows() const { return Count; }
  // Reads the rows again from the first; Next is false after the last.
  void Rewind();
  bool Next(Windowresult &row);

 private:
  std::FILE *File = nullptr;
  std::int64_t Count = 0;
};

// The q-values of a run's windows: each window's P kept as the small ratio
// it is, the Benjamini-Hochberg adjustment made once over them all, and a
// window's q then found by its P (equal Ps have equal q-values).
class Qvalues {
 public:
  void Add(const Windowresult &row, const Runinfo &run);
  void Compute();
  std::array<double, Testcount> Of(const Windowresult &row, const Runinfo &run) const;

 private:
  // Numerator and denominator in 16 bits each (both at most 30000); 0
  // for no P.
  static std::uint32_t Packed(const Pratio &p);
  std::array<std::vector<std::uint32_t>, Testcount> Ps;
  std::array<std::map<std::uint32_t, double>, Testcount> Byp;
};

}  // namespace halvik
