// Shared set-up for the statistics tests: a population built from rows of
// nucleotide letters, and a console, keyboard and results file in memory.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver/globals.h"
#include "driver/textout.h"
#include "population/store.h"
#include "stats/permutation.h"

namespace statsetup {

inline halvik::Nucleotidecode Code(char c) {
  const std::string_view letters = "AGCTN-";
  return static_cast<halvik::Nucleotidecode>(letters.find(c));
}

// Record i holds the i-th row: a label and its letters at the segregating
// sites, all rows the same length. Nothing checks that the sites segregate.
inline void Setpopulation(const std::vector<std::pair<std::string, std::string>> &rows, std::int32_t length) {
  halvik::Pop.Numseqs = static_cast<std::int32_t>(rows.size());
  halvik::Pop.Numsegsites = static_cast<std::int32_t>(rows.front().second.size());
  halvik::Pop.Seqlength = length;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    halvik::Sequencerecord &record = halvik::Pop.Seqs[i + 1];
    record.Otu = rows[i].first;
    record.Length = length;
    for (std::size_t p = 0; p < rows[i].second.size(); ++p)
      halvik::Setcode(record.Sites, static_cast<int>(p + 1), Code(rows[i].second[p]));
  }
}

// Rows labelled s1, s2, ... in order.
inline void Setsequences(const std::vector<std::string> &codes, std::int32_t length) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    std::string label = "s";
    label += std::to_string(i + 1);
    rows.emplace_back(label, codes[i]);
  }
  Setpopulation(rows, length);
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
  Captured &operator=(const Captured &) = delete;
  ~Captured() {
    halvik::Console = halvik::Textsink{};
    halvik::Outfile = halvik::Textsink{};
    halvik::Keyboard = halvik::Keyboardsource{};
    halvik::Keyboard.fd = -1;
  }
  void Flush() {
    halvik::Deliver(halvik::Console);
    halvik::Deliver(halvik::Outfile);
  }
  // What is left of the keyboard input.
  static std::string Unread() { return halvik::Keyboard.buffer.substr(halvik::Keyboard.position); }
};

}  // namespace statsetup
