// A second, deliberately plain reading of the sequence-file grammar, written
// apart from the program's own passes: it says whether a file must be
// accepted and how many segregating sites it then has. The sequence-file fuzz
// target holds every run to it.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace halvik::fuzzing {

struct Expected {
  bool accepted = false;
  int sites = 0;
  std::string why;  // the first rule broken, when refused
};

inline Expected Refused(const char *why) { return Expected{false, 0, why}; }

inline Expected Reference(std::string_view file) {
  constexpr std::size_t Longestlabel = 254, Longestsequence = 100000, Mostrecords = 1000, Mostsites = 10000;
  const std::string_view nucleotides = "AGCTN-";
  std::vector<std::string_view> sequences;
  std::size_t at = 0;
  while (at < file.size()) {
    if (sequences.size() == Mostrecords) return Refused("more than 1000 records");
    // The label: up to the first blank or line end.
    const std::size_t label = at;
    while (at < file.size() && file[at] != ' ' && file[at] != '\n') ++at;
    if (at - label > Longestlabel) return Refused("a label longer than 254 characters");
    // The separator: blanks and line ends, as many as there are.
    while (at < file.size() && (file[at] == ' ' || file[at] == '\n')) ++at;
    if (at == file.size()) return Refused("a label with no sequence after it");
    // The sequence: the rest of the line, nucleotides only.
    const std::size_t start = at;
    while (at < file.size() && file[at] != '\n') {
      if (nucleotides.find(file[at]) == std::string_view::npos) return Refused("a character that is no nucleotide");
      ++at;
    }
    if (at - start > Longestsequence) return Refused("a sequence longer than 100000");
    sequences.push_back(file.substr(start, at - start));
    if (at < file.size()) ++at;  // the line feed
  }
  if (sequences.size() < 2) return Refused("fewer than two records");
  for (const auto &s : sequences)
    if (s.size() != sequences[0].size()) return Refused("records of different lengths");
  Expected expected;
  for (std::size_t i = 0; i < sequences[0].size(); ++i)
    for (const auto &s : sequences)
      if (s[i] != sequences[0][i]) {
        ++expected.sites;
        break;
      }
  if (expected.sites == 0) return Refused("no segregating site");
  if (static_cast<std::size_t>(expected.sites) > Mostsites) return Refused("more than 10000 segregating sites");
  expected.accepted = true;
  return expected;
}

}  // namespace halvik::fuzzing
