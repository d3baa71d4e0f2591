// Records gathered into windows as they stream past: a window is handed on
// as soon as no later record can fall in it, and the records no window still
// open needs are let go, so memory follows the window size, not the genome.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "scan/plan.h"
#include "scan/records.h"
#include "scan/window.h"

namespace halvik {

class Windower {
 public:
  using Emit = std::function<void(Windowdata &&)>;
  Windower(const Windowplan &plan, std::int32_t samples, Emit emit);

  // The next record of the file, of chromosome `chrom`; `ploidy` is that of
  // the calls read so far.
  void Add(const Vcfrecord &record, const std::string &chrom, int ploidy);
  // The file has ended: the last windows, and with --regions the intervals
  // of chromosomes the file never reached.
  void Finish(int ploidy);
  // Records kept for the windows still open: what the scan's memory grows with.
  std::size_t Heldrecords() const { return Buffer.size(); }

 private:
  // A record kept for the windows still open. Bits holds, for a record that
  // can tell samples apart, each allele bit plane over the slots 2 s + c,
  // then the samples not called.
  struct Held {
    std::int64_t Position;
    Skipreason Skip;
    bool Variable, Unphased, Kept;
    int Planes;
    std::vector<std::uint64_t> Bits;
  };
  void Hold(const Vcfrecord &record);
  void Endchrom(int ploidy);
  void Emitupto(std::int64_t position, int ploidy);
  void Send(std::int64_t start, std::int64_t end, int ploidy);
  void Dropbefore(std::int64_t position);
  std::int64_t Gridstart(std::int64_t k) const;
  std::int64_t Gridend(std::int64_t k) const;

  const Windowplan &Plan;
  std::int32_t Samples, Slotwords, Samplewords;
  Emit Out;
  std::int64_t Sent = 0;  // windows handed on
  std::deque<Held> Buffer;
  bool Inchrom = false;
  std::string Chrom;
  std::vector<std::string> Seen;  // chromosomes ended
  // The grid: the first window of the chromosome (-1 before a used record),
  // the next to hand on, the last used record.
  std::int64_t First = -1, Next = 0, Lastused = 0;
  // The intervals: the chromosome's, and the next to hand on.
  const std::vector<Stretch> *Intervals = nullptr;
  std::size_t Nextinterval = 0;
};

}  // namespace halvik
