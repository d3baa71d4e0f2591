// The locality map of --groups: which locality each label belongs to, and the
// order of the sample that makes every locality contiguous.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "alignment/alignment.h"

namespace halvik {

// A two-column text file: label, locality name; separated by tabs or blanks;
// `#` starts a comment; blank lines ignored. Entries are (label, locality) in
// file order.
struct Groupmap {
  std::vector<std::pair<std::string, std::string>> Entries;
};
std::variant<Groupmap, Refusal> Readgroups(std::string_view name, std::string_view content);

// Order[i] is the index into the sample of the i-th sequence of the arranged
// sample: localities in order of first appearance in the map, sequences in
// file order within a locality. Starts[k] is the 1-based number of the first
// sequence of locality k (Starts[0] is 1) and Names[k] its name.
struct Arrangement {
  std::vector<std::int32_t> Order;
  std::vector<std::int32_t> Starts;
  std::vector<std::string> Names;
};

// Refuses, naming the labels concerned: a label of the file twice in the file
// or missing from the map, a label twice in the map or not in the file, a
// locality of fewer than two sequences, more than 30 localities.
std::variant<Arrangement, Refusal> Arrange(const Sample &sample, const Groupmap &map, std::string_view mapname);

Sample Reordered(const Sample &sample, const Arrangement &arrangement);

}  // namespace halvik
