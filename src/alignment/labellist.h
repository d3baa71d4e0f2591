// Labels as the map's refusals list them.
#pragma once
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace halvik {

// A few of the labels, then how many more.
inline std::string Listed(const std::vector<std::string_view> &labels) {
  constexpr std::size_t shown = 3;
  std::string list;
  for (std::size_t i = 0; i < labels.size() && i < shown; ++i) list += (i ? ", " : "") + std::string(labels[i]);
  if (labels.size() > shown) list += " and " + std::to_string(labels.size() - shown) + " more";
  return list;
}

// Each label that occurs more than once, once, in order.
template <typename Text>
std::vector<std::string_view> Repeated(const std::vector<Text> &labels) {
  std::map<std::string_view, int> seen;
  std::vector<std::string_view> repeated;
  for (const std::string_view label : labels)
    if (++seen[label] == 2) repeated.push_back(label);
  return repeated;
}

// Why labels of a FILE match none of the map's: a prefix or suffix that the
// missing labels carry and the map's labels not in the FILE lack, or the
// reverse, named as "every label of the file ends in ".x", which the map's
// labels lack"; empty when no one affix makes every missing label match.
// `everylabel` says the missing labels are all the FILE's.
std::string Affixhint(const std::vector<std::string_view> &missing, const std::vector<std::string_view> &unused,
                      bool everylabel);

}  // namespace halvik
