// Sample files for timing whole analyses, made by a fixed generator: each
// sequence copies one of a few haplotypes (more often its locality's own),
// most copies carry private mutations and a few an unknown base, so that
// distances vary widely and identical sequences occur.
#pragma once
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace presets {

// How a preset's file is analysed: by the dialogue, or by the command line
// alone, with --null (every lineup's values), with --pairwise, or testing
// only the dialogue's four statistics (without Snn, ΦST and exact P).
enum class Mode { Dialogue, Commandline, Null, Pairwise, Four };

struct Preset {
  const char *name;
  int sequences, length, sites;
  std::vector<int> sizes;  // locality sizes in file order
  int lineups;
  Mode mode = Mode::Dialogue;
  const char *sample = nullptr;  // the file of another preset, analysed again; or its own
  bool fasta = false;            // the sample written as one-line FASTA instead of Halvik's own format
};

inline std::vector<int> Evensizes(int sequences, int count) {
  std::vector<int> sizes(static_cast<std::size_t>(count), sequences / count);
  for (int k = 0; k < sequences % count; ++k) ++sizes[static_cast<std::size_t>(k)];
  return sizes;
}

inline const std::vector<Preset> &All() {
  static const std::vector<Preset> all = {
      {"worst2", 1000, 100000, 10000, Evensizes(1000, 2), 29999},
      {"worst30", 1000, 100000, 10000, Evensizes(1000, 30), 29999},
      // One locality: every lineup's log sums are added in the estimators' order.
      {"worst1", 1000, 100000, 10000, {1000}, 29999},
      {"medium", 200, 5000, 500, Evensizes(200, 4), 1000},
      // --null against the same analysis without it (the target: within 3x),
      // and every pair of 30 localities of 33 sequences (the target: 10 s).
      {"cli2", 1000, 100000, 10000, Evensizes(1000, 2), 29999, Mode::Commandline, "worst2"},
      // The same sample as one-line FASTA, read into memory as it streams past.
      {"fasta2", 1000, 100000, 10000, Evensizes(1000, 2), 29999, Mode::Commandline, "worst2", true},
      {"null2", 1000, 100000, 10000, Evensizes(1000, 2), 29999, Mode::Null, "worst2"},
      {"cli30", 1000, 100000, 10000, Evensizes(1000, 30), 29999, Mode::Commandline, "worst30"},
      {"four30", 1000, 100000, 10000, Evensizes(1000, 30), 29999, Mode::Four, "worst30"},
      {"null30", 1000, 100000, 10000, Evensizes(1000, 30), 29999, Mode::Null, "worst30"},
      // The same sample in three unequal localities, whose sums between
      // localities end just above a power of two (1.03 x 2^21), where --null
      // finds their crossing from the end.
      {"cli3", 1000, 100000, 10000, {600, 200, 200}, 29999, Mode::Commandline, "worst30"},
      {"null3", 1000, 100000, 10000, {600, 200, 200}, 29999, Mode::Null, "worst30"},
      {"pairwise30", 990, 100000, 10000, Evensizes(990, 30), 9999, Mode::Pairwise},
  };
  return all;
}

// Writes the preset's sample file: exactly `sites` segregating sites, in
// Halvik's own format or as one-line FASTA.
inline void Writesample(const Preset &p, const std::string &name, bool fasta = false) {
  std::mt19937_64 random(20240601u + static_cast<unsigned>(p.sequences + p.sites));
  const std::string bases = "AGCT";
  auto other = [&](char c) {
    char d;
    do d = bases[random() % 4];
    while (d == c);
    return d;
  };
  std::string ancestor(static_cast<std::size_t>(p.length), 'A');
  for (char &c : ancestor) c = bases[random() % 4];
  std::vector<int> sites(static_cast<std::size_t>(p.length));
  for (int i = 0; i < p.length; ++i) sites[static_cast<std::size_t>(i)] = i;
  std::shuffle(sites.begin(), sites.end(), random);
  sites.resize(static_cast<std::size_t>(p.sites));
  std::sort(sites.begin(), sites.end());

  // Haplotypes differ from the ancestor at about a fifth of the sites.
  constexpr int Haplotypes = 6;
  std::vector<std::string> haplotypes(Haplotypes);
  for (std::string &h : haplotypes) {
    h.resize(sites.size());
    for (std::size_t s = 0; s < sites.size(); ++s) {
      const char a = ancestor[static_cast<std::size_t>(sites[s])];
      h[s] = random() % 5 == 0 ? other(a) : a;
    }
  }
  std::vector<std::string> rows;  // each sequence at the sites only
  for (std::size_t k = 0; k < p.sizes.size(); ++k)
    for (int i = 0; i < p.sizes[k]; ++i) {
      std::string row = haplotypes[random() % 20 == 0 ? k % Haplotypes : random() % Haplotypes];
      if (random() % 8 != 0)  // one in eight is an exact copy
        for (char &c : row) {
          const std::uint64_t r = random() % 400;
          if (r < 4) c = other(c);
          if (r == 4) c = 'N';
        }
      rows.push_back(row);
    }
  // A site where all agree is made to segregate in one sequence.
  for (std::size_t s = 0; s < sites.size(); ++s) {
    bool same = true;
    for (const std::string &row : rows) same = same && row[s] == rows[0][s];
    if (same) {
      char &c = rows[1 + s % (rows.size() - 1)][s];
      c = other(c);
    }
  }
  std::ofstream out(name, std::ios::binary);
  std::string line = ancestor;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t s = 0; s < sites.size(); ++s) line[static_cast<std::size_t>(sites[s])] = rows[i][s];
    out << (fasta ? ">seq" : "seq") << (i + 1) << (fasta ? '\n' : ' ') << line << '\n';
  }
}

// The keyboard of one analysis of the file: the pause, the localities, the
// confirmation, the lineups, and no second analysis.
inline std::string Answers(const Preset &p, const std::string &name) {
  std::string keys = name + "\n\n" + std::to_string(p.sizes.size()) + "\n";
  int start = 1;
  for (std::size_t k = 0; k + 1 < p.sizes.size(); ++k) {
    start += p.sizes[k];
    keys += std::to_string(start) + "\n";
  }
  return keys + "y\n" + std::to_string(p.lineups) + "\nn\n";
}

}  // namespace presets
