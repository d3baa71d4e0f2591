#include "alignment/groups.h"

#include <algorithm>
#include <map>

#include "alignment/collect.h"

namespace halvik {

namespace {

// A few of the labels, then how many more.
std::string Listed(const std::vector<std::string_view> &labels) {
  constexpr std::size_t shown = 3;
  std::string list;
  for (std::size_t i = 0; i < labels.size() && i < shown; ++i) list += (i ? ", " : "") + std::string(labels[i]);
  if (labels.size() > shown) list += " and " + std::to_string(labels.size() - shown) + " more";
  return list;
}

// Each label that occurs more than once, once, in order.
std::vector<std::string_view> Repeated(const std::vector<std::string_view> &labels) {
  std::map<std::string_view, int> seen;
  std::vector<std::string_view> repeated;
  for (const std::string_view label : labels)
    if (++seen[label] == 2) repeated.push_back(label);
  return repeated;
}

std::vector<std::string_view> Missingfrom(const std::vector<std::string_view> &labels,
                                          const std::map<std::string_view, std::string_view> &other) {
  std::vector<std::string_view> missing;
  for (const std::string_view label : labels)
    if (!other.count(label)) missing.push_back(label);
  return missing;
}

// The arrangement, once every label of the file has exactly one locality.
std::variant<Arrangement, Refusal> Group(const std::vector<std::string_view> &labels, const Groupmap &map,
                                         const std::map<std::string_view, std::string_view> &locality,
                                         std::string_view mapname) {
  Arrangement arrangement;
  std::map<std::string_view, std::size_t> number;  // of each locality, by first appearance in the map
  for (const auto &[label, place] : map.Entries)
    if (number.emplace(place, arrangement.Names.size()).second) arrangement.Names.emplace_back(place);
  if (arrangement.Names.size() > 30)
    return Refusal{std::string(mapname) + ": " + std::to_string(arrangement.Names.size()) +
                   " localities, more than 30"};
  std::vector<std::vector<std::int32_t>> members(arrangement.Names.size());
  for (std::size_t i = 0; i < labels.size(); ++i)
    members[number.at(locality.at(labels[i]))].push_back(static_cast<std::int32_t>(i));
  std::vector<std::string_view> small;
  for (std::size_t k = 0; k < members.size(); ++k)
    if (members[k].size() < 2) small.push_back(arrangement.Names[k]);
  if (!small.empty())
    return Refusal{std::string(mapname) + ": localities of fewer than two sequences: " + Listed(small)};
  for (const std::vector<std::int32_t> &group : members) {
    arrangement.Starts.push_back(static_cast<std::int32_t>(arrangement.Order.size()) + 1);
    arrangement.Order.insert(arrangement.Order.end(), group.begin(), group.end());
  }
  return arrangement;
}

}  // namespace

std::variant<Groupmap, Refusal> Readgroups(std::string_view name, std::string_view content) {
  const std::string file(name);
  if (content.size() > Largestfile) return Refusal{file + ": the file is too large for a locality map"};
  const Cleantext clean(content, true);
  Groupmap map;
  Linecursor lines{clean.Text};
  std::string_view line;
  while (lines.Next(line)) {
    line = line.substr(0, line.find('#'));
    std::vector<std::string_view> fields;
    for (line = Trimfront(line); !line.empty(); line = Trimfront(line)) {
      const std::size_t end = static_cast<std::size_t>(std::find_if(line.begin(), line.end(), Isspace) - line.begin());
      fields.push_back(line.substr(0, end));
      line.remove_prefix(end);
    }
    const std::string where = file + ", line " + std::to_string(lines.Number) + ": ";
    if (fields.size() == 1) return Refusal{where + "the label " + std::string(fields[0]) + " has no locality"};
    if (fields.size() > 2) return Refusal{where + "more than a label and a locality name"};
    if (map.Entries.size() == Mostrecords) return Refusal{where + "more than 1000 labels"};
    if (fields.size() == 2) map.Entries.emplace_back(fields[0], fields[1]);
  }
  if (map.Entries.empty()) return Refusal{file + ": no labels in the map"};
  return map;
}

std::variant<Arrangement, Refusal> Arrange(const Sample &sample, const Groupmap &map, std::string_view mapname) {
  const auto refuse = [mapname](const std::string &what, const std::vector<std::string_view> &labels) {
    return Refusal{std::string(mapname) + ": " + what + ": " + Listed(labels)};
  };
  const std::vector<std::string_view> filelabels(sample.Labels.begin(), sample.Labels.end());
  std::vector<std::string_view> maplabels;
  std::map<std::string_view, std::string_view> locality, infile;
  for (const auto &[label, place] : map.Entries) {
    maplabels.push_back(label);
    locality.emplace(label, place);
  }
  for (const std::string_view label : filelabels) infile.emplace(label, label);
  if (const auto twice = Repeated(filelabels); !twice.empty())
    return refuse("labels that occur twice in the file, which the map cannot tell apart", twice);
  if (const auto twice = Repeated(maplabels); !twice.empty()) return refuse("labels mapped twice", twice);
  if (const auto missing = Missingfrom(filelabels, locality); !missing.empty())
    return refuse("labels of the file missing from the map", missing);
  if (const auto extra = Missingfrom(maplabels, infile); !extra.empty())
    return refuse("labels of the map not in the file", extra);
  return Group(filelabels, map, locality, mapname);
}

Sample Reordered(const Sample &sample, const Arrangement &arrangement) {
  Sample reordered{sample.Format, {}, {}, sample.Made};
  for (const std::int32_t i : arrangement.Order) {
    reordered.Labels.push_back(sample.Labels[static_cast<std::size_t>(i)]);
    reordered.Sequences.push_back(sample.Sequences[static_cast<std::size_t>(i)]);
  }
  return reordered;
}

}  // namespace halvik
