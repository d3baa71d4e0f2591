// Shared set-up for the in-process tests: a population built from rows of
// nucleotide letters, a sequence file on disk, and a console, keyboard and
// results file in memory.
#pragma once
#include "fuzz/harness.h"
#include "population/store.h"
#include "stats/permutation.h"

namespace statsetup {

// Record i, labelled si, holds the i-th row of letters at the segregating
// sites; all rows the same length. Nothing checks that the sites segregate.
inline void Setsequences(const std::vector<std::string> &rows, std::int32_t length) {
  halvik::Pop.Numseqs = static_cast<std::int32_t>(rows.size());
  halvik::Pop.Numsegsites = static_cast<std::int32_t>(rows.front().size());
  halvik::Pop.Seqlength = length;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    halvik::Sequencerecord &record = halvik::Pop.Seqs[i + 1];
    record.Otu = std::to_string(i + 1);
    record.Otu.insert(record.Otu.begin(), 's');  // "s" + ... trips a false -Wrestrict in g++ 12
    record.Length = length;
    for (std::size_t p = 0; p < rows[i].size(); ++p)
      halvik::Setcode(record.Sites, static_cast<int>(p + 1),
                      static_cast<halvik::Nucleotidecode>(std::string_view("AGCTN-").find(rows[i][p])));
  }
}

// A division into localities starting at the given sequence numbers, the
// first of which is 1; weights as the dialogue forms them.
inline halvik::Localities Division(const std::vector<std::int32_t> &starts, std::int32_t n) {
  halvik::Localities division;
  division.Count = static_cast<std::int32_t>(starts.size());
  for (std::size_t k = 0; k < starts.size(); ++k) division.Start[k + 1] = starts[k];
  division.Start[division.Count + 1] = n + 1;
  for (std::int32_t k = 1; k <= division.Count; ++k)
    division.Weight[k] =
        static_cast<double>(division.Start[k + 1] - division.Start[k]) / static_cast<double>(n);
  return division;
}

// The console and the results file collect in strings; the keyboard reads
// `keys` and then ends.
struct Captured {
  std::string console, results;
  explicit Captured(std::string keys = "") {
    halvik::Initialise(-1, -1);
    halvik::Console.memory = &console;
    halvik::Outfile.memory = &results;
    halvik::Outfile.lineflush = true;
    halvik::Keyboard.buffer = std::move(keys);
  }
  Captured(const Captured &) = delete;
  ~Captured() {
    halvik::Console = halvik::Textsink{};
    halvik::Outfile = halvik::Textsink{};
    halvik::Keyboard = halvik::Keyboardsource{};
    halvik::Keyboard.fd = -1;
  }
  // Everything written so far, pending text included.
  const std::string &Text() {
    halvik::Deliver(halvik::Console);
    halvik::Deliver(halvik::Outfile);
    return console;
  }
  // Writes the sequence file in the harness's private folder and names it in
  // Filename.
  static void Usefile(const std::string &content) {
    halvik::Filename = (halvik::fuzzing::Workfolder() / "test.txt").string();
    halvik::fuzzing::Writefile(halvik::Filename, content);
  }
};

}  // namespace statsetup
