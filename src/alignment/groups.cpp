#include "alignment/groups.h"

#include <algorithm>
#include <map>
#include <set>

#include "alignment/collect.h"
#include "alignment/labellist.h"

namespace halvik {

namespace {

std::string_view Trim(std::string_view text) {
  text = Trimfront(text);
  while (!text.empty() && Isspace(text.back())) text.remove_suffix(1);
  return text;
}

// The label and the locality's name on a line of the map.
std::pair<std::string_view, std::string_view> Splitentry(std::string_view line) {
  if (const std::size_t tab = line.find('\t'); tab != std::string_view::npos)
    return {Trim(line.substr(0, tab)), Trim(line.substr(tab + 1))};
  line = Trimfront(line);
  const auto end = static_cast<std::size_t>(std::find_if(line.begin(), line.end(), Isspace) - line.begin());
  return {line.substr(0, end), Trim(line.substr(end))};
}

// Each label of the FILE with its locality, as the map gives it.
struct Mapped {
  std::vector<std::string_view> Place;
  std::vector<bool> Found;                      // false for a label the map lacks
  std::vector<std::string_view> Twice, Unused;  // labels mapped to two localities; map labels not in the FILE
};

Mapped Match(const std::vector<std::string> &labels, const Groupmap &map) {
  std::map<std::string_view, std::size_t> index;
  for (std::size_t i = 0; i < labels.size(); ++i) index.emplace(labels[i], i);
  Mapped mapped{std::vector<std::string_view>(labels.size()), std::vector<bool>(labels.size()), {}, {}};
  std::set<std::string_view> twice, unused;
  for (const auto &[label, place] : map.Entries) {
    const auto at = index.find(label);
    if (at == index.end()) {
      if (unused.insert(label).second) mapped.Unused.push_back(label);
    } else if (!mapped.Found[at->second]) {
      mapped.Found[at->second] = true;
      mapped.Place[at->second] = place;
    } else if (mapped.Place[at->second] != place && twice.insert(label).second) {
      mapped.Twice.push_back(label);
    }
  }
  return mapped;
}

std::string Missingreason(const std::vector<std::string> &labels, const Mapped &mapped) {
  std::vector<std::string_view> missing;
  for (std::size_t i = 0; i < labels.size(); ++i)
    if (!mapped.Found[i]) missing.push_back(labels[i]);
  if (missing.empty()) return "";
  std::string reason = "labels of the file missing from the map: " + Listed(missing);
  if (!mapped.Unused.empty()) reason += "; labels of the map not in the file: " + Listed(mapped.Unused);
  const std::string hint = Affixhint(missing, mapped.Unused, missing.size() == labels.size());
  return hint.empty() ? reason : reason + "; " + hint;
}

// The arrangement, once every label of the FILE has exactly one locality.
std::variant<Arrangement, Refusal> Group(const std::vector<std::string_view> &place, std::string_view mapname) {
  Arrangement arrangement;
  std::map<std::string_view, std::size_t> number;  // of each locality, by its first sequence in the FILE
  std::vector<std::vector<std::int32_t>> members;
  for (std::size_t i = 0; i < place.size(); ++i) {
    const auto [at, fresh] = number.emplace(place[i], members.size());
    if (fresh) {
      arrangement.Names.emplace_back(place[i]);
      members.emplace_back();
    }
    members[at->second].push_back(static_cast<std::int32_t>(i));
  }
  if (members.size() > Maxlocalities)
    return Refusal{std::string(mapname) + ": " + std::to_string(members.size()) + " localities, more than 30"};
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
  Alignmentinput input = Alignmentinput::Frombytes(content);
  Linereader lines(input, true);
  Groupmap map;
  for (std::string_view line; lines.Next(line);) {
    if (line.starts_with('#') || Allblank(line)) continue;
    const auto [label, place] = Splitentry(line);
    const std::string where = file + ", line " + std::to_string(lines.Number) + ": ";
    if (label.empty()) return Refusal{where + "a locality name with no label before it"};
    if (place.empty()) return Refusal{where + "the label " + std::string(label) + " has no locality"};
    map.Entries.emplace_back(label, place);
  }
  if (map.Entries.empty()) return Refusal{file + ": no labels in the map"};
  return map;
}

std::variant<Arrangement, Refusal> Arrange(const std::vector<std::string> &labels, const Groupmap &map,
                                           std::string_view mapname) {
  const auto refuse = [mapname](const std::string &reason) { return Refusal{std::string(mapname) + ": " + reason}; };
  if (const auto twice = Repeated(labels); !twice.empty())
    return refuse("labels that occur twice in the file, which the map cannot tell apart: " + Listed(twice));
  const Mapped mapped = Match(labels, map);
  if (!mapped.Twice.empty()) return refuse("labels of the file mapped to two localities: " + Listed(mapped.Twice));
  if (const std::string missing = Missingreason(labels, mapped); !missing.empty()) return refuse(missing);
  auto arranged = Group(mapped.Place, mapname);
  if (auto *arrangement = std::get_if<Arrangement>(&arranged))
    arrangement->Ignored = static_cast<std::int64_t>(mapped.Unused.size());
  return arranged;
}

Packedsample Reordered(Packedsample &&sample, const Arrangement &arrangement) {
  Packedsample reordered;
  reordered.Length = sample.Length;
  for (const std::int32_t i : arrangement.Order) {
    reordered.Labels.push_back(std::move(sample.Labels[static_cast<std::size_t>(i)]));
    reordered.Codes.push_back(std::move(sample.Codes[static_cast<std::size_t>(i)]));
  }
  return reordered;
}

}  // namespace halvik
