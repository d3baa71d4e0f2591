#include <optional>
#include <set>

#include "alignment/labellist.h"

namespace halvik {

namespace {

using Labelset = std::set<std::string_view>;

// Whether every missing label, changed by `change`, is a label of the map.
template <typename Change>
bool Allmatch(const std::vector<std::string_view> &missing, const Labelset &unused, Change change) {
  for (const std::string_view label : missing) {
    const std::optional<std::string> changed = change(label);
    if (!changed || unused.count(*changed) == 0) return false;
  }
  return true;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// An affix that the FILE's labels carry and the map's lack. The candidates
// come from the first missing label: each of its ends that leaves a label of the map.
std::string Fileaffix(const std::vector<std::string_view> &missing, const Labelset &unused,
                      const std::string &subject) {
  const std::string_view first = missing.front();
  for (std::size_t k = 1; k < first.size(); ++k) {
    const std::string_view suffix = first.substr(k);
    if (unused.count(first.substr(0, k)) &&
        Allmatch(missing, unused, [suffix](std::string_view label) -> std::optional<std::string> {
          if (label.size() <= suffix.size() || !label.ends_with(suffix)) return std::nullopt;
          return std::string(label.substr(0, label.size() - suffix.size()));
        }))
      return subject + " ends in " + Quoted(suffix) + ", which the map's labels lack";
  }
  for (std::size_t k = 1; k < first.size(); ++k) {
    const std::string_view prefix = first.substr(0, k);
    if (unused.count(first.substr(k)) &&
        Allmatch(missing, unused, [prefix](std::string_view label) -> std::optional<std::string> {
          if (label.size() <= prefix.size() || !label.starts_with(prefix)) return std::nullopt;
          return std::string(label.substr(prefix.size()));
        }))
      return subject + " starts with " + Quoted(prefix) + ", which the map's labels lack";
  }
  return "";
}

// An affix that the map's labels carry and the FILE's lack: each label of
// the map that holds the first missing label at one end gives a candidate.
std::string Mapaffix(const std::vector<std::string_view> &missing, const Labelset &unused) {
  const std::string_view first = missing.front();
  for (auto at = unused.upper_bound(first); at != unused.end() && at->starts_with(first); ++at) {
    const std::string_view suffix = at->substr(first.size());
    if (Allmatch(missing, unused,
                 [suffix](std::string_view label) { return std::string(label) + std::string(suffix); }))
      return "the map's labels end in " + Quoted(suffix) + ", which the labels of the file lack";
  }
  for (const std::string_view label : unused) {
    if (label.size() <= first.size() || !label.ends_with(first)) continue;
    const std::string_view prefix = label.substr(0, label.size() - first.size());
    if (Allmatch(missing, unused,
                 [prefix](std::string_view other) { return std::string(prefix) + std::string(other); }))
      return "the map's labels start with " + Quoted(prefix) + ", which the labels of the file lack";
  }
  return "";
}

}  // namespace

std::string Affixhint(const std::vector<std::string_view> &missing, const std::vector<std::string_view> &unused,
                      bool everylabel) {
  if (missing.empty() || unused.empty()) return "";
  const Labelset labels(unused.begin(), unused.end());
  const std::string hint =
      Fileaffix(missing, labels, everylabel ? "every label of the file" : "every missing label of the file");
  return hint.empty() ? Mapaffix(missing, labels) : hint;
}

}  // namespace halvik
