// A VCF, bgzipped VCF or BCF read record by record through htslib, whole or
// in spans through its index.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "alignment/alignment.h"
#include "scan/records.h"

namespace halvik {

// A stretch of one chromosome, 1-based, both ends included.
struct Readspan {
  std::string Chrom;
  std::int64_t From, To;
};

class Vcfsource {
 public:
  // Opens the file and reads its header; a refusal names the file.
  static std::variant<std::unique_ptr<Vcfsource>, Refusal> Open(const std::string &name);
  ~Vcfsource();
  Vcfsource(const Vcfsource &) = delete;
  Vcfsource &operator=(const Vcfsource &) = delete;

  const std::vector<std::string> &Samplenames() const { return Names; }
  // The sample columns to read, in the scan's order.
  void Choose(const std::vector<std::int32_t> &columns);
  // With an index, only these spans are read from here on, in the index's
  // order of chromosomes; false, and nothing changes, without one.
  bool Restrict(const std::vector<Readspan> &spans);

  // The next record, and its chromosome as an index into Chromosomes();
  // false at the end. A malformed or unsorted record, a file that ends
  // early, or calls making more than 1000 haplotypes of the chosen samples,
  // raise Fatalerror with a message naming the file and the line.
  bool Next(Vcfrecord &record, std::int32_t &chrom);
  const std::vector<std::string> &Chromosomes() const { return Chroms; }
  int Ploidy() const { return Checks.Ploidy; }
  // How far the reading has gone, in bytes of the file, of its size.
  std::int64_t Bytesread() const;
  std::int64_t Filesize() const { return Size; }

  struct Handles;  // htslib's

 private:
  Vcfsource() = default;
  bool Readtext(Vcfrecord &record, std::string_view &chrom);
  bool Readbinary(Vcfrecord &record, std::string_view &chrom);
  bool Nextspan();
  void Sorted(const Vcfrecord &record, std::string_view chrom, std::int32_t &index);
  [[noreturn]] void Refuse(const std::string &problem) const;
  std::string Where() const;

  std::unique_ptr<Handles> Io;
  std::string Name;
  bool Binary = false;
  std::int64_t Size = 0, Line = 0;  // Line: the last line read, in a text read whole
  std::vector<std::string> Names, Chroms;
  std::vector<std::int32_t> Chosen;
  Callchecks Checks;
  std::int64_t Lastposition = 0;
  bool Indexed = false;         // reading spans through the index
  std::vector<Readspan> Spans;  // still to read, the next last
  Readspan Current;
};

}  // namespace halvik
