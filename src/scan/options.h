// The options of halvik scan, read with getopt_long.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace halvik {

enum class Scanformat { Tsv, Json };

// --region CHR:FROM-TO, both ends 1-based and included.
struct Scanregion {
  std::string Chrom;
  std::int64_t From = 1, To = INT64_MAX;
};

struct Scanoptions {
  std::vector<std::string> Inputs;  // the VCF, or with --merge the tables
  std::string Groups;               // -g: the locality map
  std::int64_t Size = 0, Step = 0;  // -w SIZE[,STEP]; 0 when windows come from --regions
  std::string Regions;              // --regions BED
  std::optional<Scanregion> Region;
  std::int32_t Lineups = 999;
  std::optional<std::uint32_t> Seed;
  std::optional<Scanformat> Format;  // none given: TSV, or a summary on a terminal
  std::string Output, Plot;          // -o and --plot, or empty
  bool Quiet = false, Merge = false, Help = false, Version = false;
  int Threads = 0;             // 0: one per processor
  std::int32_t Stopafter = 0;  // --stop-after H; 0: every lineup
};

struct Scanusage {
  std::string Message;
};

// The options of a scan's command line (argv[0] is "scan"), or what is wrong
// with it.
std::variant<Scanoptions, Scanusage> Parsescanoptions(int argc, char **argv);

extern const char *const Scanusageline;
extern const char *const Scanhelptext;

}  // namespace halvik
