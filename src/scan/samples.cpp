#include "scan/samples.h"

#include <map>

namespace halvik {

namespace {

// A few names, then how many more.
std::string Few(const std::vector<std::string> &names) {
  std::string list;
  for (std::size_t i = 0; i < names.size() && i < 3; ++i) list += (i ? ", " : "") + names[i];
  if (names.size() > 3) list += " and " + std::to_string(names.size() - 3) + " more";
  return list;
}

std::vector<std::string> Labels(const Groupmap &map) {
  std::vector<std::string> labels;
  for (const auto &[label, locality] : map.Entries) labels.push_back(label);
  return labels;
}

}  // namespace

std::variant<Samplelayout, Refusal> Layout(const std::vector<std::string> &vcfsamples, const Groupmap &map,
                                           const std::string &mapname, const std::string &vcfname) {
  std::map<std::string, std::string> locality;
  for (const auto &[label, name] : map.Entries)
    if (const auto [at, fresh] = locality.emplace(label, name); !fresh && at->second != name)
      return Refusal{mapname + ": sample " + label + " is in two localities, " + at->second + " and " + name};
  Samplelayout layout;
  std::map<std::string, std::int32_t> number;
  std::vector<std::vector<std::int32_t>> members;
  for (std::size_t column = 0; column < vcfsamples.size(); ++column) {
    const auto found = locality.find(vcfsamples[column]);
    if (found == locality.end()) {
      ++layout.Leftout;
      continue;
    }
    const auto [at, fresh] = number.emplace(found->second, static_cast<std::int32_t>(members.size()));
    if (fresh) {
      members.emplace_back();
      layout.Localities.push_back(found->second);
    }
    members[static_cast<std::size_t>(at->second)].push_back(static_cast<std::int32_t>(column));
  }
  if (members.empty())
    return Refusal{mapname + ": names no sample of " + vcfname + " (the map has " + Few(Labels(map)) +
                   "; the VCF has " + Few(vcfsamples) + ")"};
  std::vector<std::string> small;
  for (std::size_t k = 0; k < members.size(); ++k) {
    if (members[k].size() < 2) small.push_back(layout.Localities[k]);
    layout.Sizes.push_back(static_cast<std::int32_t>(members[k].size()));
    for (const std::int32_t column : members[k]) {
      layout.Columns.push_back(column);
      layout.Names.push_back(vcfsamples[static_cast<std::size_t>(column)]);
      layout.Locality.push_back(static_cast<std::int32_t>(k));
    }
  }
  if (members.size() < 2)
    return Refusal{mapname + ": the samples of " + vcfname + " are all in one locality, " + layout.Localities[0] +
                   ": there is nothing to test"};
  if (members.size() > 30)
    return Refusal{mapname + ": " + std::to_string(members.size()) + " localities, more than 30"};
  if (!small.empty()) return Refusal{mapname + ": localities of fewer than two samples in the VCF: " + Few(small)};
  if (layout.Columns.size() > static_cast<std::size_t>(Mosthaplotypes))
    return Refusal{vcfname + ": " + std::to_string(layout.Columns.size()) +
                   " samples in the map: more than 1000 haplotypes"};
  return layout;
}

}  // namespace halvik
