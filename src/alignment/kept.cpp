// Kept for the command line until it reads packed samples: arranging a whole
// sample by the rules the command line was written for.
#include <algorithm>
#include <map>
#include <set>

#include "alignment/groups.h"
#include "alignment/labellist.h"

namespace halvik {

namespace {

// The arrangement with its localities in the order the map first names them.
Arrangement Inmaporder(const Arrangement &arranged, const Groupmap &map) {
  std::map<std::string_view, std::size_t> rank;
  for (const auto &[label, place] : map.Entries) rank.emplace(place, rank.size());
  std::vector<std::size_t> localities(arranged.Names.size());
  for (std::size_t k = 0; k < localities.size(); ++k) localities[k] = k;
  std::sort(localities.begin(), localities.end(),
            [&](std::size_t a, std::size_t b) { return rank.at(arranged.Names[a]) < rank.at(arranged.Names[b]); });
  Arrangement ordered;
  const auto end = [&](std::size_t k) {
    return k + 1 < arranged.Starts.size() ? arranged.Starts[k + 1] - 1
                                          : static_cast<std::int32_t>(arranged.Order.size());
  };
  for (const std::size_t k : localities) {
    ordered.Names.push_back(arranged.Names[k]);
    ordered.Starts.push_back(static_cast<std::int32_t>(ordered.Order.size()) + 1);
    ordered.Order.insert(ordered.Order.end(), arranged.Order.begin() + arranged.Starts[k] - 1,
                         arranged.Order.begin() + end(k));
  }
  return ordered;
}

}  // namespace

std::variant<Arrangement, Refusal> Arrange(const Sample &sample, const Groupmap &map, std::string_view mapname) {
  const std::vector<std::string> &labels = sample.Data.Labels;
  std::vector<std::string_view> maplabels;
  for (const auto &[label, place] : map.Entries) maplabels.push_back(label);
  const std::set<std::string_view> inmap(maplabels.begin(), maplabels.end()), infile(labels.begin(), labels.end());
  const auto refuse = [mapname](const std::string &what, const std::vector<std::string_view> &list) {
    return Refusal{std::string(mapname) + ": " + what + ": " + Listed(list)};
  };
  // The refusals of the new rules come in the order the old ones did.
  const bool twiceinfile = !Repeated(labels).empty();
  if (const auto twice = Repeated(maplabels); !twiceinfile && !twice.empty())
    return refuse("labels mapped twice", twice);
  const bool missing = std::any_of(labels.begin(), labels.end(), [&](const std::string &l) { return !inmap.count(l); });
  std::vector<std::string_view> extra;
  for (const std::string_view label : maplabels)
    if (!infile.count(label)) extra.push_back(label);
  if (!twiceinfile && !missing && !extra.empty()) return refuse("labels of the map not in the file", extra);
  auto arranged = Arrange(labels, map, mapname);
  if (const auto *arrangement = std::get_if<Arrangement>(&arranged)) return Inmaporder(*arrangement, map);
  return arranged;
}

Sample Reordered(const Sample &sample, const Arrangement &arrangement) {
  Packedsample copy = sample.Data;
  return Sample{sample.Format, Reordered(std::move(copy), arrangement), sample.Made};
}

}  // namespace halvik
