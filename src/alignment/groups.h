// The locality map of --groups: which locality each label belongs to, and the
// order of a FILE's sequences that makes every locality contiguous.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "alignment/alignment.h"
#include "store/packedsample.h"

namespace halvik {

// A text file of lines "label<TAB>locality name" or "label name": a line
// that starts with # is a comment and blank lines are ignored. After the
// first tab the rest of the line is the name, blanks inside it included;
// without a tab the label is the first word and the name follows the blanks
// after it. Entries are (label, locality) in file order. One map may serve
// many FILEs, so it may name labels that a FILE lacks (a header line is one).
struct Groupmap {
  std::vector<std::pair<std::string, std::string>> Entries;
};
std::variant<Groupmap, Refusal> Readgroups(std::string_view name, std::string_view content);

// Order[i] is the index into the FILE of the i-th sequence of the arranged
// sample: localities in order of their first sequence in the FILE, sequences
// in file order within a locality. Starts[k] is the 1-based number of the
// first sequence of locality k (Starts[0] is 1) and Names[k] its name.
// Ignored counts the labels of the map that are not in the FILE.
struct Arrangement {
  std::vector<std::int32_t> Order;
  std::vector<std::int32_t> Starts;
  std::vector<std::string> Names;
  std::int64_t Ignored = 0;
};

// Arranges the FILE's labels by the map. Refuses, naming the labels
// concerned: a label twice in the FILE, a label of the FILE mapped to two
// localities or missing from the map (with a few labels of each side and the
// prefix or suffix that would make them match, if there is one), a locality
// of one sequence, more than 30 localities.
std::variant<Arrangement, Refusal> Arrange(const std::vector<std::string> &labels, const Groupmap &map,
                                           std::string_view mapname);

// The sample in the arrangement's order; its labels and codes are moved.
Packedsample Reordered(Packedsample &&sample, const Arrangement &arrangement);

}  // namespace halvik
